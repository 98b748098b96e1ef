#include "html/TagParam.h"

#include "core/CaseFold.h"
#include "html/AttributeValue.h"
#include "html/TagBytes.h"
#include "html/TagEdits.h"

#include <limits>

namespace velbrin {

namespace {

// The inside of a tag keeps its positions below 65535 once shifted by the "<".
constexpr std::size_t kMaxInside = std::numeric_limits<std::uint16_t>::max() - 2;

// Blanks an unquoted value takes into its attribute after it.
bool ExtendsAttribute(char c)
{
    return c == ' ' || c == '\n' || c == '\r';
}

// One attribute in the inside of a tag (without "<" and its last byte), in
// 0-based offsets of that inside.
struct TRawAttribute {
    std::size_t NameStart = 0;
    std::size_t NameEnd = 0;
    std::size_t ParamEnd = 0;
    std::size_t ValueStart = 0;
    std::size_t ValueEnd = 0;
    char Quote = 0;
    bool Twice = false;
};

// Reads the attributes of the inside of a tag one after the other.
class TAttributeScanner {
public:
    explicit TAttributeScanner(std::string_view inside)
        : m_inside(inside)
    {
        // The tag name, after the "/" of a closing tag.
        if (!m_inside.empty() && m_inside.front() == '/')
            ++m_pos;
        while (m_pos < m_inside.size() && !IsTagByte(m_inside[m_pos], kTagBlankByte | kTagSlashByte))
            ++m_pos;
    }

    bool Next(TRawAttribute& attribute)
    {
        const std::size_t size = m_inside.size();
        while (m_pos < size && IsTagByte(m_inside[m_pos], kTagBlankByte | kTagSlashByte))
            ++m_pos;
        if (m_pos >= size)
            return false;
        attribute = TRawAttribute{};
        attribute.NameStart = m_pos++; // a first "=" belongs to the name
        while (m_pos < size && !IsTagByte(m_inside[m_pos], kTagBlankByte | kTagSlashByte | kTagEqualsByte))
            ++m_pos;
        attribute.NameEnd = m_pos;

        std::size_t pos = SkipBlanks(m_pos);
        if (pos >= size || m_inside[pos] != '=') {
            // No value: the attribute takes the blanks after its name.
            attribute.ValueStart = attribute.ValueEnd = attribute.ParamEnd = pos;
            m_pos = pos;
            return true;
        }
        pos = SkipBlanks(pos + 1);
        if (pos >= size) {
            attribute.ValueStart = attribute.ValueEnd = attribute.ParamEnd = size;
            m_pos = size;
            return true;
        }
        const char c = m_inside[pos];
        if (c == '"' || c == '\'') {
            attribute.Quote = c;
            attribute.ValueStart = pos + 1;
            const std::size_t close = m_inside.find(c, pos + 1);
            if (close == std::string_view::npos) {
                attribute.ValueEnd = attribute.ParamEnd = m_pos = size;
                return true;
            }
            attribute.ValueEnd = close;
            attribute.ParamEnd = m_pos = close + 1;
            if (c == '"' && close == pos + 1)
                MendQuotedTwice(pos, attribute);
            return true;
        }
        std::size_t end = pos;
        while (end < size && !IsTagBlank(m_inside[end]))
            ++end;
        attribute.ValueStart = pos;
        attribute.ValueEnd = m_pos = end;
        // An unquoted value takes the blanks after it, and a stray double
        // quote after them, into its attribute.
        while (end < size && ExtendsAttribute(m_inside[end]))
            ++end;
        if (end < size && m_inside[end] == '"')
            ++end;
        attribute.ParamEnd = end;
        return true;
    }

private:
    std::size_t SkipBlanks(std::size_t pos) const
    {
        while (pos < m_inside.size() && IsTagBlank(m_inside[pos]))
            ++pos;
        return pos;
    }

    // A value written in two pairs of double quotes (""x"", a mistake of old
    // page editors) is the x between them: the empty value at open is
    // followed at once by x, without blank, quote or "=", and by "".
    void MendQuotedTwice(std::size_t open, TRawAttribute& attribute)
    {
        std::size_t end = open + 2;
        while (end < m_inside.size() && !IsTagBlank(m_inside[end]))
            ++end;
        const std::string_view word = m_inside.substr(open, end - open);
        if (word.size() < 5 || !word.ends_with("\"\""))
            return;
        const std::string_view body = word.substr(2, word.size() - 4);
        if (body.find_first_of("\"'=") != std::string_view::npos)
            return;
        attribute.Twice = true;
        attribute.ValueStart = open + 2;
        attribute.ValueEnd = end - 2;
        attribute.ParamEnd = m_pos = end;
    }

