#include "store/WebTree.h"

#include "core/ShortString.h"
#include "core/Url.h"
#include "store/WebTreeWalk.h"

#include <algorithm>
#include <array>

namespace velbrin {

TWebNode::TWebNode(TWebNode* parent, std::size_t slot)
    : m_parent(parent)
    , m_slot(slot)
    , m_level(parent ? parent->m_level + 1 : 0)
    , m_index(0, KeyHash{m_level}, KeyEqual{m_level})
{
}

std::size_t TWebNode::Find(std::string_view key) const
{
    auto found = m_index.find(key);
    return found == m_index.end() ? npos : found->second;
}

std::size_t TWebNode::Append(std::string_view key)
{
    std::size_t slot = m_entries.size();
    m_entries.push_back(Entry{std::string(key), nullptr, nullptr, nullptr});
    m_index.emplace(std::string_view(m_entries.back().Key), slot);
    return slot;
}

TWebTree::TWebTree()
    : m_root(new TWebNode(nullptr, 0))
{
}

TWebTree::~TWebTree() = default;

bool TWebTree::AddFile(std::string_view address, std::unique_ptr<TWebFile>& file, std::unique_ptr<TWebFile>& replaced)
{
    if (!file)
        return Fail(kTreeErrorForeign);
    if (file->m_parent)
        return Fail(kTreeErrorHeld);
    return Insert(address, &file, *file, replaced);
}

bool TWebTree::AddFile(std::string_view address, TWebFile& file, std::unique_ptr<TWebFile>& replaced)
{
    if (!Holds(file))
        return Fail(kTreeErrorForeign);
    return Insert(address, nullptr, file, replaced);
}

bool TWebTree::Insert(std::string_view address, std::unique_ptr<TWebFile>* owned, TWebFile& file,
                      std::unique_ptr<TWebFile>& replaced)
{
    TStringList keys = UrlToList(address);
    std::size_t length = 0;
    for (const std::string& key : keys)
        length += key.size();
    // The address is stored as a short string: a longer one would read back
    // as another address.
    if (length > kShortStringMax)
        return Fail(kTreeErrorTooLong);

    TWebNode* node = m_root.get();
    std::size_t level = 0;
    for (; level < keys.size(); ++level) {
        std::size_t slot = node->Find(keys[level]);
        if (slot == TWebNode::npos)
            break;
        TWebNode::Entry& entry = node->m_entries[slot];
        bool last = level + 1 == keys.size();
        if (!last) {
            if (!entry.Node)
                return Fail(kTreeErrorNode);
            node = entry.Node.get();
            continue;
        }
        if (entry.Node)
            return Fail(kTreeErrorReplace);
        if (entry.File != &file) {
            Displace(*node, slot, replaced);
            Place(*node, slot, owned, file);
        }
        return true;
    }

    // A new address: the remaining keys are created below node, where no
    // conflict is possible any more.
    if (IsFull())
        return Fail(kTreeErrorFull);
    for (; level + 1 < keys.size(); ++level) {
        std::size_t slot = node->Append(keys[level]);
        node->m_entries[slot].Node.reset(new TWebNode(node, slot));
        node = node->m_entries[slot].Node.get();
    }
    Place(*node, node->Append(keys.back()), owned, file);
    ++m_count;
    return true;
}

bool TWebTree::Fail(std::string_view error)
{
    m_lastError = std::string(error);
    return false;
}

void TWebTree::Displace(TWebNode& node, std::size_t slot, std::unique_ptr<TWebFile>& replaced)
{
    TWebNode::Entry& entry = node.m_entries[slot];
    TWebFile* old = entry.File;
    entry.File = nullptr;
    auto aliases = m_aliases.find(old);
    if (!entry.OwnedFile) {
        // Only a further address of a file owned elsewhere.
        if (aliases == m_aliases.end())
            return;
        std::erase_if(aliases->second, [&](const Location& at) { return at.Node == &node && at.Slot == slot; });
        if (aliases->second.empty())
            m_aliases.erase(aliases);
        return;
    }
    if (aliases == m_aliases.end()) {
        replaced = std::move(entry.OwnedFile);
        old->m_parent = nullptr;
        old->m_slot = 0;
        return;
    }
    // Still entered under another address: that entry becomes its owner.
    Location heir = aliases->second.front();
    aliases->second.erase(aliases->second.begin());
    if (aliases->second.empty())
        m_aliases.erase(aliases);
    heir.Node->m_entries[heir.Slot].OwnedFile = std::move(entry.OwnedFile);
    old->m_parent = heir.Node;
    old->m_slot = heir.Slot;
}

void TWebTree::Place(TWebNode& node, std::size_t slot, std::unique_ptr<TWebFile>* owned, TWebFile& file)
{
    TWebNode::Entry& entry = node.m_entries[slot];
    entry.File = &file;
    // The new address is not saved yet: the file's record is written again
    // under every address it holds.
    file.m_savedMark = 0;
    if (owned) {
        entry.OwnedFile = std::move(*owned);
        file.m_parent = &node;
        file.m_slot = slot;
    } else {
        m_aliases[&file].push_back({&node, slot});
    }
}

bool TWebTree::Holds(const TWebFile& file) const
{
    const TWebNode* node = file.m_parent;
    if (!node)
        return false;
    while (node->m_parent)
        node = node->m_parent;
    return node == m_root.get();
}

TWebFile* TWebTree::FindFile(std::string_view address) const
{
    // Most addresses are looked up without being parsed into new strings.
    std::array<std::string_view, 32> views;
    const std::size_t count = UrlKeysInPlace(address, views);
    if (count > 0)
        return FindByKeys(std::span<const std::string_view>(views.data(), count));
    const TStringList keys = UrlToList(address);
    const std::vector<std::string_view> parsed(keys.begin(), keys.end());
    return FindByKeys(parsed);
}

TWebFile* TWebTree::FindByKeys(std::span<const std::string_view> keys) const
{
    const TWebNode* node = m_root.get();
    for (std::size_t level = 0; level < keys.size(); ++level) {
        std::size_t slot = node->Find(keys[level]);
        if (slot == TWebNode::npos)
            return nullptr;
        const TWebNode::Entry& entry = node->m_entries[slot];
        if (level + 1 == keys.size())
            return entry.File;
        if (!entry.Node)
            return nullptr;
        node = entry.Node.get();
    }
    return nullptr;
}

bool TWebTree::ForEachFile(const TFileVisitor& visit, const TWebNode* from)
{
    const TWebNode& start = from ? *from : *m_root;
    std::string address = GetNodeUrl(start);
    auto step = [&](TWebFile& file, const std::string* at) { return visit(file, *at); };
    return detail::WalkWebNode(start, &address, step);
}

bool TWebTree::ForEachFile(const TFileAction& visit, const TWebNode* from)
{
    auto step = [&](TWebFile& file, const std::string*) { return visit(file); };
    return detail::WalkWebNode(from ? *from : *m_root, nullptr, step);
}

std::size_t TWebTree::CountFiles(const std::function<bool(const TWebFile&)>& predicate, const TWebNode* from) const
{
    std::size_t count = 0;
    auto step = [&](const TWebFile& file, const std::string*) {
        if (!predicate || predicate(file))
            ++count;
        return false;
    };
    detail::WalkWebNode(from ? *from : *m_root, nullptr, step);
    return count;
}

std::string TWebTree::GetFileUrl(const TWebFile& file) const
{
    const TWebNode* node = file.m_parent;
    if (!node)
        return {};
    // The last entry of the parent that holds the file.
    std::size_t slot = file.m_slot;
    if (auto aliases = m_aliases.find(&file); aliases != m_aliases.end()) {
        for (const Location& at : aliases->second) {
            if (at.Node == node)
                slot = std::max(slot, at.Slot);
        }
    }
    if (slot >= node->m_entries.size() || node->m_entries[slot].File != &file)
        return {};
    return ShortString(GetNodeUrl(*node) + node->m_entries[slot].Key);
}

std::string TWebTree::GetNodeUrl(const TWebNode& node) const
{
    std::vector<const std::string*> keys;
    for (const TWebNode* at = &node; at->m_parent; at = at->m_parent)
        keys.push_back(&at->m_parent->m_entries[at->m_slot].Key);
    std::string address;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        address += **key;
    return address;
}

void TWebTree::Clear()
{
    m_aliases.clear();
    m_root.reset(new TWebNode(nullptr, 0));
    m_count = 0;
}

} // namespace velbrin
