#pragma once

#include "core/Stream.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A captured picture that was a server-side image map, and what its
// client-side map needs. File names are bare names inside the capture
// directory.
struct TMapImg {
    std::string ImageFile;   // the picture's stored file; the entry's key
    std::string MapFile;     // the map file: ImageFile with the extension ".map"
    std::string MapLink;     // the link around the picture as the page first carried it
    std::string Description; // the picture's description in the web tree
    std::string Page;        // address of the page that shows the picture
    std::string Target;      // TARGET of the enclosing link; empty when none

    bool operator==(const TMapImg&) const = default;
};

// The image maps of a Web, in the order they were found.
class TMAPLIST {
public:
    // The stored count is a signed 16-bit number.
    static constexpr std::size_t kMaxEntries = 32767;
    // The first project version whose entries hold the target.
    static constexpr int kTargetVersion = 20;

    std::size_t Count() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const TMapImg& Item(std::size_t index) const { return m_entries[index]; }
    TMapImg& Item(std::size_t index) { return m_entries[index]; }
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

    void Clear() { m_entries.clear(); }
    // Index of the last entry whose image file equals imageFile ignoring
    // case; -1 when there is none.
    int Find(std::string_view imageFile) const;
    // Appends the entry, its texts cut at 255 bytes; false when the list is full.
    bool Add(TMapImg entry);

    // A signed 16-bit count, then the six texts of every entry. Raises
    // EStreamError when the stream cannot be written.
    void SaveToStream(TStream& stream) const;
    // Replaces the list with the one stored in a project file of the given
    // version (below kTargetVersion an entry has no target). An entry whose
    // image or map file is empty or not a bare name (IsSafeLocalName) is
    // dropped, so that nothing can lead outside the capture directory; the
    // other entries load. False, with the list unchanged, when the stream is
    // cut short or its count is negative.
    bool LoadFromStream(TStream& stream, int version);

    // Deletes the map file of every entry that exists in directory (ending
    // with "/"); returns how many were deleted. Names that are not bare names
    // are skipped.
    int DeleteMapFiles(const std::string& directory) const;

private:
    std::vector<TMapImg> m_entries;
};

} // namespace velbrin
