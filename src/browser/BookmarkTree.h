#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Seconds since 1 January 1970 00:00 UTC, as browsers write and read the
// dates of bookmark files. Kept in 64 bits so that any date a browser writes
// reads back.
using TBookmarkDate = std::int64_t;

// The current time as a bookmark date.
TBookmarkDate BookmarkNow();

class TBookmarkFolder;
class TBookmarkItem;

// One child of a folder: a link or a folder. Texts are held as the file holds
// them (HTML, character references not decoded) and written back unchanged,
// so whoever puts a plain text into an entry escapes it first (HtmlEscape).
class TBookmarkEntry {
public:
    virtual ~TBookmarkEntry() = default;
    TBookmarkEntry(const TBookmarkEntry&) = delete;
    TBookmarkEntry& operator=(const TBookmarkEntry&) = delete;

    // The folder that holds the entry; none for a root or an entry not added yet.
    TBookmarkFolder* Parent() const { return m_parent; }

    virtual TBookmarkItem* AsItem() { return nullptr; }
    virtual const TBookmarkItem* AsItem() const { return nullptr; }
    virtual TBookmarkFolder* AsFolder() { return nullptr; }
    virtual const TBookmarkFolder* AsFolder() const { return nullptr; }

    // The entry's place among the entries of the file it was read from
    // (TBookMarks keeps the places); -1 for an entry added since, which a
    // save writes out whole.
    std::int32_t SourceIndex() const { return m_source; }
    void SetSourceIndex(std::int32_t index) { m_source = index; }

protected:
    TBookmarkEntry() = default;

private:
    friend class TBookmarkFolder;
    TBookmarkFolder* m_parent = nullptr;
    std::int32_t m_source = -1;
};

// A link: the A tag of a bookmark file and the DD text after it.
class TBookmarkItem final : public TBookmarkEntry {
public:
    // Empty texts, dates 0: an item as the reader fills it in.
    TBookmarkItem() = default;
    // A new bookmark: an empty title becomes the address; all three dates are now.
    TBookmarkItem(std::string url, std::string title, std::string description);

    TBookmarkItem* AsItem() override { return this; }
    const TBookmarkItem* AsItem() const override { return this; }

    std::string Url;         // HREF
    std::string Title;       // link text
    std::string Description; // DD text, may be empty
    TBookmarkDate AddDate = 0;
    TBookmarkDate LastVisit = 0;
    TBookmarkDate LastModified = 0;
};

// A folder: an H3 heading (with its DD text) and the list that follows it.
// It owns its children and keeps them in file order.
class TBookmarkFolder : public TBookmarkEntry {
public:
    using TChildren = std::vector<std::unique_ptr<TBookmarkEntry>>;

    // A new folder, dated now.
    explicit TBookmarkFolder(std::string name = {}, std::string description = {});
    ~TBookmarkFolder() override;

    TBookmarkFolder* AsFolder() override { return this; }
    const TBookmarkFolder* AsFolder() const override { return this; }

    TBookmarkDate AddDate = 0;
    std::string Name;        // H3 text
    std::string Description; // DD text, may be empty
    // Set by every add and remove; nobody clears it but the reader.
    bool Modified = false;

    const TChildren& Children() const { return m_children; }
    // Direct children of each type.
    std::int32_t ItemCount() const { return m_itemCount; }
    std::int32_t FolderCount() const { return m_folderCount; }

    // Appends the entry, which now belongs to this folder, and returns it.
    TBookmarkFolder& AddFolder(std::unique_ptr<TBookmarkFolder> folder);
    TBookmarkItem& AddItem(std::unique_ptr<TBookmarkItem> item);
    // Takes out and frees the entry when it is a direct child; false otherwise.
    bool RemoveFolder(const TBookmarkFolder* folder);
    bool RemoveItem(const TBookmarkItem* item);

    // The first direct child folder of exactly that name (case counts).
    TBookmarkFolder* FindFolder(std::string_view name) const;
    // The first item of exactly that address, depth first: each subfolder is
    // searched where it stands among the children.
    TBookmarkItem* FindItem(std::string_view url) const;

protected:
    // Frees every child.
    void FreeChildren();

private:
    void Append(std::unique_ptr<TBookmarkEntry> entry);
    bool Remove(const TBookmarkEntry* entry);

    TChildren m_children;
    std::int32_t m_itemCount = 0;
    std::int32_t m_folderCount = 0;
};

} // namespace velbrin
