#include "store/LocalName.h"
#include "store/WebTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

// Enters a new file named name under address; the file, or none when refused.
TWebFile* Add(TWebTree& tree, std::string_view address, std::string_view name = {})
{
    auto file = std::make_unique<TWebFile>();
    file->SetFileName(name);
    TWebFile* raw = file.get();
    std::unique_ptr<TWebFile> replaced;
    return tree.AddFile(address, file, replaced) ? raw : nullptr;
}

// "address=file name" for every file, in walk order.
std::vector<std::string> Walk(TWebTree& tree, const TWebNode* from = nullptr)
{
    std::vector<std::string> seen;
    tree.ForEachFile(
        [&](TWebFile& file, const std::string& address) {
            seen.push_back(address + "=" + file.GetFileName());
            return false;
        },
        from);
    return seen;
}

} // namespace

TEST(WebFile, LinkTypeComesFromTheFlags)
{
    TWebFile file;
    EXPECT_EQ(file.GetLinkType(), 0);
    EXPECT_TRUE(file.GetHtml());

    file.SetIsmap(true);
    file.SetLinkType(2);
    EXPECT_EQ(file.Flags, TWebFile::kFlagBackground | TWebFile::kFlagIsmap);
    EXPECT_EQ(file.GetLinkType(), 2);
    file.SetLinkType(1);
    EXPECT_EQ(file.Flags, TWebFile::kFlagIsmap);
    EXPECT_EQ(file.GetLinkType(), 1);
    // Html wins over Background.
    file.SetHtml(true);
    file.SetBackground(true);
    EXPECT_EQ(file.GetLinkType(), 0);
}

TEST(WebFile, DescriptionIsDecodedAndTextsAreCut)
{
    TWebFile file;
    file.SetDescription("Caf&eacute; &amp; th&eacute;");
    EXPECT_EQ(file.GetDescription(), "Caf\xE9 & th\xE9");
    file.SetMimeType(std::string(300, 'm'));
    EXPECT_EQ(file.GetMimeType().size(), 255u);
    // The file name is kept as given: only loading checks it.
    file.SetFileName("a&amp;b");
    EXPECT_EQ(file.GetFileName(), "a&amp;b");
}

TEST(LocalName, RefusesNamesLeadingOutOfTheDirectory)
{
    EXPECT_TRUE(IsSafeLocalName(""));
    EXPECT_TRUE(IsSafeLocalName("INDEX1.htm"));
    EXPECT_TRUE(IsSafeLocalName("NotFound.htm"));
    EXPECT_TRUE(IsSafeLocalName("a..b"));
    EXPECT_TRUE(IsSafeLocalName("..."));
    EXPECT_FALSE(IsSafeLocalName(".."));
    EXPECT_FALSE(IsSafeLocalName("."));
    EXPECT_FALSE(IsSafeLocalName("../x"));
    EXPECT_FALSE(IsSafeLocalName("/etc/passwd"));
    EXPECT_FALSE(IsSafeLocalName("a/b"));
    EXPECT_FALSE(IsSafeLocalName("..\\x"));
    EXPECT_FALSE(IsSafeLocalName(std::string_view("a\0b", 3)));
}

TEST(WebTreeLookUp, SchemeAndHostIgnoreCaseThePathDoesNot)
{
    TWebTree tree;
    TWebFile* file = Add(tree, "http://www.Host.com/Docs/Caf\xE9/Page.HTM?Q=A");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(tree.FindFile("HTTP://WWW.HOST.COM/Docs/Caf\xE9/Page.HTM?Q=A"), file);
    // The keys are those of the parsed address.
    EXPECT_EQ(tree.FindFile("http://www.host.com/Docs/x/../Caf\xE9/./Page.HTM?Q=A"), file);
    // Servers tell paths and queries apart by their letter case.
    EXPECT_EQ(tree.FindFile("http://www.host.com/docs/Caf\xE9/Page.HTM?Q=A"), nullptr);
    EXPECT_EQ(tree.FindFile("http://www.host.com/Docs/CAF\xC9/Page.HTM?Q=A"), nullptr);
    EXPECT_EQ(tree.FindFile("http://www.host.com/Docs/Caf\xE9/page.htm?Q=A"), nullptr);
    EXPECT_EQ(tree.FindFile("http://www.host.com/Docs/Caf\xE9/Page.HTM?q=a"), nullptr);
    EXPECT_EQ(tree.GetFileUrl(*file), "http://www.Host.com/Docs/Caf\xE9/Page.HTM?Q=A");
}

