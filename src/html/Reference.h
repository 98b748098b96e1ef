#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// What a reference in a document leads to, and so how the capture treats it.
enum class TReferenceKind : std::uint8_t {
    PageLink,     // a page the reader goes to (A, AREA, META refresh ...)
    InlineObject, // something shown inside the document: picture, font, media, icon
    Background,   // a page's background picture
    StyleSheet,   // a style sheet the document loads (LINK rel=stylesheet, @import)
    Script,       // a script the document runs
    Frame,        // a document shown in a frame of the page
    Form,         // where a form sends its data
    Base,         // the address the document's relative references resolve against
};

// One reference of a document: where its address lies in the document's
// bytes, and the address as the document means it.
struct TReference {
    TReferenceKind Kind = TReferenceKind::PageLink;
    // The attribute ("href", "srcset") or CSS token ("url", "@import") it was read from.
    std::string_view Source;
    // Byte span of the address as written, quotes excluded: [Begin, End).
    std::size_t Begin = 0;
    std::size_t End = 0;
    // The address as a browser reads it (character references or escapes decoded).
    std::string Address;
};

// A reader that finds every reference of one kind of document.
class TReferenceExtractor {
public:
    virtual ~TReferenceExtractor() = default;
    virtual std::vector<TReference> Extract(std::string_view document) const = 0;
};

} // namespace velbrin
