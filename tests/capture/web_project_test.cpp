#include "capture/WebTestSupport.h"
#include "core/Errors.h"
#include "core/MemoryStream.h"

#include <cstring>
#include <filesystem>
#include <sys/stat.h>

using namespace velbrin;

namespace {

// The little-endian pieces of a project file.
std::string Str(std::string_view text) { return std::string(1, static_cast<char>(text.size())) + std::string(text); }
std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }
std::string I16(int value) { return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)}; }
std::string I32(std::int32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}
std::string Dbl(double value)
{
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8); // the test machine is little-endian
    return bytes;
}

// A MIME table of the current format with text/html and image/gif.
std::string MimeBytes()
{
    return I16(1) + I16(2) + Str("text/html") + Str("htm") + Byte(0) + Byte(1) + Str("image/gif") + Str("gif") +
           Byte(2) + Byte(0);
}

// A tree record: state, flags (or link type before version 16), depths,
// address, file name, description and (from version 2) MIME type.
std::string Record(int state, int flags, int webDepth, int linkDepth, std::string_view address, std::string_view name,
                   std::string_view description, std::string_view mime)
{
    return Byte(state) + Byte(flags) + Byte(webDepth) + Byte(linkDepth) + Str(address) + Str(name) +
           Str(description) + Str(mime);
}

std::string TreeBytes()
{
    return I16(2) + Record(2, 1, 0, 0, "http://h.com/", "INDEX.htm", "Home", "text/html") +
           Record(3, 2, 0, 1, "http://h.com/p.gif", "P.gif", "Plan", "image/gif");
}

class WebProject : public test::WebFixture {
protected:
    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string file = root.Path() + name;
        ForceDirectories(ExtractFilePath(file));
        WriteWholeFile(file, bytes);
        return file;
    }

    // Loads bytes as a project file; null when loading fails.
    std::unique_ptr<TWEB> Load(const std::string& bytes, const std::string& name = "old/Local.Web")
    {
        auto web = NewWeb();
        if (!web->LoadFromFile(Write(name, bytes)))
            return nullptr;
        return web;
    }

    // A Web with every field set apart from its defaults.
    std::unique_ptr<TWEB> FullWeb()
    {
        auto web = InitWeb("http://h.com/");
        web->Title = "Caf\xE9";
        web->MimeList.Clear();
        web->MimeList.AddMime("text/html", "htm", "Html", true);
        web->MimeList.AddMime("image/gif", "gif", "Image", false);
        TWebFile* home = web->Tree.FindFile("http://h.com/");
        home->State = StateCapturedPage;
        home->SetFileName("INDEX.htm");
        home->SetDescription("Home");
        home->SetMimeType("text/html");
        home->SetIsmap(false);
        TWebFile* plan = web->NewLink(TLinkItem{LinkTypeInline, "http://h.com/p.gif", "Plan"}, home);
        plan->State = StateCapturedFile;
        plan->SetFileName("P.gif");
        plan->SetMimeType("image/gif");
        plan->SetIsmap(true);
        plan->SetLinkType(LinkTypeInline);
        plan->LinkDepth = 1;
        web->CapturedCount = 2;
        web->FilteredCount = 3;
        web->NotFoundCount = 4;
        web->ErrorCount = 5;
        TOPTIONS& o = web->Options;
        o = TOPTIONS();
        o.ExternalPathLimit = true;
        o.RefLimit = true;
        o.InternalLinkDepth = 7;
        o.ExternalWebDepth = 8;
        o.ExternalLinkDepth = 9;
        o.MaxFileCount = 10;
        o.MaxFileSize = 11;
        o.MinFileSize = 12;
        o.MaxDiskSize = 13;
        o.MaxTime = 14;
        o.SuppressLinkFlag = true;
        o.ListJpegFlag = true;
        o.ListWavFlag = true;
        o.ErrorUrlFlag = true;
        o.FilteredUrlFlag = true;
        o.BackgroundOnlyFlag = true;
        o.Username = "user";
        o.Password = "secret";
        web->RewriteFlag = false;
        web->DisplayOnlineImage = true;
        web->TotalSize = 123456;
        web->CaptureDate = 36000.5;
        web->MapList.Add(TMapImg{"P.gif", "P.map", "http://h.com/cgi-bin/m", "Plan", "http://h.com/", "main"});
        web->LastCaptureInfo = TCaptureInfo{36000.5, 36000.75, 0, 99, 2, 3, 4, 5};
        return web;
    }
};

} // namespace

