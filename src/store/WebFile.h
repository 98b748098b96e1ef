#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

class TWebNode;
class TWebTree;

// What the capture engine knows of a link.
enum LinkState : std::uint8_t {
    StateToExplore = 0,
    StateInProgress = 1,
    StateCapturedPage = 2,
    StateCapturedFile = 3,
    StateError = 4,
    StateFiltered = 5,
    StateNotFound = 6,
};

// One address of a Web: a page, a picture, any other file, or a link that
// failed or was filtered. The tree that holds it sets its parent; everything
// else belongs to the capture engine.
class TWebFile {
public:
    static constexpr std::uint8_t kFlagHtml = 1;
    static constexpr std::uint8_t kFlagIsmap = 2;
    static constexpr std::uint8_t kFlagBackground = 4;

    TWebFile() = default;
    TWebFile(const TWebFile&) = delete;
    TWebFile& operator=(const TWebFile&) = delete;

    std::uint8_t State = StateToExplore;
    std::uint8_t WebDepth = 0;
    std::uint8_t LinkDepth = 0;
    std::uint32_t Tries = 0;
    // kFlagHtml | kFlagIsmap | kFlagBackground; other bits are kept as read.
    // A new file is a page link.
    std::uint8_t Flags = kFlagHtml;

    // The node under which the file was first inserted; none while no tree
    // holds it (also after the tree handed it back).
    const TWebNode* Parent() const { return m_parent; }

    // Texts are cut at 255 bytes. The description goes through DecodeEntities
    // first, so "&amp;" in a page title is kept as a plain "&".
    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string_view text);
    // The bare name of the stored file inside the Web's directory.
    const std::string& GetFileName() const { return m_fileName; }
    void SetFileName(std::string_view name);
    const std::string& GetMimeType() const { return m_mimeType; }
    void SetMimeType(std::string_view type);

    bool GetHtml() const { return (Flags & kFlagHtml) != 0; }
    void SetHtml(bool on) { SetFlag(kFlagHtml, on); }
    bool GetIsmap() const { return (Flags & kFlagIsmap) != 0; }
    void SetIsmap(bool on) { SetFlag(kFlagIsmap, on); }
    bool GetBackground() const { return (Flags & kFlagBackground) != 0; }
    void SetBackground(bool on) { SetFlag(kFlagBackground, on); }

    // 0 page link (Html set), 2 background picture (Background set, Html
    // clear), 1 any other inline file.
    std::uint8_t GetLinkType() const;
    // Html := (type = 0), Background := (type = 2); Ismap is left alone.
    void SetLinkType(std::uint8_t type);

    // Everything of the file that its stored record holds, as one number:
    // two calls give the same number only when the record did not change in
    // between (the texts count their changes).
    std::uint64_t RecordMark() const
    {
        return std::uint64_t{State} | std::uint64_t{Flags} << 8 | std::uint64_t{WebDepth} << 16 |
               std::uint64_t{LinkDepth} << 24 | std::uint64_t{m_textRevision} << 32;
    }

private:
    friend class TWebTree;

    void SetFlag(std::uint8_t flag, bool on);
    void TextChanged()
    {
        // Never 0, so that a RecordMark is never 0 (the mark of "not saved").
        if (++m_textRevision == 0)
            m_textRevision = 1;
    }

    std::string m_description;
    std::string m_fileName;
    std::string m_mimeType;
    TWebNode* m_parent = nullptr;
    // The entry of m_parent that owns the file.
    std::size_t m_slot = 0;
    std::uint32_t m_textRevision = 1;
    // RecordMark() when the record was last written where it is kept (the
    // project file or its journal); 0 when it never was, or when the tree
    // entered the file under a further address since.
    std::uint64_t m_savedMark = 0;
};

} // namespace velbrin
