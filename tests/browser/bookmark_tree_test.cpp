#include "browser/BookmarkTree.h"

#include <gtest/gtest.h>

using namespace velbrin;

TEST(BookmarkTree, NewEntriesAreDatedNowAndAnUntitledItemShowsItsAddress)
{
    const TBookmarkDate before = BookmarkNow();
    TBookmarkItem item("http://a/", "", "desc");
    TBookmarkFolder folder("F");
    const TBookmarkDate after = BookmarkNow();
    EXPECT_EQ(item.Title, "http://a/");
    EXPECT_EQ(item.Description, "desc");
    for (TBookmarkDate date : {item.AddDate, item.LastVisit, item.LastModified, folder.AddDate}) {
        EXPECT_GE(date, before);
        EXPECT_LE(date, after);
    }
    EXPECT_GT(before, 1600000000); // seconds since 1970, not days
}

TEST(BookmarkTree, AddAndRemoveKeepCountsParentsAndModified)
{
    TBookmarkFolder root("root");
    TBookmarkFolder& sub = root.AddFolder(std::make_unique<TBookmarkFolder>("sub"));
    TBookmarkItem& item = root.AddItem(std::make_unique<TBookmarkItem>("http://a/", "A", ""));
    TBookmarkItem& nested = sub.AddItem(std::make_unique<TBookmarkItem>("http://b/", "B", ""));
    EXPECT_TRUE(root.Modified);
    EXPECT_EQ(root.FolderCount(), 1);
    EXPECT_EQ(root.ItemCount(), 1);
    EXPECT_EQ(sub.Parent(), &root);
    EXPECT_EQ(item.Parent(), &root);
    EXPECT_EQ(nested.Parent(), &sub);
    EXPECT_EQ(root.Parent(), nullptr);

    // Only direct children are removed.
    root.Modified = false;
    EXPECT_FALSE(root.RemoveItem(&nested));
    EXPECT_FALSE(root.RemoveFolder(nullptr));
    EXPECT_FALSE(root.Modified);
    EXPECT_EQ(sub.ItemCount(), 1);

    EXPECT_TRUE(root.RemoveItem(&item));
    EXPECT_TRUE(root.Modified);
    EXPECT_EQ(root.ItemCount(), 0);
    EXPECT_TRUE(root.RemoveFolder(&sub)); // frees its children too
    EXPECT_EQ(root.FolderCount(), 0);
    EXPECT_TRUE(root.Children().empty());
}

TEST(BookmarkTree, FindFolderIsExactAndDirect)
{
    TBookmarkFolder root;
    TBookmarkFolder& webs = root.AddFolder(std::make_unique<TBookmarkFolder>("Local webs"));
    webs.AddFolder(std::make_unique<TBookmarkFolder>("Inner"));
    TBookmarkFolder& second = root.AddFolder(std::make_unique<TBookmarkFolder>("Local webs"));
    EXPECT_EQ(root.FindFolder("Local webs"), &webs);
    EXPECT_NE(root.FindFolder("Local webs"), &second);
    EXPECT_EQ(root.FindFolder("local webs"), nullptr);
    EXPECT_EQ(root.FindFolder("Inner"), nullptr);
}

TEST(BookmarkTree, FindItemSearchesSubfoldersWhereTheyStand)
{
    TBookmarkFolder root;
    root.AddItem(std::make_unique<TBookmarkItem>("http://other/", "O", ""));
    TBookmarkFolder& sub = root.AddFolder(std::make_unique<TBookmarkFolder>("sub"));
    TBookmarkFolder& deeper = sub.AddFolder(std::make_unique<TBookmarkFolder>("deeper"));
    TBookmarkItem& inside = deeper.AddItem(std::make_unique<TBookmarkItem>("http://same/", "inside", ""));
    root.AddItem(std::make_unique<TBookmarkItem>("http://same/", "after", ""));

    EXPECT_EQ(root.FindItem("http://same/"), &inside);
    EXPECT_EQ(root.FindItem("http://SAME/"), nullptr);
    EXPECT_EQ(sub.FindItem("http://other/"), nullptr);
}