TEST(WebTreeInsert, PathsThatDifferInCaseAreTwoRecordsHostsOne)
{
    TWebTree tree;
    TWebFile* lower = Add(tree, "http://h.example/a/b/x.html", "X.htm");
    TWebFile* upper = Add(tree, "http://h.example/A/B/c/upper.html", "UPPER.htm");
    ASSERT_NE(lower, nullptr);
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(tree.FindFile("http://h.example/A/B/c/upper.html"), upper);
    EXPECT_EQ(tree.FindFile("http://h.example/a/b/c/upper.html"), nullptr);
    EXPECT_EQ(tree.GetFileUrl(*upper), "http://h.example/A/B/c/upper.html") << "requested as the page wrote it";

    // One host whatever its spelling: the second address replaces the first.
    TWebFile* first = Add(tree, "HTTP://Host.Example/a", "ONE");
    std::unique_ptr<TWebFile> file = std::make_unique<TWebFile>(), replaced;
    ASSERT_TRUE(tree.AddFile("http://host.example/a", file, replaced));
    EXPECT_EQ(replaced.get(), first);
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.Root().EntryCount(), 1u);
    EXPECT_EQ(tree.Root().NodeAt(0)->EntryCount(), 2u);
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.example/a/b/x.html=X.htm",
                                                    "http://h.example/A/B/c/upper.html=UPPER.htm",
                                                    "http://Host.Example/a="}));
}

TEST(WebTreeLookUp, MissesAreNone)
{
    TWebTree tree;
    Add(tree, "http://h.com/a/b.htm");
    EXPECT_EQ(tree.FindFile("http://h.com/a/c.htm"), nullptr);
    // An inner level is no file.
    EXPECT_EQ(tree.FindFile("http://h.com/a/"), nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com/a/b.htm/c"), nullptr);
    EXPECT_EQ(tree.FindFile("http://other.com/a/b.htm"), nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com:81/a/b.htm"), nullptr);
    EXPECT_EQ(tree.FindFile(""), nullptr);
}

TEST(WebTreeInsert, RefusesAddressesThatWouldNotReadBack)
{
    TWebTree tree;
    // 255 characters that gain "http://" as keys.
    std::string longName(255 - 1, 'x');
    auto file = std::make_unique<TWebFile>();
    std::unique_ptr<TWebFile> replaced;
    EXPECT_FALSE(tree.AddFile("/" + longName, file, replaced));
    EXPECT_EQ(tree.LastTreeError(), kTreeErrorTooLong);
    EXPECT_NE(file, nullptr) << "a refused file stays with the caller";
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Root().EntryCount(), 0u) << "no level is left behind";

    std::string fits = "http://h.com/" + std::string(255 - 13, 'y');
    EXPECT_TRUE(tree.AddFile(fits, file, replaced));
    EXPECT_EQ(file, nullptr);
}

TEST(WebTreeInsert, ReplacingKeepsThePlaceAndHandsTheOldFileBack)
{
    TWebTree tree;
    TWebFile* first = Add(tree, "http://h.com/a.htm", "A1");
    Add(tree, "http://h.com/b.htm", "B");

    auto second = std::make_unique<TWebFile>();
    second->SetFileName("A2");
    TWebFile* secondRaw = second.get();
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("HTTP://H.COM/a.htm", second, replaced));
    EXPECT_EQ(replaced.get(), first) << "the displaced file is not freed";
    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_EQ(tree.GetFileUrl(*first), "");
    EXPECT_EQ(tree.FindFile("http://h.com/a.htm"), secondRaw);
    // The entry keeps its first spelling and its place; the count its value.
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/a.htm=A2", "http://h.com/b.htm=B"}));
    EXPECT_EQ(tree.Count(), 2);
}

