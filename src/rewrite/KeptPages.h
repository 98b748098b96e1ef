#pragma once

#include "html/Tag.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velbrin {

// The size and modification time of a stored file: what tells a file that
// changed on disk from the one some information was kept about.
struct TFileStamp {
    std::int64_t Size = -1;
    std::int64_t Modified = 0; // nanoseconds, as the file system keeps them

    friend bool operator==(const TFileStamp&, const TFileStamp&) = default;
};

// The stamp of a regular file; none when there is none at path or it cannot
// be read.
std::optional<TFileStamp> StampOf(const std::string& path);

// The items kept for one page, in their compact form, with the stamp its
// file had when they were kept.
struct TKeptItems {
    std::string Code; // EncodeItems
    TFileStamp Stamp;

    // The items, when the file still has the stamp they were kept with;
    // none otherwise.
    std::vector<TTag> ItemsFor(const TFileStamp& stamp) const;
};

// The items of the pages a session tokenized, by file name, each with the
// stamp its file had when they were kept: the rewrite at the end of the
// session takes them instead of tokenizing those pages again. Kept in memory
// in their compact form (EncodeItems), up to a budget; the pages beyond it
// are tokenized again, like the pages of earlier sessions.
class TKeptPages {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{48} << 20;

    explicit TKeptPages(std::size_t budget = kDefaultBudget)
        : m_budget(budget)
    {
    }

    // Keeps the items of the page the file now holds, written with the stamp
    // given; replaces what was kept for it. Nothing is kept for empty items
    // or once the budget is spent.
    void Keep(const std::string& fileName, const std::vector<TTag>& items, const TFileStamp& stamp);
    // The items kept for the file, when it still has the stamp they were
    // kept with; none otherwise.
    std::vector<TTag> Find(const std::string& fileName, const TFileStamp& stamp) const;
    void Forget(const std::string& fileName);
    // Moves out what was kept for the file, so that the page can be
    // rewritten from it where this store is out of reach (a worker thread).
    std::optional<TKeptItems> Take(const std::string& fileName);
    // Keeps again what Take gave, when the page was not written after all;
    // the budget still holds.
    void PutBack(const std::string& fileName, TKeptItems kept);
    void Clear();

    std::size_t Count() const { return m_pages.size(); }
    // Bytes of the kept items.
    std::size_t Bytes() const { return m_bytes; }

private:
    std::unordered_map<std::string, TKeptItems> m_pages;
    std::size_t m_budget;
    std::size_t m_bytes = 0;
};

} // namespace velbrin