TEST_F(WebProject, SaveWritesVersion21FieldByField)
{
    auto web = FullWeb();
    std::string file = capture + "Local.Web";
    web->SaveToFile(file);
    EXPECT_EQ(web->FileName, file);

    std::string expected = Str("VVLBN") + I16(21) + Str("http://h.com/") + Str(capture) + Str("Caf\xE9") +
                           I16(2) + I16(3) + I16(4) + I16(5) +                     // counters
                           Byte(1) + Byte(0) + Byte(1) +                           // path limits, RefLimit
                           I16(7) + I16(8) + I16(9) +                              // depths
                           I16(10) + I16(11) + I16(12) + I16(13) + I16(14) +       // limits
                           Byte(0) + Byte(0) + Byte(1) +                           // real link, rewrite, suppress
                           Byte(0) + Byte(1) +                                     // list GIF, JPEG
                           Byte(0) + Byte(1) + Byte(0) + Byte(1) + Byte(0) + Byte(1) + // AVI .. filtered
                           Byte(1) + Byte(0) +                                     // online image, stretch
                           Str("user") + Str("secret") + I32(123456) + Dbl(36000.5 + 693594) + Byte(1) +
                           MimeBytes() +
                           I16(1) + Str("P.gif") + Str("P.map") + Str("http://h.com/cgi-bin/m") + Str("Plan") +
                           Str("http://h.com/") + Str("main") +
                           Dbl(36000.5 + 693594) + Dbl(36000.75 + 693594) + I32(0) + I32(99) + I32(2) + I32(3) +
                           I32(4) + I32(5) + TreeBytes();
    EXPECT_EQ(ReadWholeFile(file), expected);

    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(WebProject, AWebReloadedElsewhereKeepsEveryFieldAndCapturesThere)
{
    auto web = FullWeb();
    web->SaveToFile(capture + "Local.Web");
    std::string moved = root.Path() + "moved/";
    ForceDirectories(moved);
    std::filesystem::copy_file(capture + "Local.Web", moved + "Local.Web");

    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(moved + "Local.Web"));
    EXPECT_EQ(loaded->FileName, moved + "Local.Web");
    EXPECT_EQ(loaded->Path, moved);
    EXPECT_EQ(loaded->Url, web->Url);
    EXPECT_EQ(loaded->Title, web->Title);
    EXPECT_EQ(loaded->CapturedCount, 2);
    EXPECT_EQ(loaded->FilteredCount, 3);
    EXPECT_EQ(loaded->NotFoundCount, 4);
    EXPECT_EQ(loaded->ErrorCount, 5);
    EXPECT_EQ(loaded->Options, web->Options);
    EXPECT_EQ(loaded->RewriteFlag, web->RewriteFlag);
    EXPECT_EQ(loaded->DisplayOnlineImage, web->DisplayOnlineImage);
    EXPECT_EQ(loaded->TotalSize, web->TotalSize);
    EXPECT_DOUBLE_EQ(loaded->CaptureDate, web->CaptureDate);
    EXPECT_EQ(loaded->LastCaptureInfo, web->LastCaptureInfo);
    ASSERT_EQ(loaded->MimeList.Count(), 2u);
    EXPECT_FALSE(loaded->MimeList.GetMimeByString("image/gif")->Capture);
    ASSERT_EQ(loaded->MapList.Count(), 1u);
    EXPECT_EQ(loaded->MapList.Item(0), web->MapList.Item(0));
    EXPECT_EQ(loaded->GetLinkCount(), 2);
    const TWebFile* plan = loaded->Tree.FindFile("http://h.com/p.gif");
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(plan->GetFileName(), "P.gif");
    EXPECT_EQ(plan->GetDescription(), "Plan");
    EXPECT_EQ(plan->LinkDepth, 1);
    EXPECT_TRUE(plan->GetIsmap());
    EXPECT_TRUE(loaded->TodoList().empty());

    // Saved again, only the directory differs.
    TMemoryStreamEx first;
    TMemoryStreamEx second;
    web->Path = moved;
    web->WriteProject(first);
    loaded->WriteProject(second);
    EXPECT_EQ(first.ToString(), second.ToString());
}

