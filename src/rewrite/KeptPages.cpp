#include "rewrite/KeptPages.h"

#include "html/EditedItems.h"

#include <sys/stat.h>

namespace velbrin {

std::optional<TFileStamp> StampOf(const std::string& path)
{
    // One look-up for both: a pass asks for every page.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return TFileStamp{static_cast<std::int64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::vector<TTag> TKeptItems::ItemsFor(const TFileStamp& stamp) const
{
    if (!(Stamp == stamp))
        return {};
    return DecodeItems(Code);
}

void TKeptPages::Keep(const std::string& fileName, const std::vector<TTag>& items, const TFileStamp& stamp)
{
    if (items.empty()) {
        Forget(fileName);
        return;
    }
    PutBack(fileName, TKeptItems{EncodeItems(items), stamp});
}

std::vector<TTag> TKeptPages::Find(const std::string& fileName, const TFileStamp& stamp) const
{
    const auto found = m_pages.find(fileName);
    if (found == m_pages.end())
        return {};
    return found->second.ItemsFor(stamp);
}

void TKeptPages::Forget(const std::string& fileName)
{
    const auto found = m_pages.find(fileName);
    if (found == m_pages.end())
        return;
    m_bytes -= found->second.Code.size();
    m_pages.erase(found);
}

std::optional<TKeptItems> TKeptPages::Take(const std::string& fileName)
{
    const auto found = m_pages.find(fileName);
    if (found == m_pages.end())
        return std::nullopt;
    TKeptItems kept = std::move(found->second);
    m_bytes -= kept.Code.size();
    m_pages.erase(found);
    return kept;
}

void TKeptPages::PutBack(const std::string& fileName, TKeptItems kept)
{
    Forget(fileName);
    if (kept.Code.empty() || m_bytes + kept.Code.size() > m_budget)
        return;
    m_bytes += kept.Code.size();
    m_pages.insert_or_assign(fileName, std::move(kept));
}

void TKeptPages::Clear()
{
    m_pages.clear();
    m_bytes = 0;
}

} // namespace velbrin
