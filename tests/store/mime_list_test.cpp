#include "core/Errors.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "store/MimeDefFile.h"
#include "store/MimeList.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velbrin;

namespace {

// "type ext class capture" for every entry, in order.
std::vector<std::string> Rows(const TMIMELIST& table)
{
    std::vector<std::string> rows;
    for (int i = 0; const TMimeItem* item = table.GetMimebyIndex(i); ++i) {
        rows.push_back(item->MimeType + " " + item->Extension + " " + std::string(MimeClassName(item->MimeClass)) +
                       (item->Capture ? " on" : " off"));
    }
    return rows;
}

std::vector<std::string> CapturedExtensions(const TMIMELIST& table)
{
    std::vector<std::string> extensions;
    for (int i = 0; const TMimeItem* item = table.GetMimebyIndex(i); ++i) {
        if (item->Capture)
            extensions.push_back(item->Extension);
    }
    return extensions;
}

std::string Str(std::string_view text)
{
    return std::string(1, static_cast<char>(text.size())) + std::string(text);
}

bool Load(TMIMELIST& table, const std::string& bytes)
{
    TMemoryStreamEx stream(bytes);
    return table.LoadFromStream(stream);
}

std::string Saved(const TMIMELIST& table)
{
    TMemoryStreamEx stream;
    table.SaveToStream(stream);
    return stream.ToString();
}

} // namespace

TEST(MimeClasses, NamesIgnoreCaseAndUnknownIsOther)
{
    EXPECT_EQ(MimeClassIndex("html"), MimeClassHtml);
    EXPECT_EQ(MimeClassIndex("SOUND"), MimeClassSound);
    EXPECT_EQ(MimeClassIndex("Picture"), MimeClassOther);
    EXPECT_EQ(MimeClassIndex(""), MimeClassOther);
    EXPECT_EQ(MimeClassName(2), "Image");
    EXPECT_EQ(MimeClassName(200), "Other");
}

TEST(MimeList, DefaultTable)
{
    TMIMELIST table;
    table.AddMime("x/y", "xyz", "Other", false);
    table.SetToDefault();
    EXPECT_EQ(Rows(table), (std::vector<std::string>{
                               // The table of the first versions, first and unchanged.
                               "text/html htm Html on", "text/plain txt Text on", "image/gif gif Image on",
                               "image/jpeg jpg Image on", "video/x-msvideo avi Video on", "audio/x-wav wav Sound on",
                               "audio/x-aiff aif Sound on",
                               // Today's types.
                               "text/css css Text on", "text/javascript js Text on",
                               "application/javascript js Text on", "image/png png Image on",
                               "image/svg+xml svg Image on", "image/webp wbp Image on", "image/avif avf Image on",
                               "image/x-icon ico Image on", "image/vnd.microsoft.icon ico Image on",
                               "font/woff2 wf2 Other on", "font/woff wof Other on", "font/ttf ttf Other on",
                               "font/otf otf Other on", "application/pdf pdf Other off",
                               "application/zip zip Other off", "video/mp4 mp4 Video off", "video/webm wbm Video off",
                               "audio/mpeg mp3 Sound off", "audio/ogg ogg Sound off"}));
    // Types are told apart by their full name; each is there once.
    for (int i = 0; const TMimeItem* item = table.GetMimebyIndex(i); ++i)
        EXPECT_EQ(table.GetMimeByString(item->MimeType), item) << item->MimeType;
    ASSERT_NE(table.GetMimeByString("TEXT/HTML"), nullptr);
    EXPECT_EQ(table.GetMimeByString("TEXT/HTML")->MimeType, "text/html");
    EXPECT_TRUE(table.MimeExist("Image/PNG"));
    EXPECT_FALSE(table.MimeExist("image/png; charset=x")) << "the header parser leaves parameters out";
    EXPECT_EQ(table.GetMimebyIndex(26), nullptr);
    EXPECT_EQ(table.GetMimebyIndex(-1), nullptr);
}

TEST(MimeList, AddMimeUpdatesInPlaceOrAppends)
{
    TMIMELIST table;
    table.SetToDefault();
    TMimeItem* updated = table.AddMime("AUDIO/X-AIFF", "aiff", "sound", false);
    EXPECT_EQ(updated, table.GetMimebyIndex(6));
    table.AddMime("TEXT/Plain", "txt", "Sound", true);
    table.AddMime("Application/X-Tar", "tar", "Document", true);
    EXPECT_EQ(table.Count(), 27u);
    EXPECT_EQ(table.GetMimebyIndex(1)->MimeType, "text/plain") << "keeps its place and spelling";
    EXPECT_EQ(table.GetMimebyIndex(1)->MimeClass, MimeClassSound);
    EXPECT_EQ(Rows(table)[6], "audio/x-aiff aif Sound off");
    EXPECT_EQ(Rows(table)[26], "Application/X-Tar tar Other on");
}

