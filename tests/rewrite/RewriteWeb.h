#pragma once

#include "core/Files.h"
#include "core/MemoryStream.h"
#include "html/HtmlParser.h"
#include "rewrite/RewritePage.h"
#include "maps/MapList.h"
#include "store/WebTree.h"
#include "support/TempDir.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin::test {

// A Web to rewrite pages against: a capture directory, a tree and a map list.
class RewriteWeb {
public:
    // Enters a record for the address; returns it so that a test can change
    // its state later.
    TWebFile& Add(std::string_view address, std::uint8_t state, std::string_view fileName = {})
    {
        auto file = std::make_unique<TWebFile>();
        file->State = state;
        file->SetFileName(fileName);
        TWebFile& held = *file;
        std::unique_ptr<TWebFile> replaced;
        if (!tree.AddFile(address, file, replaced))
            throw std::runtime_error("tree refused " + std::string(address));
        return held;
    }

    // A picture with a map entry, and its map file when content is given.
    void AddMap(std::string_view imageFile, std::string_view mapFile, const char* content)
    {
        TMapImg entry;
        entry.ImageFile = imageFile;
        entry.MapFile = mapFile;
        maps.Add(entry);
        if (content)
            WriteFile(std::string(mapFile), content);
    }

    void WriteFile(const std::string& name, std::string_view bytes) const { WriteWholeFile(Path() + name, bytes); }
    std::string ReadFile(const std::string& name) const { return ReadWholeFile(Path() + name); }
    const std::string& Path() const { return dir.Path(); }

    std::string Rewrite(std::string_view page, TRewriteFlags flags = {}, std::string_view address = kPageAddress) const
    {
        return TPageRewriter(Path(), tree, maps, flags, kCaptureDate).Rewrite(page, address);
    }

    // The same pass given only the items of a scan that it reads.
    std::string RewriteThinned(std::string_view page, TRewriteFlags flags = {},
                               std::string_view address = kPageAddress) const
    {
        TViewStream source(page);
        std::vector<TTag> items = ItemsAPassReads(THtmlParser(source).Items(), page);
        return TPageRewriter(Path(), tree, maps, flags, kCaptureDate).Rewrite(page, address, std::move(items));
    }

    static constexpr std::string_view kPageAddress = "http://www.example.org/index.htm";
    // 7 December 1997.
    static constexpr TDateTime kCaptureDate = 35771.0;

    TempDir dir;
    TWebTree tree;
    TMAPLIST maps;
};

inline constexpr TRewriteFlags kSuppress{false, true};
inline constexpr TRewriteFlags kFooter{true, false};
inline constexpr TRewriteFlags kFooterAndSuppress{true, true};

} // namespace velbrin::test
