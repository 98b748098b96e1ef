#pragma once

#include <cstdint>
#include <string_view>

namespace velbrin {

// Kinds of items, numbered as the tag names they are recognised by.
enum TagKind : std::uint8_t {
    TagA = 0,
    TagBase = 1,
    TagBody = 2,
    TagHtml = 3,
    TagImg = 4,
    TagTitle = 5,
    TagArea = 6,
    TagFrame = 7,
    TagForm = 8,
    TagVelbrin = 9,
    TagComment = 10, // "!": comments and declarations
    TagDd = 11,
    TagDl = 12,
    TagDt = 13,
    TagH1 = 14,
    TagH2 = 15,
    TagH3 = 16,
    TagH4 = 17,
    TagH5 = 18,
    TagH6 = 19,
    TagInput = 20,
    TagUnknown = 21, // anything else
    // Kinds added later take the numbers after UNKNOWN: kinds are stored.
    TagScript = 22,
    TagStyle = 23,
    TagTextarea = 24,
    TagLink = 25,
    TagMeta = 26,
    TagSource = 27,
    TagVideo = 28,
    TagAudio = 29,
    TagTrack = 30,
    TagObject = 31,
    TagEmbed = 32,
    TagIframe = 33,
    TagPicture = 34,
};
inline constexpr int kTagKindCount = 35;

// The elements whose content is raw text: after their opening tag nothing is
// a tag or comment up to their closing tag (SCRIPT, STYLE, TEXTAREA, TITLE).
bool HoldsRawText(std::uint8_t kind);

enum TagFlag : std::uint8_t {
    TagOpen = 1,        // an opening tag; every comment too
    TagClose = 2,       // the tag began with "/"
    TagBoundary = 4,    // the start or end marker, not document content
    TagTextFollows = 8, // non-empty text lies between this item and the next
    // Found to hold no reference beyond a tag's own link (MayHoldOtherReferences)
    // while its page was prepared; read once by ItemsAPassReads, never kept.
    TagNoOtherReferences = 16,
};

// One item of a tokenized page: a tag, a comment or a boundary marker. It
// holds offsets only; the bytes stay in the source.
struct TTag {
    std::uint8_t Flags = 0;
    std::uint8_t Kind = TagUnknown;
    std::int32_t Position = 0; // offset of its first byte ("<") in the document
    std::int32_t Length = 0;   // number of bytes

    bool IsOpen() const { return (Flags & TagOpen) != 0; }
    bool IsClose() const { return (Flags & TagClose) != 0; }
    bool IsBoundary() const { return (Flags & TagBoundary) != 0; }
    bool HasTextFollowing() const { return (Flags & TagTextFollows) != 0; }

    friend bool operator==(const TTag&, const TTag&) = default;
};

// The name a kind is recognised by ("A", "!", "UNKNOWN"...); "UNKNOWN" for a
// number outside the table.
std::string_view TagName(std::uint8_t kind);

// Flags (Open or Close) and kind of a tag from what followed its "<": a
// leading "!" makes a comment; a leading "/" a closing tag. A kind matches
// when its whole name starts the text, followed by nothing, a blank (TAB, LF,
// FF, CR, space) or "/"; names are compared without regard to case.
TTag ClassifyTag(std::string_view name);

} // namespace velbrin