TEST(MimeList, MergingAddsUnknownTypesWithCaptureOff)
{
    TMIMELIST global;
    global.SetToDefault();
    TMIMELIST web(global);
    web.AddMime("image/bmp", "bmp", "Image", true);
    web.AddMime("text/html", "html", "Text", false);
    web.AddMime("application/x-tar", "tar", "Other", true);

    EXPECT_EQ(global.AddMimeList(web), 2);
    EXPECT_EQ(global.Count(), 28u);
    EXPECT_EQ(Rows(global)[0], "text/html htm Html on") << "known types stay as they were";
    EXPECT_EQ(Rows(global)[26], "image/bmp bmp Image off");
    EXPECT_EQ(Rows(global)[27], "application/x-tar tar Other off");
    EXPECT_EQ(global.AddMimeList(web), 0);
}

TEST(MimeList, MimesListsApplyFromLeftToRight)
{
    TMIMELIST table;
    table.SetToDefault();
    EXPECT_EQ(table.SetCmdLine("-ALL,+IMAGE"), "");
    EXPECT_EQ(CapturedExtensions(table),
              (std::vector<std::string>{"gif", "jpg", "png", "svg", "wbp", "avf", "ico", "ico"}));

    table.SetToDefault();
    EXPECT_EQ(table.SetCmdLine("-htm"), "");
    EXPECT_FALSE(table.GetMimeByString("text/html")->Capture);
    EXPECT_EQ(CapturedExtensions(table).size(), 19u);

    EXPECT_EQ(table.SetCmdLine("-all,html,+GIF"), "");
    EXPECT_EQ(CapturedExtensions(table), (std::vector<std::string>{"htm", "gif"}));

    // An extension turns on every type stored under it; a full type name its
    // own entry; a type known but not captured can be turned on.
    EXPECT_EQ(table.SetCmdLine("-ALL, +js ,+Image/X-Icon,,+pdf,"), "");
    EXPECT_EQ(CapturedExtensions(table), (std::vector<std::string>{"js", "js", "ico", "pdf"}));
    EXPECT_EQ(table.SetCmdLine(" -Sound , , +video "), "");
    EXPECT_EQ(CapturedExtensions(table), (std::vector<std::string>{"avi", "js", "js", "ico", "pdf", "mp4", "wbm"}));
    EXPECT_EQ(table.SetCmdLine(""), "");
    EXPECT_EQ(CapturedExtensions(table).size(), 7u);
}

TEST(MimeList, MimesTokenThatNamesNothingIsRefusedAndChangesNothing)
{
    TMIMELIST table;
    table.SetToDefault();
    // An entry without extension is not named by an empty token either.
    table.AddMime("application/x-unknown", "", "Other", false);
    const auto before = Rows(table);

    EXPECT_EQ(table.SetCmdLine("-ALL,+HTML, +foo ,+nothing"), "unknown MIME type in MIMES: \"+foo\"");
    EXPECT_EQ(Rows(table), before) << "the tokens before the unknown one are undone";
    EXPECT_EQ(table.SetCmdLine("css,webp"), "unknown MIME type in MIMES: \"webp\"");
    EXPECT_EQ(table.SetCmdLine("-ALL,-"), "unknown MIME type in MIMES: \"-\"");
    EXPECT_EQ(table.SetCmdLine("image/"), "unknown MIME type in MIMES: \"image/\"");
    EXPECT_EQ(Rows(table), before);
}

TEST(MimeListStream, WritesFormatOneAndReadsItBack)
{
    TMIMELIST table;
    table.AddMime("text/html", "htm", "Html", true);
    table.AddMime("audio/x-wav", "wav", "Sound", false);
    const std::string bytes = Saved(table);
    EXPECT_EQ(bytes, std::string("\x01\x00\x02\x00", 4) + Str("text/html") + Str("htm") + std::string("\x00\x01", 2) +
                         Str("audio/x-wav") + Str("wav") + std::string("\x03\x00", 2));

    TMIMELIST copy;
    copy.SetToDefault();
    ASSERT_TRUE(Load(copy, bytes));
    EXPECT_EQ(Rows(copy), Rows(table));
    EXPECT_EQ(Saved(TMIMELIST()), std::string("\x01\x00\x00\x00", 4));
}

TEST(MimeListStream, FormatZeroHasNoClass)
{
    TMIMELIST table;
    ASSERT_TRUE(Load(table, std::string("\x02\x00", 2) + Str("text/html") + Str("htm") + "\x01" + Str("image/gif") +
                                Str("gif") + std::string(1, '\0')));
    EXPECT_EQ(Rows(table), (std::vector<std::string>{"text/html htm Other on", "image/gif gif Other off"}));
}

