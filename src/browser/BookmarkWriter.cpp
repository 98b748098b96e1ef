#include "browser/BookmarkWriter.h"

#include "browser/BookmarkScanner.h"

namespace velbrin {

std::string QuotedBookmarkValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size() + 2);
    out += '"';
    for (char c : value) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    out += '"';
    return out;
}

void WriteBookmarkText(std::string& out, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (OpensTag(text, i))
            out += "&lt;";
        else
            out += text[i];
    }
}

void WriteBookmarkItem(std::string& out, const TBookmarkItem& item, std::string_view indent,
                       const TBookmarkLayout& layout)
{
    out += indent;
    out += "<DT><A HREF=";
    out += QuotedBookmarkValue(item.Url);
    out += " ADD_DATE=\"" + std::to_string(item.AddDate);
    out += "\" LAST_VISIT=\"" + std::to_string(item.LastVisit);
    out += "\" LAST_MODIFIED=\"" + std::to_string(item.LastModified);
    out += "\">";
    WriteBookmarkText(out, item.Title);
    out += "</A>";
    out += layout.LineEnd;
    if (!item.Description.empty()) {
        out += indent;
        out += "<DD>";
        WriteBookmarkText(out, item.Description);
        out += layout.LineEnd;
    }
}

void WriteBookmarkFolder(std::string& out, const TBookmarkFolder& folder, std::string_view indent, bool root,
                         const TBookmarkLayout& layout)
{
    if (!root) {
        out += indent;
        out += "<DT> <H3 FOLDED ADD_DATE=\"" + std::to_string(folder.AddDate) + "\">";
        WriteBookmarkText(out, folder.Name);
        out += "</H3>";
        out += layout.LineEnd;
    }
    if (!folder.Description.empty()) {
        out += indent;
        out += "<DD>";
        WriteBookmarkText(out, folder.Description);
        out += layout.LineEnd;
        out += layout.LineEnd;
    }
    out += indent;
    out += "<DL><p>";
    out += layout.LineEnd;
    const std::string inner = std::string(indent) + std::string(layout.IndentUnit);
    for (const auto& child : folder.Children())
        WriteBookmarkEntry(out, *child, inner, layout);
    out += indent;
    out += "</DL><p>";
    out += layout.LineEnd;
}

void WriteBookmarkEntry(std::string& out, const TBookmarkEntry& entry, std::string_view indent,
                        const TBookmarkLayout& layout)
{
    if (const TBookmarkFolder* folder = entry.AsFolder())
        WriteBookmarkFolder(out, *folder, indent, false, layout);
    else
        WriteBookmarkItem(out, *entry.AsItem(), indent, layout);
}

} // namespace velbrin