TEST(WebTreeInsert, ReplacingAFileByItselfChangesNothing)
{
    TWebTree tree;
    TWebFile* file = Add(tree, "http://h.com/a.htm", "A");
    std::unique_ptr<TWebFile> replaced;
    EXPECT_TRUE(tree.AddFile("http://H.com/a.htm", *file, replaced));
    EXPECT_EQ(replaced, nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com/a.htm"), file);
    EXPECT_EQ(file->Parent(), tree.Root().NodeAt(0)->NodeAt(0)->NodeAt(0));
    EXPECT_EQ(tree.Count(), 1);

    // A file handed in as new while the tree already holds it is refused.
    auto again = std::make_unique<TWebFile>();
    std::unique_ptr<TWebFile> none;
    TWebTree other;
    ASSERT_TRUE(other.AddFile("http://h.com/x", again, none));
    EXPECT_FALSE(tree.AddFile("http://h.com/x", *other.FindFile("http://h.com/x"), none));
    EXPECT_EQ(tree.LastTreeError(), kTreeErrorForeign);
}

TEST(WebTreeAliases, AFileUnderTwoAddressesIsOwnedOnce)
{
    TWebTree tree;
    TWebFile* target = Add(tree, "http://h.com/new/page.htm", "P");
    Add(tree, "http://h.com/zz.htm", "Z");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/old.htm", *target, replaced));
    EXPECT_EQ(replaced, nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com/old.htm"), target);
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/new/page.htm=P", "http://h.com/zz.htm=Z",
                                                    "http://h.com/old.htm=P"}));
    // The parent stays where the file was first entered.
    EXPECT_EQ(tree.GetFileUrl(*target), "http://h.com/new/page.htm");
    EXPECT_EQ(tree.CountFiles([&](const TWebFile& f) { return &f == target; }), 2u);
}

TEST(WebTreeAliases, FileUrlIsTheLastAddressUnderTheFirstParent)
{
    TWebTree tree;
    TWebFile* file = Add(tree, "http://h.com/d/one.htm", "F");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/d/two.htm", *file, replaced));
    ASSERT_TRUE(tree.AddFile("http://h.com/e/three.htm", *file, replaced));
    EXPECT_EQ(tree.GetFileUrl(*file), "http://h.com/d/two.htm");

    // Once the later address holds another file, the earlier one is the last.
    Add(tree, "http://h.com/d/two.htm", "G");
    EXPECT_EQ(tree.GetFileUrl(*file), "http://h.com/d/one.htm");
}

TEST(WebTreeAliases, RedirectReplacesARecordStillInUse)
{
    // A request for old.htm is redirected to new.htm: the new record is
    // entered under its own address and then under the old one, while the
    // request and the list of links to explore still hold the old record.
    TWebTree tree;
    TWebFile* inProgress = Add(tree, "http://h.com/old.htm", "OLD");
    inProgress->State = StateInProgress;
    TWebFile* target = Add(tree, "http://h.com/new.htm", "NEW");

    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/old.htm", *target, replaced));
    ASSERT_EQ(replaced.get(), inProgress);
    EXPECT_EQ(replaced->State, StateInProgress) << "still usable by the request";
    EXPECT_EQ(tree.Count(), 2);
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/old.htm=NEW", "http://h.com/new.htm=NEW"}));

    // The target redirects back to itself: nothing changes.
    std::unique_ptr<TWebFile> none;
    ASSERT_TRUE(tree.AddFile("http://h.com/new.htm", *target, none));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(tree.GetFileUrl(*target), "http://h.com/new.htm");
}

TEST(WebTreeAliases, ReplacingTheOwnerPassesTheFileToItsOtherAddress)
{
    TWebTree tree;
    TWebFile* shared = Add(tree, "http://h.com/a/first.htm", "S");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://other.com/second.htm", *shared, replaced));

    // The owning address gets a new file; the shared one must live on.
    TWebFile* fresh = Add(tree, "http://h.com/a/first.htm", "N");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(tree.FindFile("http://other.com/second.htm"), shared);
    EXPECT_EQ(tree.GetFileUrl(*shared), "http://other.com/second.htm");
    EXPECT_NE(shared->Parent(), fresh->Parent());

    // Replacing the new owner hands the file back: no address refers to it.
    TWebFile* last = Add(tree, "http://other.com/second.htm", "L");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/a/first.htm=N", "http://other.com/second.htm=L"}));
}

TEST(WebTreeAliases, HandedBackOnlyWhenTheLastAddressGoes)
{
    TWebTree tree;
    TWebFile* shared = Add(tree, "http://h.com/1.htm", "S");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/2.htm", *shared, replaced));
    ASSERT_TRUE(tree.AddFile("http://h.com/3.htm", *shared, replaced));

    auto other = std::make_unique<TWebFile>();
    ASSERT_TRUE(tree.AddFile("http://h.com/2.htm", other, replaced));
    EXPECT_EQ(replaced, nullptr) << "2.htm only referred to the file";
    TWebFile* x = Add(tree, "http://h.com/1.htm", "X");
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com/3.htm"), shared);
    EXPECT_EQ(tree.GetFileUrl(*shared), "http://h.com/3.htm");

    auto y = std::make_unique<TWebFile>();
    ASSERT_TRUE(tree.AddFile("http://h.com/3.htm", y, replaced));
    EXPECT_EQ(replaced.get(), shared);
    EXPECT_EQ(shared->Parent(), nullptr);
    // Entering the handed-back file anew works like any new file.
    std::unique_ptr<TWebFile> none;
    EXPECT_TRUE(tree.AddFile("http://h.com/4.htm", replaced, none));
    EXPECT_EQ(tree.GetFileUrl(*shared), "http://h.com/4.htm");
}

