#include "browser/BookmarkTree.h"

#include <algorithm>
#include <chrono>

namespace velbrin {

TBookmarkDate BookmarkNow()
{
    // The system clock counts from 1970 in UTC, whatever the time zone.
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count();
}

TBookmarkItem::TBookmarkItem(std::string url, std::string title, std::string description)
    : Url(std::move(url))
    , Title(std::move(title))
    , Description(std::move(description))
{
    if (Title.empty())
        Title = Url;
    AddDate = LastVisit = LastModified = BookmarkNow();
}

TBookmarkFolder::TBookmarkFolder(std::string name, std::string description)
    : AddDate(BookmarkNow())
    , Name(std::move(name))
    , Description(std::move(description))
{
}

TBookmarkFolder::~TBookmarkFolder() = default;

TBookmarkFolder& TBookmarkFolder::AddFolder(std::unique_ptr<TBookmarkFolder> folder)
{
    TBookmarkFolder& added = *folder;
    Append(std::move(folder));
    ++m_folderCount;
    return added;
}

TBookmarkItem& TBookmarkFolder::AddItem(std::unique_ptr<TBookmarkItem> item)
{
    TBookmarkItem& added = *item;
    Append(std::move(item));
    ++m_itemCount;
    return added;
}

bool TBookmarkFolder::RemoveFolder(const TBookmarkFolder* folder)
{
    if (!Remove(folder))
        return false;
    --m_folderCount;
    return true;
}

bool TBookmarkFolder::RemoveItem(const TBookmarkItem* item)
{
    if (!Remove(item))
        return false;
    --m_itemCount;
    return true;
}

TBookmarkFolder* TBookmarkFolder::FindFolder(std::string_view name) const
{
    for (const auto& child : m_children) {
        TBookmarkFolder* folder = child->AsFolder();
        if (folder && folder->Name == name)
            return folder;
    }
    return nullptr;
}

TBookmarkItem* TBookmarkFolder::FindItem(std::string_view url) const
{
    for (const auto& child : m_children) {
        if (TBookmarkItem* item = child->AsItem()) {
            if (item->Url == url)
                return item;
        } else if (TBookmarkItem* found = child->AsFolder()->FindItem(url)) {
            return found;
        }
    }
    return nullptr;
}

void TBookmarkFolder::FreeChildren()
{
    m_children.clear();
    m_itemCount = 0;
    m_folderCount = 0;
}

void TBookmarkFolder::Append(std::unique_ptr<TBookmarkEntry> entry)
{
    entry->m_parent = this;
    m_children.push_back(std::move(entry));
    Modified = true;
}

bool TBookmarkFolder::Remove(const TBookmarkEntry* entry)
{
    auto found = std::find_if(m_children.begin(), m_children.end(),
                              [entry](const auto& child) { return child.get() == entry; });
    if (entry == nullptr || found == m_children.end())
        return false;
    m_children.erase(found);
    Modified = true;
    return true;
}

} // namespace velbrin
