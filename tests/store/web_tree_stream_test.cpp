#include "core/MemoryStream.h"
#include "core/StreamPrimitives.h"
#include "store/WebTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

std::string Str(std::string_view text)
{
    return std::string(1, static_cast<char>(text.size())) + std::string(text);
}

std::string Count(int count)
{
    return {static_cast<char>(count & 0xFF), static_cast<char>((count >> 8) & 0xFF)};
}

// One record: state, flags (or link type), the two depths, then the texts.
std::string Record(std::uint8_t state, std::uint8_t flags, std::uint8_t webDepth, std::uint8_t linkDepth,
                   std::string_view address, std::string_view name, std::string_view description)
{
    return std::string{static_cast<char>(state), static_cast<char>(flags), static_cast<char>(webDepth),
                       static_cast<char>(linkDepth)} +
           Str(address) + Str(name) + Str(description);
}

TWebFile* Add(TWebTree& tree, std::string_view address, std::string_view name)
{
    auto file = std::make_unique<TWebFile>();
    file->SetFileName(name);
    TWebFile* raw = file.get();
    std::unique_ptr<TWebFile> replaced;
    return tree.AddFile(address, file, replaced) ? raw : nullptr;
}

std::vector<std::string> Walk(TWebTree& tree)
{
    std::vector<std::string> seen;
    tree.ForEachFile([&](TWebFile& file, const std::string& address) {
        seen.push_back(address + "=" + file.GetFileName());
        return false;
    });
    return seen;
}

bool Load(TWebTree& tree, const std::string& bytes, int version)
{
    TMemoryStreamEx stream(bytes);
    return tree.LoadFromStream(stream, version);
}

} // namespace

TEST(WebTreeSave, WritesOneRecordPerAddressInWalkOrder)
{
    TWebTree tree;
    TWebFile* page = Add(tree, "http://h.com/d/p.htm", "P1.htm");
    page->State = StateCapturedPage;
    page->WebDepth = 1;
    page->LinkDepth = 2;
    page->Tries = 3;
    page->SetDescription("T&amp;T");
    page->SetMimeType("text/html");
    page->SetIsmap(true);
    TWebFile* picture = Add(tree, "http://h.com/i.gif", "I1.gif");
    picture->SetLinkType(2);
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/alias.htm", *page, replaced));

    TMemoryStreamEx stream;
    stream.Write("hd", 2);
    tree.SaveToStream(stream);
    EXPECT_EQ(stream.ToString(), "hd" + Count(3) +
                                     Record(2, 3, 1, 2, "http://h.com/d/p.htm", "P1.htm", "T&T") + Str("text/html") +
                                     Record(0, 4, 0, 0, "http://h.com/i.gif", "I1.gif", "") + Str("") +
                                     Record(2, 3, 1, 2, "http://h.com/alias.htm", "P1.htm", "T&T") + Str("text/html"));
    EXPECT_EQ(stream.Position(), stream.Size()) << "left after the records, not after the count";

    TWebTree empty;
    TMemoryStreamEx none;
    empty.SaveToStream(none);
    EXPECT_EQ(none.ToString(), Count(0));
}

TEST(WebTreeSave, ReadsBackTheSameWalk)
{
    TWebTree tree;
    for (int i = 0; i < 120; ++i) {
        TWebFile* file = Add(tree, "http://h" + std::to_string(i % 3) + ".com/d" + std::to_string(i % 5) + "/f" +
                                       std::to_string(i),
                             "F" + std::to_string(i));
        file->State = static_cast<std::uint8_t>(i % 7);
        file->Flags = static_cast<std::uint8_t>(i % 8);
        file->SetDescription("caf&eacute; &amp;amp; " + std::to_string(i));
    }
    int pumps = 0;
    TMemoryStreamEx stream;
    tree.SaveToStream(stream, [&] { ++pumps; });
    EXPECT_EQ(pumps, 2);

    TWebTree copy;
    stream.SetPosition(0);
    pumps = 0;
    ASSERT_TRUE(copy.LoadFromStream(stream, TWebTree::kCurrentVersion, [&] { ++pumps; }));
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(Walk(copy), Walk(tree));
    TWebFile* file = copy.FindFile("http://h2.com/d4/f119");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->State, 119 % 7);
    EXPECT_EQ(file->Flags, 119 % 8);
    // Stored texts are not decoded a second time.
    EXPECT_EQ(file->GetDescription(), "caf\xE9 &amp; 119");
    EXPECT_EQ(file->Tries, 0u);
    EXPECT_EQ(copy.Count(), 120);
}