TEST(MimeListStream, OddEntriesAreMended)
{
    // A long extension is cut to 3; a class beyond the table becomes Other;
    // any non-zero capture byte means on.
    TMIMELIST table;
    ASSERT_TRUE(Load(table, std::string("\x01\x00\x01\x00", 4) + Str("text/html") + Str("html") + "\x09\x07"));
    EXPECT_EQ(Rows(table), (std::vector<std::string>{"text/html htm Other on"}));
}

TEST(MimeListStream, CutOrCorruptStreamsLeaveTheTableAlone)
{
    TMIMELIST table;
    table.SetToDefault();
    const auto before = Rows(table);
    EXPECT_FALSE(Load(table, ""));
    EXPECT_FALSE(Load(table, "\x01"));
    EXPECT_FALSE(Load(table, std::string("\x01\x00\xFF\xFF", 4)));
    EXPECT_FALSE(Load(table, std::string("\xFF\x7F\x00", 3)));
    EXPECT_FALSE(Load(table, std::string("\x01\x00\x02\x00", 4) + Str("text/html") + Str("htm") + "\x00\x01" +
                                 Str("image/gif")));
    EXPECT_EQ(Rows(table), before);

    ASSERT_TRUE(Load(table, std::string("\x00\x00", 2)));
    EXPECT_EQ(table.Count(), 0u);
}

TEST(MimeDefFile, MissingFileIsCreatedWithTheDefaults)
{
    test::TempDir dir;
    TMIMELIST table;
    std::string error;
    EXPECT_EQ(LoadMimeDef(table, dir.Path(), &error), MimeDefStatus::Created);
    EXPECT_EQ(error, "");
    EXPECT_EQ(table.Count(), 26u);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "mime.def"), Saved(table));

    TMIMELIST again;
    EXPECT_EQ(LoadMimeDef(again, dir.Path()), MimeDefStatus::Loaded);
    EXPECT_EQ(Rows(again), Rows(table));
}

TEST(MimeDefFile, ExistingFileIsTheUsersTable)
{
    // A table written by the first versions (their seven defaults) stays as
    // it is: the types added to the defaults since are not merged in.
    test::TempDir dir;
    std::string old = std::string("\x01\x00\x02\x00", 4) + Str("text/html") + Str("htm") + std::string("\x00\x01", 2) +
                      Str("image/gif") + Str("gif") + std::string("\x02\x00", 2);
    WriteWholeFile(dir.Path() + "mime.def", old);
    TMIMELIST table;
    EXPECT_EQ(LoadMimeDef(table, dir.Path()), MimeDefStatus::Loaded);
    EXPECT_EQ(Rows(table), (std::vector<std::string>{"text/html htm Html on", "image/gif gif Image off"}));
    EXPECT_EQ(ReadWholeFile(dir.Path() + "mime.def"), old);
}

TEST(MimeDefFile, DamagedFileIsKeptAndDefaultsAreUsed)
{
    test::TempDir dir;
    WriteWholeFile(dir.Path() + "mime.def", std::string("\x01\x00\x05\x00", 4) + Str("text/html"));
    TMIMELIST table;
    std::string error;
    EXPECT_EQ(LoadMimeDef(table, dir.Path(), &error), MimeDefStatus::DefaultsUsed);
    EXPECT_NE(error.find("damaged"), std::string::npos);
    EXPECT_EQ(table.Count(), 26u);
    EXPECT_EQ(ReadWholeFile(dir.Path() + "mime.def").size(), 14u) << "the damaged file is left for the user";
}

TEST(MimeDefFile, UnwritableDirectoryIsReported)
{
    test::TempDir dir;
    TMIMELIST table;
    std::string error;
    EXPECT_EQ(LoadMimeDef(table, dir.Path() + "missing/", &error), MimeDefStatus::DefaultsUsed);
    EXPECT_NE(error.find("mime.def"), std::string::npos) << error;
    EXPECT_EQ(table.Count(), 26u);
    EXPECT_THROW(SaveMimeDef(table, dir.Path() + "missing"), EInOutError);
}

TEST(MimeDefFile, MergeWritesOnlyWhenSomethingWasAdded)
{
    test::TempDir dir;
    const std::string path = dir.Path() + "mime.def";
    TMIMELIST global;
    ASSERT_EQ(LoadMimeDef(global, dir.Path()), MimeDefStatus::Created);
    TMIMELIST web(global);

    ASSERT_TRUE(DeleteFile(path));
    EXPECT_EQ(MergeMimeDef(global, web, dir.Path()), 0);
    EXPECT_FALSE(FileExists(path)) << "nothing new, nothing written";

    web.AddMime("image/bmp", "bmp", "Image", true);
    EXPECT_EQ(MergeMimeDef(global, web, dir.Path()), 1);
    TMIMELIST reread;
    ASSERT_EQ(LoadMimeDef(reread, dir.Path()), MimeDefStatus::Loaded);
    EXPECT_EQ(Rows(reread).back(), "image/bmp bmp Image off");
}