TEST_F(WebProject, Version0HoldsTheAddressCountersMimeTableAndTree)
{
    std::string bytes = Str("VELBRIN") + Str("http://h.com/") + Str("C:\\WEBS\\H\\") + Str("Old") +
                        Str("skipped before version 12") + I16(77) + // fields of old versions
                        I16(1) + I16(2) + I16(3) + I16(4) +
                        I16(2) + Str("text/html") + Str("htm") + Byte(1) + Str("image/gif") + Str("gif") + Byte(0) +
                        I16(1) + Byte(2) + Byte(0) + Byte(0) + Byte(0) + Str("http://h.com/") + Str("INDEX.HTM") +
                        Str("Home");
    auto web = Load(bytes);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->Url, "http://h.com/");
    EXPECT_EQ(web->Path, root.Path() + "old/");
    EXPECT_EQ(web->Title, "Old");
    EXPECT_EQ(web->CapturedCount, 1);
    EXPECT_EQ(web->FilteredCount, 2);
    EXPECT_EQ(web->NotFoundCount, 3);
    EXPECT_EQ(web->ErrorCount, 4);
    EXPECT_EQ(web->Options, TOPTIONS());
    EXPECT_FALSE(web->RewriteFlag);
    EXPECT_EQ(web->TotalSize, 0);
    EXPECT_EQ(web->CaptureDate, 0);
    ASSERT_EQ(web->MimeList.Count(), 2u);
    EXPECT_EQ(web->MimeList.GetMimebyIndex(1)->MimeClass, MimeClassOther);
    EXPECT_EQ(web->MapList.Count(), 0u);
    const TWebFile* home = web->Tree.FindFile("http://h.com/");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->State, StateCapturedPage);
    EXPECT_EQ(home->GetLinkType(), LinkTypePage);
    EXPECT_EQ(home->GetFileName(), "INDEX.HTM");
    EXPECT_EQ(home->GetMimeType(), "");
    EXPECT_EQ(web->GetHomePage(), "INDEX.HTM");
}

TEST_F(WebProject, Version15HasNoListFlagsMapsOrSessionYet)
{
    std::string bytes = Str("VVLBN") + I16(15) + Str("http://h.com/") + Str("/old/") + Str("T") + I16(1) + I16(0) +
                        I16(0) + I16(0) + Byte(1) + Byte(1) + Byte(0) + I16(3) + I16(1) + I16(2) + I16(0) + I16(50) +
                        I16(1) + I16(0) + I16(5) + Byte(1) + Byte(1) + Byte(1) + Byte(1) + Byte(1) + // to ListJpeg
                        Byte(1) + Byte(1) +                                                       // online, stretch
                        I32(4096) + Dbl(36000 + 693594.0) + Byte(1) + MimeBytes() + I16(1) +
                        Byte(3) + Byte(2) + Byte(0) + Byte(1) + Str("http://h.com/b.gif") + Str("B.gif") + Str("") +
                        Str("image/gif");
    auto web = Load(bytes);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->Options.InternalLinkDepth, 3);
    EXPECT_EQ(web->Options.ExternalWebDepth, 1);
    EXPECT_EQ(web->Options.ExternalLinkDepth, 2);
    EXPECT_EQ(web->Options.MaxFileSize, 50);
    EXPECT_EQ(web->Options.MaxTime, 5);
    EXPECT_TRUE(web->Options.ListJpegFlag);
    EXPECT_FALSE(web->Options.ListAviFlag);
    EXPECT_FALSE(web->Options.ResolvedUrlFlag);
    EXPECT_TRUE(web->Options.StretchImageFlag);
    EXPECT_TRUE(web->Options.BackgroundOnlyFlag);
    EXPECT_EQ(web->Options.Username, "");
    EXPECT_TRUE(web->DisplayOnlineImage);
    EXPECT_EQ(web->TotalSize, 4096);
    EXPECT_DOUBLE_EQ(web->CaptureDate, 36000);
    EXPECT_EQ(web->LastCaptureInfo, TCaptureInfo());
    const TWebFile* background = web->Tree.FindFile("http://h.com/b.gif");
    ASSERT_NE(background, nullptr);
    EXPECT_TRUE(background->GetBackground());
    EXPECT_FALSE(background->GetHtml());
    EXPECT_EQ(background->GetMimeType(), "image/gif");
}

