#pragma once

#include "core/Stream.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// The class of a MIME type decides how a stored file is listed and whether
// it is captured whatever its flag (Html).
enum MimeClass : std::uint8_t {
    MimeClassHtml = 0,
    MimeClassText = 1,
    MimeClassImage = 2,
    MimeClassSound = 3,
    MimeClassVideo = 4,
    MimeClassOther = 5,
};

inline constexpr std::array<std::string_view, 6> kMimeClassNames = {"Html", "Text", "Image", "Sound", "Video", "Other"};

// Index of the class name, ignoring case; MimeClassOther for an unknown name.
std::uint8_t MimeClassIndex(std::string_view name);
// "Other" for a value outside the table.
std::string_view MimeClassName(std::uint8_t mimeClass);

// One content type: the extension its stored files get, its class and
// whether files of that type are captured.
class TMimeItem {
public:
    std::string MimeType;
    // At most 3 characters, without the dot.
    std::string Extension;
    bool Capture = false;
    std::uint8_t MimeClass = MimeClassOther;

    // The entry record of format 1.
    void SaveToStream(TStream& stream) const;
    // Format 0 records have no class byte (the class is then Other). A stored
    // extension longer than 3 characters is cut, a class outside the table
    // becomes Other. Raises EStreamError when the stream ends early.
    void LoadfromStream(TStream& stream, int format);
};

// An ordered table of MIME types (order is kept in files). The application
// keeps one in "mime.def", every Web one of its own.
class TMIMELIST {
public:
    // Format word written in front of the count.
    static constexpr int kFormat = 1;
    // The stored count is a signed 16-bit number.
    static constexpr std::size_t kMaxItems = 32767;

    TMIMELIST() = default;
    TMIMELIST(const TMIMELIST& other);
    TMIMELIST& operator=(const TMIMELIST& other);
    TMIMELIST(TMIMELIST&&) noexcept = default;
    TMIMELIST& operator=(TMIMELIST&&) noexcept = default;

    std::size_t Count() const { return m_items.size(); }

    // Updates the entry of that type (ignoring case; it keeps its place and
    // its spelling of the type) or appends a new one. The extension is cut
    // to 3 characters; an unknown class name gives Other. Returns the entry,
    // or none when a new entry would not fit in a stored table.
    TMimeItem* AddMime(std::string_view mimeType, std::string_view extension, std::string_view className, bool capture);
    // Appends a copy, with Capture off, of every entry of other whose type is
    // not here yet; returns how many were added.
    int AddMimeList(const TMIMELIST& other);

    TMimeItem* GetMimeByString(std::string_view mimeType);
    const TMimeItem* GetMimeByString(std::string_view mimeType) const;
    // None when index is negative or at or beyond Count().
    TMimeItem* GetMimebyIndex(int index);
    const TMimeItem* GetMimebyIndex(int index) const;
    bool MimeExist(std::string_view mimeType) const { return GetMimeByString(mimeType) != nullptr; }

    // The default table (see MimeList.cpp): HTML, text, GIF, JPEG, AVI, WAV
    // and AIFF first, then style sheets, scripts, today's pictures and fonts,
    // all captured, and PDF, ZIP, MP4, WebM, MP3 and Ogg, known but not
    // captured.
    void SetToDefault();
    void SetValidClass(std::uint8_t mimeClass, bool flag);
    void SetValidAll(bool flag);
    // Applies a MIMES list such as "-ALL,+Html,gif,+pdf": tokens separated by
    // ",", applied from left to right. A leading "-" turns capture off, a
    // leading "+" or none turns it on; the rest names a class, ALL, an
    // extension (every entry stored under it) or a type of the table, all
    // ignoring case. Blanks around a token and empty tokens are ignored.
    // Returns an empty text when every token names something; otherwise the
    // table is left as it was and the text names the first token that names
    // nothing, as written: unknown MIME type in MIMES: "+foo".
    [[nodiscard]] std::string SetCmdLine(std::string_view text);
    void Clear() { m_items.clear(); }

    // Format word, signed 16-bit count, entries.
    void SaveToStream(TStream& stream) const;
    // Replaces the table with the one stored. A first word of 1 is the format
    // marker followed by the count; any other first word is the count of a
    // format-0 table. False, with the table unchanged, when the stream is cut
    // short or the count is negative.
    bool LoadFromStream(TStream& stream);

private:
    // One token without its sign; false when it names nothing.
    bool ApplyToken(std::string_view token, bool flag);

    std::vector<std::unique_ptr<TMimeItem>> m_items;
};

// A style sheet's type: its references are captured and rewritten like a page's.
bool IsStyleSheetType(std::string_view mimeType);

} // namespace velbrin
