#pragma once

#include "core/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// A settings file of "[Section]" headers and "Key=Value" lines, with the
// private-profile rules the settings rely on: section and key names match
// without regard to case (the first occurrence wins), a missing key gives the
// default, writing a key keeps every other line of the file, integers are
// decimal or "0x" hexadecimal, booleans "1"/"0". Lines that are neither are
// kept as they stand and otherwise ignored. Reading trims blanks around a value
// and drops one pair of enclosing quotes; a written value that would lose
// something that way is stored quoted, so every value reads back as written
// (line breaks excepted: they become blanks).
//
// Writes change the copy in memory; UpdateFile() replaces the file at once
// (temporary file, then rename), so a crash never leaves half a file.
class TIniFile {
public:
    // Reads the file when it exists; a missing or unreadable file is empty
    // (an unreadable one is then never replaced: UpdateFile raises).
    explicit TIniFile(std::string fileName, unsigned permissions = 0644);

    const std::string& FileName() const { return m_fileName; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    std::int64_t ReadInteger(std::string_view section, std::string_view key, std::int64_t fallback) const;
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names of the section, in file order.
    TStringList ReadSection(std::string_view section) const;
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

    bool Modified() const { return m_modified; }
    // Writes the file when something changed; raises EInOutError on failure,
    // and when the file existed but could not be read.
    void UpdateFile();
    // The file's text as it would be written.
    std::string Text() const;

private:
    struct Line {
        std::string raw;
        enum Kind { Other, Section, Entry } kind = Other;
        std::string name; // section name or key, trimmed
        std::string value;
    };

    static Line Parse(std::string_view raw);
    // Index of the header line of the first section of that name, or -1.
    int FindSection(std::string_view section) const;
    // Index of the first entry of that key within the section starting at header, or -1.
    int FindKey(int header, std::string_view key) const;
    // One past the last line of the section starting at header.
    int SectionEnd(int header) const;

    std::string m_fileName;
    unsigned m_permissions;
    std::vector<Line> m_lines;
    bool m_modified = false;
    bool m_unreadable = false; // the file exists but could not be read
};

} // namespace velbrin