TEST(WebTreeSave, PathsThatDifferInLetterCaseReadBackAsTwoRecords)
{
    const std::string mime = Str("text/html");
    // Written when paths were compared ignoring case: the second link took
    // the spelling of the levels met first. Such a file reads back as it was
    // and is written again byte for byte.
    const std::string folded = Count(2) + Record(2, 1, 0, 0, "http://h.example/a/b/x.html", "X.htm", "") + mime +
                               Record(2, 1, 0, 1, "http://h.example/a/b/c/upper.html", "UPPER.htm", "") + mime;
    TWebTree old;
    ASSERT_TRUE(Load(old, folded, TWebTree::kCurrentVersion));
    TMemoryStreamEx again;
    old.SaveToStream(again);
    EXPECT_EQ(again.ToString(), folded);

    // Today the upper-case path is an address of its own; the host is one
    // whatever its spelling.
    TWebTree tree;
    Add(tree, "http://h.example/a/b/x.html", "X.htm");
    Add(tree, "HTTP://H.Example/A/B/c/upper.html", "UPPER.htm");
    TMemoryStreamEx stream;
    tree.SaveToStream(stream);
    TWebTree copy;
    stream.SetPosition(0);
    ASSERT_TRUE(copy.LoadFromStream(stream, TWebTree::kCurrentVersion));
    EXPECT_EQ(Walk(copy), (std::vector<std::string>{"http://h.example/a/b/x.html=X.htm",
                                                    "http://h.example/A/B/c/upper.html=UPPER.htm"}));
    EXPECT_EQ(copy.Root().NodeAt(0)->EntryCount(), 1u);
}

TEST(WebTreeLoad, OlderVersionsHoldTheLinkTypeAndNoMimeType)
{
    // Version 1: link type byte, no MIME type.
    TWebTree v1;
    ASSERT_TRUE(Load(v1,
                     Count(2) + Record(3, 2, 0, 1, "http://h.com/b.gif", "B.gif", "bg") +
                         Record(2, 0, 0, 0, "http://h.com/", "I.htm", ""),
                     1));
    TWebFile* background = v1.FindFile("http://h.com/b.gif");
    ASSERT_NE(background, nullptr);
    EXPECT_TRUE(background->GetBackground());
    EXPECT_FALSE(background->GetHtml());
    EXPECT_EQ(background->GetLinkType(), 2);
    EXPECT_EQ(background->LinkDepth, 1);
    EXPECT_EQ(background->GetMimeType(), "");
    ASSERT_NE(v1.FindFile("http://h.com/"), nullptr);
    EXPECT_EQ(v1.FindFile("http://h.com/")->GetLinkType(), 0);

    // Version 15: link type byte, then the MIME type.
    TWebTree v15;
    ASSERT_TRUE(Load(v15, Count(1) + Record(3, 1, 0, 0, "http://h.com/i.gif", "I.gif", "") + Str("image/gif"), 15));
    TWebFile* inline15 = v15.FindFile("http://h.com/i.gif");
    ASSERT_NE(inline15, nullptr);
    EXPECT_EQ(inline15->Flags, 0);
    EXPECT_EQ(inline15->GetMimeType(), "image/gif");

    // Version 16 on: the flags byte as it stands.
    TWebTree v16;
    ASSERT_TRUE(Load(v16, Count(1) + Record(2, 0x83, 0, 0, "http://h.com/m.htm", "M.htm", "") + Str("text/html"), 16));
    EXPECT_EQ(v16.FindFile("http://h.com/m.htm")->Flags, 0x83);
    EXPECT_TRUE(v16.FindFile("http://h.com/m.htm")->GetIsmap());
}

TEST(WebTreeLoad, CutOrCorruptStreamsLeaveTheTreeAlone)
{
    const std::string one = Record(2, 1, 0, 0, "http://h.com/a", "A", "") + Str("text/html");
    const std::string two = Record(2, 1, 0, 0, "http://h.com/b", "B", "") + Str("text/html");

    TWebTree tree;
    Add(tree, "http://h.com/old", "OLD");
    EXPECT_FALSE(Load(tree, "", 21));
    EXPECT_FALSE(Load(tree, "\x01", 21));
    EXPECT_FALSE(Load(tree, Count(2) + one + two.substr(0, two.size() - 3), 21));
    EXPECT_FALSE(Load(tree, Count(-1) + one, 21));
    // A count the stream cannot hold fails at the first missing record.
    EXPECT_FALSE(Load(tree, Count(32767) + "abc", 21));
    // The MIME type field that a version-21 reader expects is missing.
    EXPECT_FALSE(Load(tree, Count(1) + Record(2, 1, 0, 0, "http://h.com/c", "C", ""), 21));
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/old=OLD"}));
    EXPECT_EQ(tree.Count(), 1);

    EXPECT_TRUE(Load(tree, Count(0), 21));
    EXPECT_TRUE(Load(tree, Count(2) + one + two, 21));
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/old=OLD", "http://h.com/a=A", "http://h.com/b=B"}));
}