TEST_F(WebProject, Version19HasMapsWithoutTargetAndTheLastSession)
{
    std::string bytes = Str("VVLBN") + I16(19) + Str("http://h.com/") + Str("") + Str("") + I16(0) + I16(0) + I16(0) +
                        I16(0) + Byte(0) + Byte(0) + Byte(0) + I16(0) + I16(0) + I16(0) + I16(0) + I16(0) + I16(0) +
                        I16(0) + I16(0) + Byte(0) + Byte(0) + Byte(0) + Byte(0) + Byte(0) +
                        Byte(1) + Byte(1) + Byte(1) + Byte(1) + Byte(1) + Byte(1) + // six flags of version 18
                        Byte(0) + Byte(0) + I32(0) + Dbl(693594) + Byte(0) + MimeBytes() +
                        I16(1) + Str("P.gif") + Str("P.map") + Str("http://h.com/m") + Str("Plan") + Str("http://h.com/") +
                        Dbl(36001 + 693594.0) + Dbl(36002 + 693594.0) + I32(0) + I32(10) + I32(11) + I32(12) + I32(13) +
                        I32(14) + I16(0);
    auto web = Load(bytes);
    ASSERT_NE(web, nullptr);
    EXPECT_TRUE(web->Options.FilteredUrlFlag);
    EXPECT_TRUE(web->Options.ListAviFlag);
    ASSERT_EQ(web->MapList.Count(), 1u);
    EXPECT_EQ(web->MapList.Item(0).Page, "http://h.com/");
    EXPECT_EQ(web->MapList.Item(0).Target, "");
    EXPECT_EQ(web->LastCaptureInfo, (TCaptureInfo{36001, 36002, 0, 10, 11, 12, 13, 14}));
    EXPECT_EQ(web->GetLinkCount(), 0);
}

TEST_F(WebProject, Version21ReadsTheCredentials)
{
    auto web = FullWeb();
    TMemoryStreamEx bytes;
    web->WriteProject(bytes);
    auto loaded = Load(bytes.ToString());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Options.Username, "user");
    EXPECT_EQ(loaded->Options.Password, "secret");
    EXPECT_EQ(loaded->MapList.Item(0).Target, "main");
}

TEST_F(WebProject, VersionsBefore13SkipTheirOldFields)
{
    // Version 10: one text (9..12), two more (9..11), one more (below 12),
    // and a 16-bit value (below 13). Version 12: one text, three bytes and
    // the 16-bit value.
    std::string after = I16(6) + I16(0) + I16(0) + I16(0) + Byte(0) + Byte(0) + Byte(0) + I16(0) + I16(0) + I16(0) +
                        I16(0) + I16(0) + I16(0) + I16(0) + I16(0) + Byte(0) + Byte(0) + Byte(0) + Byte(0) + Byte(0);
    std::string tail = I32(0) + MimeBytes() + I16(0);
    auto v10 = Load(Str("VVLBN") + I16(10) + Str("http://h.com/") + Str("") + Str("Ten") + Str("a") + Str("b") +
                    Str("c") + Str("d") + I16(9) + after + Byte(1) + tail);
    ASSERT_NE(v10, nullptr);
    EXPECT_EQ(v10->CapturedCount, 6);
    EXPECT_TRUE(v10->DisplayOnlineImage);
    auto v12 = Load(Str("VVLBN") + I16(12) + Str("http://h.com/") + Str("") + Str("Twelve") + Str("a") + "xyz" +
                    I16(9) + after + Byte(1) + Byte(1) + tail);
    ASSERT_NE(v12, nullptr);
    EXPECT_EQ(v12->CapturedCount, 6);
    EXPECT_TRUE(v12->Options.StretchImageFlag);
}