TEST(WebTreeWalk, InsertionOrderWithDirectoriesWhereTheyFirstAppeared)
{
    TWebTree tree;
    Add(tree, "http://h.com/z.htm", "1");
    Add(tree, "http://h.com/d/a.htm", "2");
    Add(tree, "http://g.com/", "3");
    Add(tree, "http://h.com/b.htm", "4");
    Add(tree, "http://H.com/d/c.htm", "5");
    Add(tree, "ftp://h.com/f", "6");
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/z.htm=1", "http://h.com/d/a.htm=2",
                                                    "http://h.com/d/c.htm=5", "http://h.com/b.htm=4",
                                                    "http://g.com/=3", "ftp://h.com/f=6"}));
    EXPECT_EQ(tree.Count(), 6);
}

TEST(WebTreeWalk, StopsAtTheFirstTrueAndStartsAtANode)
{
    TWebTree tree;
    Add(tree, "http://a.com/1", "1");
    Add(tree, "http://b.com/2", "2");
    Add(tree, "http://b.com/x/3", "3");
    Add(tree, "http://c.com/4", "4");

    int visits = 0;
    bool stopped = tree.ForEachFile([&](TWebFile& file) {
        ++visits;
        return file.GetFileName() == "2";
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(visits, 2);
    EXPECT_FALSE(tree.ForEachFile([](TWebFile&) { return false; }));

    // The sites are the nodes under the scheme's node.
    const TWebNode* http = tree.Root().NodeAt(0);
    ASSERT_NE(http, nullptr);
    ASSERT_EQ(http->EntryCount(), 3u);
    EXPECT_EQ(http->Key(1), "//b.com");
    const TWebNode* site = http->NodeAt(1);
    EXPECT_EQ(Walk(tree, site), (std::vector<std::string>{"http://b.com/2=2", "http://b.com/x/3=3"}));
    EXPECT_EQ(tree.CountFiles({}, site), 2u);
    EXPECT_EQ(tree.GetNodeUrl(*site), "http://b.com");
}

TEST(WebTreeWalk, VisitorsMayAddFiles)
{
    TWebTree tree;
    Add(tree, "http://h.com/a", "a");
    std::vector<std::string> seen;
    tree.ForEachFile([&](TWebFile& file, const std::string& address) {
        seen.push_back(address);
        if (file.GetFileName().size() < 4)
            Add(tree, address + "x", file.GetFileName() + "x");
        return false;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"http://h.com/a", "http://h.com/ax", "http://h.com/axx",
                                              "http://h.com/axxx"}));
}

TEST(WebTreeLimits, FullTreeRefusesNewAddressesButReplaces)
{
    TWebTree tree;
    for (std::size_t i = 0; i < TWebTree::kMaxFiles; ++i)
        ASSERT_NE(Add(tree, "http://h.com/d" + std::to_string(i % 7) + "/" + std::to_string(i)), nullptr) << i;
    EXPECT_TRUE(tree.IsFull());
    EXPECT_EQ(tree.Count(), 32767);

    auto file = std::make_unique<TWebFile>();
    std::unique_ptr<TWebFile> replaced;
    EXPECT_FALSE(tree.AddFile("http://h.com/new/file", file, replaced));
    EXPECT_EQ(tree.LastTreeError(), kTreeErrorFull);
    EXPECT_NE(file, nullptr);
    EXPECT_EQ(tree.FindFile("http://h.com/new/file"), nullptr);
    EXPECT_EQ(tree.Root().NodeAt(0)->NodeAt(0)->NodeAt(0)->Find("new/"), TWebNode::npos);

    EXPECT_TRUE(tree.AddFile("http://h.com/d0/0", file, replaced));
    EXPECT_NE(replaced, nullptr);
    EXPECT_EQ(tree.Count(), 32767);

    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.Root().EntryCount(), 0u);
    EXPECT_EQ(tree.FindFile("http://h.com/d0/0"), nullptr);
    EXPECT_NE(Add(tree, "http://h.com/d0/0"), nullptr);
}
