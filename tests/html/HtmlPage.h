#pragma once

#include "core/MemoryStream.h"
#include "html/HtmlParser.h"

#include <string>
#include <string_view>

namespace velbrin::test {

// A page held in memory together with its parser.
struct HtmlPage {
    explicit HtmlPage(std::string_view bytes)
        : source(bytes)
        , parser(source)
    {
    }

    TMemoryStreamEx source;
    THtmlParser parser;
};

// One word per item: "#" for a boundary, "/" before a closing tag, the kind's
// name, "@position+length", and "~" when text follows.
inline std::string DescribeItems(const THtmlParser& parser)
{
    std::string result;
    for (int i = 0; i < parser.Count(); ++i) {
        const TTag& tag = parser.Item(i);
        if (!result.empty())
            result += ' ';
        if (tag.IsBoundary()) {
            result += '#';
        } else {
            if (tag.IsClose())
                result += '/';
            result += TagName(tag.Kind);
        }
        result += '@' + std::to_string(tag.Position) + '+' + std::to_string(tag.Length);
        if (tag.HasTextFollowing())
            result += '~';
    }
    return result;
}

// The page written back the way the page writers walk it: the text of a
// boundary, every other item through CopyTag and the text after it.
inline std::string CopyLikeWriters(const THtmlParser& parser)
{
    TMemoryStreamEx out;
    for (int i = 0; i + 1 < parser.Count(); ++i) {
        if (!parser.Item(i).IsBoundary())
            parser.CopyTag(i, out);
        parser.CopyTextAfter(i, out);
    }
    return out.ToString();
}

// The page copied item by item with CopyTagAndText.
inline std::string CopyItemByItem(const THtmlParser& parser)
{
    TMemoryStreamEx out;
    for (int i = 0; i + 1 < parser.Count(); ++i)
        parser.CopyTagAndText(i, out);
    return out.ToString();
}

} // namespace velbrin::test