TEST(WebTreeLoad, EmptyAddressEndsTheListAndRefusedRecordsAreDropped)
{
    const std::string mime = Str("");
    TWebTree tree;
    ASSERT_TRUE(Load(tree,
                     Count(6) + Record(2, 1, 0, 0, "http://h.com/a", "A1", "") + mime +
                         // Longer than 255 once the address gets its scheme and host keys.
                         Record(2, 1, 0, 0, std::string(250, 'x'), "LONG", "") + mime +
                         Record(2, 1, 0, 0, "http://h.com/b", "B", "") + mime +
                         // A second record of the same address takes the place of the first.
                         Record(3, 1, 0, 0, "HTTP://H.COM/a", "A2", "") + mime + Record(2, 1, 0, 0, "", "END", "") +
                         mime + Record(2, 1, 0, 0, "http://h.com/after", "AFTER", "") + mime,
                     21));
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/a=A2", "http://h.com/b=B"}));
    EXPECT_EQ(tree.Count(), 2);
}

TEST(WebTreeLoad, StoredNamesLeadingOutOfTheDirectoryAreCleared)
{
    const std::string mime = Str("text/html");
    TWebTree tree;
    ASSERT_TRUE(Load(tree,
                     Count(4) + Record(2, 1, 0, 0, "http://h.com/1", "../../.bashrc", "up") + mime +
                         Record(2, 1, 0, 0, "http://h.com/2", "/etc/passwd", "") + mime +
                         Record(2, 1, 0, 0, "http://h.com/3", "..", "") + mime +
                         Record(2, 1, 0, 0, "http://h.com/4", "PAGE4.htm", "") + mime,
                     21));
    EXPECT_EQ(Walk(tree), (std::vector<std::string>{"http://h.com/1=", "http://h.com/2=", "http://h.com/3=",
                                                    "http://h.com/4=PAGE4.htm"}));
    // The record itself is kept.
    EXPECT_EQ(tree.FindFile("http://h.com/1")->GetDescription(), "up");
    EXPECT_EQ(tree.FindFile("http://h.com/1")->State, StateCapturedPage);
}

TEST(WebTreeAliases, AddressesSharingAFileShareItAgainOnceLoaded)
{
    // A redirect: the page is owned where it was fetched, the address that
    // redirected to it (met first by the walk) refers to it.
    TWebTree tree;
    TWebFile* moved = Add(tree, "http://h.com/moved.htm", "OLD.htm");
    TWebFile* page = Add(tree, "http://h.com/d/here.htm", "HERE.htm");
    page->State = StateCapturedPage;
    page->SetMimeType("text/html");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(tree.AddFile("http://h.com/moved.htm", *page, replaced));
    ASSERT_EQ(replaced.get(), moved);

    TMemoryStreamEx stream;
    tree.SaveToStream(stream);
    const std::int64_t records = stream.Size();
    tree.SaveAliasesToStream(stream);
    const std::string here = Record(2, 1, 0, 0, "http://h.com/d/here.htm", "HERE.htm", "") + Str("text/html");
    const std::string movedRecord = Record(2, 1, 0, 0, "http://h.com/moved.htm", "HERE.htm", "") + Str("text/html");
    EXPECT_EQ(stream.ToString(), Count(2) + movedRecord + here + Str("ALIASES") + Count(1) +
                                     Str("http://h.com/moved.htm") + Str("http://h.com/d/here.htm"));

    // A reader that stops after the records gets a record per address.
    TWebTree older;
    stream.SetPosition(0);
    ASSERT_TRUE(older.LoadFromStream(stream, TWebTree::kCurrentVersion));
    EXPECT_EQ(stream.Position(), records);
    EXPECT_NE(older.FindFile("http://h.com/moved.htm"), older.FindFile("http://h.com/d/here.htm"));
    EXPECT_EQ(older.GetFileUrl(*older.FindFile("http://h.com/moved.htm")), "http://h.com/moved.htm");

    // With the section the loaded tree is the saved one.
    older.LoadAliasesFromStream(stream);
    TWebFile* shared = older.FindFile("http://h.com/d/here.htm");
    EXPECT_EQ(older.FindFile("http://h.com/moved.htm"), shared);
    EXPECT_EQ(older.GetFileUrl(*shared), "http://h.com/d/here.htm");
    EXPECT_EQ(older.Count(), 2);
    EXPECT_EQ(Walk(older), Walk(tree));
    TMemoryStreamEx again;
    older.SaveToStream(again);
    older.SaveAliasesToStream(again);
    EXPECT_EQ(again.ToString(), stream.ToString());

    // A tree without shared files adds nothing to its records.
    TWebTree plain;
    Add(plain, "http://h.com/a", "A");
    TMemoryStreamEx none;
    plain.SaveAliasesToStream(none);
    EXPECT_EQ(none.Size(), 0);
}

