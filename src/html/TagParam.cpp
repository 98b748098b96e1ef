#include "html/TagParam.h"

#include "core/CaseFold.h"
#include "core/ShortString.h"
#include "core/Text.h"

#include <limits>

namespace velbrin {

namespace {

// The inside of a tag keeps its positions below 65535 once shifted by the "<".
constexpr std::size_t kMaxInside = std::numeric_limits<std::uint16_t>::max() - 2;

bool ExtendsAttribute(char c)
{
    return c == ' ' || c == '\n' || c == '\r';
}

// 1-based position of the first word of inside that starts with name, or 0.
std::size_t FindNameWord(std::string_view inside, std::string_view name)
{
    for (std::size_t pos = SkipBlanks(inside, 1); pos != 0; pos = SkipBlanks(inside, WordEnd(inside, pos) + 1)) {
        if (StartsWithNoCase(inside.substr(pos - 1), name))
            return pos;
    }
    return 0;
}

std::size_t SkipBlanksFrom(std::string_view text, std::size_t pos)
{
    while (pos <= text.size() && IsBlank(text[pos - 1]))
        ++pos;
    return pos;
}

} // namespace

bool FindTagParam(std::string_view tagText, std::string_view name, TTagParam& param)
{
    param.Clear();
    if (name.empty() || tagText.size() < 2)
        return false;
    // Positions below are 1-based in the inside of the tag (without "<" and
    // its last byte) and shift by one at the end.
    std::string_view inside = tagText.substr(1, tagText.size() - 2).substr(0, kMaxInside);
    const std::size_t size = inside.size();

    const std::size_t start = FindNameWord(inside, name);
    if (start == 0)
        return false;

    std::size_t paramStart = start;
    std::size_t paramLength = 0;
    std::size_t valueStart = 0;
    std::size_t valueLength = 0;
    std::string_view value;

    std::size_t pos = SkipBlanksFrom(inside, start + name.size());
    if (pos <= size && inside[pos - 1] == '=')
        pos = SkipBlanksFrom(inside, pos + 1);
    if (pos > size) {
        // No value: the attribute runs to the end of the inside, and a value
        // would go just before the tag's last byte.
        paramLength = size + 1 - start;
        valueStart = size + 1;
    } else {
        const std::size_t end = WordEnd(inside, pos);
        valueStart = pos;
        valueLength = end + 1 - pos;
        paramLength = end + 1 - start;
        if (inside[end - 1] != '"') {
            std::size_t next = end + 1;
            while (next <= size && ExtendsAttribute(inside[next - 1])) {
                ++next;
                ++paramLength;
            }
            if (next <= size && inside[next - 1] == '"')
                ++paramLength;
        }
        value = inside.substr(pos - 1, valueLength);
        if (!value.empty() && value.front() == '"') {
            param.Quoted = true;
            value.remove_prefix(1);
            ++valueStart;
            // A lone quote left over is the closing one of an empty value.
            if (value.size() > 1 && value.front() == '"') {
                param.QuotedTwice = true;
                value.remove_prefix(1);
                ++valueStart;
            }
            value = value.substr(0, value.find('"'));
            valueLength = value.size();
        }
    }

    param.ParamStart = static_cast<std::uint16_t>(paramStart + 1);
    param.ParamLength = static_cast<std::uint16_t>(paramLength);
    param.ValueStart = static_cast<std::uint16_t>(valueStart + 1);
    param.ValueLength = static_cast<std::uint16_t>(valueLength);
    param.Value.assign(value.substr(0, kShortStringMax));
    return !param.Value.empty();
}

} // namespace velbrin