TEST_F(WebProject, DamagedFilesFailToLoad)
{
    auto web = NewWeb();
    EXPECT_FALSE(web->LoadFromFile(root.Path() + "missing.web"));
    EXPECT_EQ(Load(""), nullptr);
    EXPECT_EQ(Load(Str("VVLBX") + I16(21)), nullptr);
    EXPECT_EQ(Load(Str("VVLBN") + I16(22)), nullptr);
    EXPECT_EQ(Load(Str("VVLBN") + I16(-1)), nullptr);

    // Every cut of a complete file fails.
    TMemoryStreamEx bytes;
    FullWeb()->WriteProject(bytes);
    std::string whole = bytes.ToString();
    ASSERT_NE(Load(whole), nullptr);
    for (std::size_t size = 0; size < whole.size(); ++size)
        EXPECT_EQ(Load(whole.substr(0, size)), nullptr) << size;
}

TEST_F(WebProject, StoredNamesThatLeadOutsideTheDirectoryAreDropped)
{
    std::string bytes = Str("VVLBN") + I16(21) + Str("http://h.com/") + Str("") + Str("") + I16(0) + I16(0) + I16(0) +
                        I16(0) + std::string(3, '\0') + std::string(16, '\0') + std::string(13, '\0') + Str("") +
                        Str("") + I32(0) + Dbl(0) + Byte(0) + MimeBytes() + I16(1) + Str("../x.gif") + Str("x.map") +
                        Str("") + Str("") + Str("") + Str("") + Dbl(0) + Dbl(0) + std::string(24, '\0') + I16(1) +
                        Record(3, 0, 0, 0, "http://h.com/x.gif", "../../etc/passwd", "", "image/gif");
    auto web = Load(bytes);
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->MapList.Count(), 0u);
    EXPECT_EQ(web->Tree.FindFile("http://h.com/x.gif")->GetFileName(), "");
}

TEST_F(WebProject, OutOfRangeValuesAreBroughtIntoTheFileRange)
{
    auto web = InitWeb("http://h.com/");
    web->Options.MaxDiskSize = 100000;
    web->Options.MaxTime = -5;
    web->CapturedCount = 40000;
    TMemoryStreamEx bytes;
    web->WriteProject(bytes);
    auto loaded = Load(bytes.ToString());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Options.MaxDiskSize, 32767);
    EXPECT_EQ(loaded->Options.MaxTime, 0);
    EXPECT_EQ(loaded->CapturedCount, 32767);

    // Negative counters and sizes of a damaged file read as 0; so do dates
    // that are no dates.
    std::string text = bytes.ToString();
    std::size_t counters = 6 + 2 + Str(web->Url).size() + Str(web->Path).size() + Str("").size();
    text.replace(counters, 2, I16(-3));
    loaded = Load(text);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->CapturedCount, 0);
}