TEST(WebTreeAliases, ASectionThatDoesNotFitTheRecordsChangesNothing)
{
    const std::string mime = Str("text/html");
    const std::string records = Count(3) + Record(2, 1, 0, 0, "http://h.com/a", "A.htm", "") + mime +
                                Record(2, 1, 0, 0, "http://h.com/b", "A.htm", "") + mime +
                                Record(2, 1, 0, 0, "http://h.com/c", "C.htm", "") + mime;
    const std::string pairs = Str("http://h.com/b") + Str("http://h.com/a");
    auto shared = [&](const std::string& section) {
        TMemoryStreamEx stream(records + section);
        TWebTree tree;
        EXPECT_TRUE(tree.LoadFromStream(stream, TWebTree::kCurrentVersion));
        tree.LoadAliasesFromStream(stream);
        EXPECT_EQ(tree.Count(), 3);
        return tree.FindFile("http://h.com/a") == tree.FindFile("http://h.com/b");
    };
    EXPECT_TRUE(shared(Str("ALIASES") + Count(1) + pairs));
    // Cut short, of another kind, naming addresses the records lack, or
    // sharing records that differ (C.htm is another file).
    EXPECT_FALSE(shared(Str("ALIASES") + Count(2) + pairs + Str("http://h.com/c")));
    EXPECT_FALSE(shared(Str("OTHER") + Count(1) + pairs));
    EXPECT_FALSE(shared(Str("ALIASES") + Count(-1) + pairs));
    EXPECT_FALSE(shared(Str("ALIASES") + Count(2) + Str("http://h.com/x") + Str("http://h.com/a") +
                        Str("http://h.com/b") + Str("http://h.com/c")));
}

// What a journal keeps: only the records that changed, and loaded over the
// last full save they give the tree a full save would give now.
TEST(WebTreeChanges, ChangedRecordsOverTheLastSaveGiveTheWholeTree)
{
    TWebTree tree;
    TWebFile* home = Add(tree, "http://h.com/", "INDEX.htm");
    TWebFile* a = Add(tree, "http://h.com/d/a.htm", "a.htm");
    Add(tree, "http://h.com/d/b.htm", "b.htm");
    Add(tree, "http://h.com/e/c.htm", "c.htm");
    TMemoryStreamEx full;
    tree.SaveToStream(full);
    tree.MarkAllSaved();
    TWebTree loaded;
    ASSERT_TRUE(Load(loaded, full.ToString(), TWebTree::kCurrentVersion));

    TMemoryStreamEx nothing;
    EXPECT_TRUE(tree.SaveChangesToStream(nothing).empty());
    EXPECT_EQ(nothing.ToString(), Count(0));

    // A state, a text, a new address in an old directory and one in a new
    // directory, and an unchanged file entered under a second address.
    home->State = StateCapturedPage;
    a->SetDescription("Title");
    Add(tree, "http://h.com/new/n.htm", "n.htm");
    Add(tree, "http://h.com/d/z.htm", "z.htm");
    std::unique_ptr<TWebFile> replaced;
    TWebFile* c = tree.FindFile("http://h.com/e/c.htm");
    ASSERT_TRUE(tree.AddFile("http://h.com/e/alias.htm", *c, replaced));

    TMemoryStreamEx changes;
    std::vector<TWebFile*> changed = tree.SaveChangesToStream(changes);
    EXPECT_EQ(changed.size(), 5u);
    const std::string bytes = changes.ToString();
    EXPECT_EQ(bytes, Count(6) + Record(2, 1, 0, 0, "http://h.com/", "INDEX.htm", "") + Str("") +
                         Record(0, 1, 0, 0, "http://h.com/d/a.htm", "a.htm", "Title") + Str("") +
                         Record(0, 1, 0, 0, "http://h.com/d/z.htm", "z.htm", "") + Str("") +
                         Record(0, 1, 0, 0, "http://h.com/e/c.htm", "c.htm", "") + Str("") +
                         Record(0, 1, 0, 0, "http://h.com/e/alias.htm", "c.htm", "") + Str("") +
                         Record(0, 1, 0, 0, "http://h.com/new/n.htm", "n.htm", "") + Str(""));
    ASSERT_TRUE(Load(loaded, bytes, TWebTree::kCurrentVersion));
    TMemoryStreamEx now;
    TMemoryStreamEx rebuilt;
    tree.SaveToStream(now);
    loaded.SaveToStream(rebuilt);
    EXPECT_EQ(rebuilt.ToString(), now.ToString());

    // Marked saved, they are not written again until they change.
    TWebTree::MarkSaved(changed);
    TMemoryStreamEx after;
    EXPECT_TRUE(tree.SaveChangesToStream(after).empty());
    a->State = StateCapturedPage;
    TMemoryStreamEx again;
    EXPECT_EQ(tree.SaveChangesToStream(again), std::vector<TWebFile*>{a});
}
