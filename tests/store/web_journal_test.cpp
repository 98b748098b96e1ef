#include "core/Files.h"
#include "core/SystemFiles.h"
#include "store/WebJournal.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

class WebJournal : public ::testing::Test {
protected:
    WebJournal() { WriteWholeFile(project, projectBytes); }

    test::TempDir dir;
    const std::string project = dir.Path() + "LOCAL.WEB";
    const std::string journal = project + std::string(kProjectJournalSuffix);
    const std::string projectBytes = "the project file";
    const TJournalBase base = JournalBaseOf(projectBytes);
};

using Entries = std::vector<std::string>;

} // namespace

TEST_F(WebJournal, EntriesComeBackInOrderAndATornLastOneIsDroppedThenOverwritten)
{
    TWebJournal writer;
    writer.Restart(project, base);
    EXPECT_TRUE(writer.Follows(project));
    EXPECT_FALSE(FileExists(journal));
    writer.Append("first");
    writer.Append(std::string("sec\0nd", 6));
    EXPECT_EQ(TWebJournal().Recover(project, base), (Entries{"first", std::string("sec\0nd", 6)}));

    // A crash in the middle of the second entry's write.
    std::filesystem::resize_file(journal, GetFileSize(journal) - 2);
    TWebJournal resumed;
    EXPECT_EQ(resumed.Recover(project, base), Entries{"first"});
    resumed.Append("third");
    EXPECT_EQ(TWebJournal().Recover(project, base), (Entries{"first", "third"}));

    // A damaged byte inside an entry ends the journal there.
    std::string bytes = ReadWholeFile(journal);
    bytes[bytes.size() - 1] ^= 1;
    WriteWholeFile(journal, bytes);
    EXPECT_EQ(TWebJournal().Recover(project, base), Entries{"first"});

    // Once the project file is written whole, the journal goes.
    writer.Restart(project, base);
    EXPECT_FALSE(FileExists(journal));
}

TEST_F(WebJournal, AJournalOfOtherProjectBytesIsRemovedUnread)
{
    TWebJournal older;
    older.Restart(project, JournalBaseOf("an older project file"));
    older.Append("stale");
    EXPECT_TRUE(TWebJournal().Recover(project, base).empty());
    EXPECT_FALSE(FileExists(journal));

    WriteWholeFile(journal, "not a journal at all");
    EXPECT_TRUE(TWebJournal().Recover(project, base).empty());
    EXPECT_FALSE(FileExists(journal));
}

TEST_F(WebJournal, AProjectFileRemovedOrRewrittenElsewhereIsNotFollowed)
{
    TWebJournal writer;
    writer.Restart(project, base);
    WriteWholeFile(project, projectBytes + " and more");
    EXPECT_FALSE(writer.Follows(project));
    DeleteFile(project);
    EXPECT_FALSE(writer.Follows(project));
    writer.Detach();
    WriteWholeFile(project, projectBytes);
    EXPECT_FALSE(writer.Follows(project));
}