    std::string_view m_inside;
    std::size_t m_pos = 0;
};

std::string_view Inside(std::string_view tagText)
{
    return tagText.substr(1, tagText.size() - 2).substr(0, kMaxInside);
}

void Fill(std::string_view inside, const TRawAttribute& raw, TTagParam& param)
{
    // Offsets in the inside become 1-based positions in the tag.
    param.ParamStart = static_cast<std::uint16_t>(raw.NameStart + 2);
    param.ParamLength = static_cast<std::uint16_t>(raw.ParamEnd - raw.NameStart);
    param.ValueStart = static_cast<std::uint16_t>(raw.ValueStart + 2);
    param.ValueLength = static_cast<std::uint16_t>(raw.ValueEnd - raw.ValueStart);
    DecodeAttributeValue(inside.substr(raw.ValueStart, raw.ValueEnd - raw.ValueStart), param.Value);
    param.Quote = raw.Quote;
    param.QuotedTwice = raw.Twice;
}

// Whether an attribute read from inside has the name given (any case).
bool IsNamed(std::string_view inside, const TRawAttribute& raw, std::string_view name)
{
    return !name.empty() && raw.NameEnd - raw.NameStart == name.size()
        && SameText(inside.substr(raw.NameStart, name.size()), name);
}

} // namespace

bool FindTagParam(std::string_view tagText, std::string_view name, TTagParam& param)
{
    param.Clear();
    if (name.empty() || tagText.size() < 2)
        return false;
    const std::string_view inside = Inside(tagText);
    TAttributeScanner scanner(inside);
    TRawAttribute raw;
    while (scanner.Next(raw)) {
        if (IsNamed(inside, raw, name)) {
            Fill(inside, raw, param);
            return !param.Value.empty();
        }
    }
    return false;
}

void FindTagParams(std::string_view tagText, std::string_view firstName, TTagParam& first,
                   std::string_view secondName, TTagParam& second)
{
    first.Clear();
    second.Clear();
    if (tagText.size() < 2)
        return;
    const std::string_view inside = Inside(tagText);
    bool firstFound = false;
    bool secondFound = false;
    TAttributeScanner scanner(inside);
    TRawAttribute raw;
    while ((!firstFound || !secondFound) && scanner.Next(raw)) {
        if (!firstFound && IsNamed(inside, raw, firstName)) {
            Fill(inside, raw, first);
            firstFound = true;
        }
        if (!secondFound && IsNamed(inside, raw, secondName)) {
            Fill(inside, raw, second);
            secondFound = true;
        }
    }
}

std::vector<TTagAttribute> ReadTagAttributes(std::string_view tagText)
{
    std::vector<TTagAttribute> attributes;
    if (tagText.size() < 2)
        return attributes;
    const std::string_view inside = Inside(tagText);
    TAttributeScanner scanner(inside);
    TRawAttribute raw;
    while (scanner.Next(raw)) {
        TTagAttribute& attribute = attributes.emplace_back();
        attribute.Name.assign(inside.substr(raw.NameStart, raw.NameEnd - raw.NameStart));
        Fill(inside, raw, attribute.Param);
    }
    return attributes;
}

void ReadAttributeSpans(std::string_view tagText, std::vector<TAttributeSpan>& spans)
{
    spans.clear();
    if (tagText.size() < 2)
        return;
    const std::string_view inside = Inside(tagText);
    TAttributeScanner scanner(inside);
    TRawAttribute raw;
    while (scanner.Next(raw)) {
        spans.push_back({inside.substr(raw.NameStart, raw.NameEnd - raw.NameStart), raw.ValueStart + 1,
                         raw.ValueEnd - raw.ValueStart, raw.Quote, raw.Twice});
    }
}

std::size_t TagParamEnd(std::string_view tagText, const TTagParam& param)
{
    const std::size_t last = tagText.empty() ? 0 : tagText.size(); // the tag's last byte
    std::size_t pos = param.ValueStart + param.ValueLength;
    if (pos > last)
        return last;
    if (param.Quote == 0) {
        while (pos < last && !IsTagBlank(tagText[pos - 1]))
            ++pos;
        return pos;
    }
    for (int quotes = param.QuotedTwice ? 2 : 1; quotes > 0; --quotes) {
        while (pos < last && tagText[pos - 1] != param.Quote)
            ++pos;
        if (pos < last)
            ++pos;
    }
    return pos;
}

void ReplaceTagParamValue(std::string_view tagText, const TTagParam& param, std::string_view value,
                          TTagEdits& edits)
{
    if (param.Quote != 0 || !NeedsQuotes(value)) {
        edits.ReplaceWithValue(param.ValueStart, param.ValueLength, value, param.Quote);
        return;
    }
    const std::size_t end = TagParamEnd(tagText, param);
    const std::size_t rest = param.ValueStart + param.ValueLength;
    std::string whole(value);
    if (end > rest)
        whole += DecodeAttributeValue(tagText.substr(rest - 1, end - rest));
    edits.ReplaceWithValue(param.ValueStart, end > param.ValueStart ? end - param.ValueStart : 0, whole, 0);
}

} // namespace velbrin