TEST_F(WebProject, AFailedSaveIsReportedAndKeepsThePreviousFile)
{
    auto web = FullWeb();
    std::string file = capture + "Local.Web";
    web->SaveToFile(file);
    std::string before = ReadWholeFile(file);

    EXPECT_THROW(web->SaveToFile(root.Path() + "no/such/dir/Local.Web"), EInOutError);
    EXPECT_EQ(web->FileName, file);
    // The name of a directory cannot be replaced by the project.
    ForceDirectories(capture + "Dir.Web/");
    EXPECT_THROW(web->SaveToFile(capture + "Dir.Web"), EInOutError);
    EXPECT_EQ(web->FileName, file);
    EXPECT_EQ(ReadWholeFile(file), before);
    EXPECT_THROW(web->SaveToFile(""), EInOutError);

    // Nothing of a failed save is left behind.
    for (const std::string& name : ListFiles(capture, "*"))
        EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

namespace {

std::string ProjectBytes(const TWEB& web)
{
    TMemoryStreamEx bytes;
    web.WriteProject(bytes);
    return bytes.ToString();
}

} // namespace

TEST_F(WebProject, ProgressGoesToTheJournalAndIsFoldedInWhenLoaded)
{
    auto web = FullWeb();
    const std::string file = capture + "Local.Web";
    const std::string journal = file + std::string(kProjectJournalSuffix);
    web->SaveToFile(file);
    const std::string saved = ReadWholeFile(file);

    // A record changed, a link entered and a MIME type learnt; then only a
    // record changed.
    TWebFile* home = web->Tree.FindFile("http://h.com/");
    home->State = StateError;
    TWebFile* next = web->NewLink(TLinkItem{LinkTypePage, "http://h.com/next.htm", "Next"}, home);
    ASSERT_NE(next, nullptr);
    web->MimeList.AddMime("text/plain", "txt", "Text", true);
    web->SaveProgress();
    next->State = StateCapturedPage;
    next->SetFileName("next.htm");
    web->SaveProgress();
    const auto journalSize = GetFileSize(journal);
    web->SaveProgress();
    EXPECT_EQ(GetFileSize(journal), journalSize) << "nothing changed, nothing written";
    EXPECT_EQ(ReadWholeFile(file), saved);

    // The program is killed here, with a kept file, one stored after the
    // last entry and one half replaced on disk: loading gives what a full
    // save would have, and only the kept file stays.
    WriteWholeFile(capture + "next.htm", "kept");
    WriteWholeFile(capture + "later.htm", "not in the journal");
    WriteWholeFile(capture + ".next.htm.tmp-Ab12Cd", "half");
    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(file));
    EXPECT_EQ(ProjectBytes(*loaded), ProjectBytes(*web));
    EXPECT_EQ(ReadWholeFile(file), ProjectBytes(*web));
    EXPECT_FALSE(FileExists(journal));
    EXPECT_TRUE(FileExists(capture + "next.htm"));
    EXPECT_FALSE(FileExists(capture + "later.htm"));
    EXPECT_FALSE(FileExists(capture + ".next.htm.tmp-Ab12Cd"));
}

TEST_F(WebProject, ScratchFilesOfAKilledPassGoEvenWithoutAJournal)
{
    // Killed in the resolution pass, after the journal was folded in: each
    // rewrite worker left its scratch file, and no journal says when the
    // session began. Other files are not the loader's to judge then.
    auto web = FullWeb();
    const std::string file = capture + "Local.Web";
    web->SaveToFile(file);
    WriteWholeFile(capture + ".replace.tmp-Ab12Cd", "an old page");
    WriteWholeFile(capture + ".replace.tmp-Ef34Gh", "another");
    WriteWholeFile(capture + "other.htm", "not named by the Web");
    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(file));
    EXPECT_FALSE(FileExists(capture + ".replace.tmp-Ab12Cd"));
    EXPECT_FALSE(FileExists(capture + ".replace.tmp-Ef34Gh"));
    EXPECT_TRUE(FileExists(capture + "other.htm"));
}

TEST_F(WebProject, AJournalOlderThanItsProjectFileIsRemovedUnapplied)
{
    auto web = FullWeb();
    const std::string file = capture + "Local.Web";
    const std::string journal = file + std::string(kProjectJournalSuffix);
    web->SaveToFile(file);
    TWebFile* home = web->Tree.FindFile("http://h.com/");
    home->State = StateNotFound;
    web->SaveProgress();
    const std::string stale = ReadWholeFile(journal);
    home->State = StateError;
    web->SaveToFile(file);
    EXPECT_FALSE(FileExists(journal));

    WriteWholeFile(journal, stale);
    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(file));
    EXPECT_EQ(loaded->Tree.FindFile("http://h.com/")->State, StateError);
    EXPECT_FALSE(FileExists(journal));
}
