#include "core/IniFile.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/Files.h"

#include <charconv>

namespace velbrin {

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

TIniFile::TIniFile(std::string fileName, unsigned permissions)
    : m_fileName(std::move(fileName))
    , m_permissions(permissions)
{
    std::string text;
    try {
        if (FileExists(m_fileName))
            text = ReadWholeFile(m_fileName);
    } catch (const std::exception&) {
        text.clear();
        m_unreadable = true;
    }
    // A byte-order mark left by an editor would hide the first section.
    std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        m_lines.push_back(Parse(std::string_view(text).substr(start, end - start)));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

TIniFile::Line TIniFile::Parse(std::string_view raw)
{
    Line line;
    line.raw = std::string(raw);
    std::string_view text = Trim(raw);
    if (text.empty() || text.front() == ';')
        return line;
    if (text.front() == '[') {
        std::size_t close = text.find(']');
        if (close != std::string_view::npos) {
            line.kind = Line::Section;
            line.name = std::string(Trim(text.substr(1, close - 1)));
        }
        return line;
    }
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos)
        return line;
    line.kind = Line::Entry;
    line.name = std::string(Trim(text.substr(0, equals)));
    std::string_view value = Trim(text.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    line.value = std::string(value);
    return line;
}

int TIniFile::FindSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && SameText(m_lines[i].name, section))
            return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::SectionEnd(int header) const
{
    auto i = static_cast<std::size_t>(header) + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int header, std::string_view key) const
{
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& line = m_lines[static_cast<std::size_t>(i)];
        if (line.kind == Line::Entry && SameText(line.name, key))
            return i;
    }
    return -1;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    int header = FindSection(section);
    if (header < 0)
        return std::string(fallback);
    int at = FindKey(header, key);
    return at < 0 ? std::string(fallback) : m_lines[static_cast<std::size_t>(at)].value;
}

std::int64_t TIniFile::ReadInteger(std::string_view section, std::string_view key, std::int64_t fallback) const
{
    if (!ValueExists(section, key))
        return fallback;
    std::string text = ReadString(section, key, "");
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    int radix = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        radix = 16;
        digits.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, radix);
    const std::uint64_t limit = negative ? std::uint64_t(INT64_MAX) + 1 : std::uint64_t(INT64_MAX);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size() || magnitude > limit)
        return fallback;
    return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const
{
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    // A value is one line: line breaks would start new entries.
    std::string clean(value);
    for (char& c : clean) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    // Reading trims blanks around a value and removes one pair of enclosing
    // quotes: a value that would lose something that way is written quoted.
    std::string stored = clean;
    bool quote = !clean.empty() && (IsBlank(clean.front()) || IsBlank(clean.back()));
    if (clean.size() >= 2 && (clean.front() == '"' || clean.front() == '\'') && clean.back() == clean.front())
        quote = true;
    if (quote)
        stored = "\"" + clean + "\"";
    Line entry;
    entry.kind = Line::Entry;
    entry.name = std::string(key);
    entry.value = clean;
    entry.raw = entry.name + "=" + stored;

    int header = FindSection(section);
    if (header < 0) {
        Line head;
        head.kind = Line::Section;
        head.name = std::string(section);
        head.raw = "[" + head.name + "]";
        m_lines.push_back(std::move(head));
        m_lines.push_back(std::move(entry));
        m_modified = true;
        return;
    }
    int at = FindKey(header, key);
    if (at >= 0) {
        Line& line = m_lines[static_cast<std::size_t>(at)];
        if (line.value == clean)
            return;
        entry.name = line.name;
        entry.raw = entry.name + "=" + stored;
        line = std::move(entry);
        m_modified = true;
        return;
    }
    // After the last non-blank line of the section.
    int end = SectionEnd(header);
    int insertAt = end;
    while (insertAt > header + 1 && Trim(m_lines[static_cast<std::size_t>(insertAt - 1)].raw).empty())
        --insertAt;
    m_lines.insert(m_lines.begin() + insertAt, std::move(entry));
    m_modified = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value)
{
    WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(std::string_view section) const { return FindSection(section) >= 0; }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    int header = FindSection(section);
    return header >= 0 && FindKey(header, key) >= 0;
}

TStringList TIniFile::ReadSection(std::string_view section) const
{
    TStringList keys;
    int header = FindSection(section);
    if (header < 0)
        return keys;
    int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& line = m_lines[static_cast<std::size_t>(i)];
        if (line.kind == Line::Entry)
            keys.push_back(line.name);
    }
    return keys;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key)
{
    int header = FindSection(section);
    if (header < 0)
        return;
    int at = FindKey(header, key);
    if (at < 0)
        return;
    m_lines.erase(m_lines.begin() + at);
    m_modified = true;
}

void TIniFile::EraseSection(std::string_view section)
{
    int header = FindSection(section);
    if (header < 0)
        return;
    m_lines.erase(m_lines.begin() + header, m_lines.begin() + SectionEnd(header));
    m_modified = true;
}

std::string TIniFile::Text() const
{
    std::string text;
    for (const Line& line : m_lines) {
        text += line.raw;
        text += "\r\n";
    }
    return text;
}

void TIniFile::UpdateFile()
{
    if (!m_modified)
        return;
    // Replacing a file that could not be read would lose what it holds.
    if (m_unreadable)
        throw EInOutError("Cannot read file \"" + m_fileName + "\"; it is left as it is.");
    WriteWholeFile(m_fileName, Text(), m_permissions);
    m_modified = false;
}

} // namespace velbrin
