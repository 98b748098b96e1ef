#include "html/CssReferences.h"

#include "core/CaseFold.h"
#include "html/CssMarker.h"
#include "html/CssSyntax.h"

#include <optional>
#include <utility>

namespace velbrin {

namespace {

using namespace css;

constexpr std::string_view kUrlSource = "url";
constexpr std::string_view kImportSource = "@import";

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// The address a captured value kept by a marker stands for, when the value
// fits where the marker sits: a string spanning the whole value, or, where
// mayBeUnquoted, an unquoted url() value as it would read before ")".
std::optional<std::string> CapturedAddress(std::string_view captured, bool mayBeUnquoted)
{
    std::string decoded;
    if (captured.empty())
        return std::nullopt;
    if (IsQuote(captured.front())) {
        TCssString value = ReadString(captured, 0);
        if (value.How != TStringEnd::Quote || value.End != captured.size())
            return std::nullopt;
        decoded = std::move(value.Value);
    } else {
        if (!mayBeUnquoted)
            return std::nullopt;
        const std::string closed = std::string(captured) + ")";
        TCssUrlValue value = ReadUrlValue(closed, 0);
        if (value.Bad || !value.Closed || value.ValueBegin != 0 || value.ValueEnd != captured.size())
            return std::nullopt;
        decoded = std::move(value.Value);
    }
    const std::string_view address = TrimAddress(decoded);
    if (address.empty())
        return std::nullopt;
    return std::string(address);
}

class TScanner {
public:
    explicit TScanner(std::string_view text)
        : m_text(text)
    {
    }

    std::vector<TCssReference> Run()
    {
        const std::size_t n = m_text.size();
        std::size_t i = 0;
        std::string name;
        while (i < n) {
            const char c = m_text[i];
            if (c == '/' && i + 1 < n && m_text[i + 1] == '*') {
                i = SkipComment(m_text, i);
            } else if (IsQuote(c)) {
                i = ReadString(m_text, i).End;
            } else if (c == '<' && m_text.substr(i, 4) == "<!--") {
                i += 4;
            } else if (StartsNumber(m_text, i)) {
                // A number takes the name after it as its unit: "1url(" is no url().
                i = SkipNumber(m_text, i);
                if (StartsIdentifier(m_text, i))
                    i = ReadIdentifier(m_text, i, name);
                else if (i < n && m_text[i] == '%')
                    ++i;
            } else if (c == '-' && m_text.substr(i, 3) == "-->") {
                i += 3;
            } else if (c == '#') {
                ++i;
                if (i < n && (IsIdentChar(m_text[i]) || IsValidEscape(m_text, i)))
                    i = ReadIdentifier(m_text, i, name);
            } else if (c == '@' && StartsIdentifier(m_text, i + 1)) {
                i = ReadIdentifier(m_text, i + 1, name);
                if (SameText(name, "import"))
                    i = Import(i);
            } else if (StartsIdentifier(m_text, i)) {
                i = ReadIdentifier(m_text, i, name);
                if (i < n && m_text[i] == '(' && SameText(name, "url"))
                    i = Url(i + 1, TReferenceKind::InlineObject, kUrlSource);
            } else {
                ++i;
            }
        }
        return std::move(m_found);
    }

private:
    static TCssReference Make(TReferenceKind kind, std::string_view source)
    {
        TCssReference found;
        found.Reference.Kind = kind;
        found.Reference.Source = source;
        return found;
    }

    // The string read at text[at] is the value of found.
    static void SetStringValue(TCssReference& found, std::size_t at, const TCssString& value)
    {
        found.ValueBegin = at;
        found.ValueEnd = value.End;
        found.Reference.Begin = at + 1;
        found.Reference.End = value.How == TStringEnd::Quote ? value.End - 1 : value.End;
    }

    // From just after "url(".
    std::size_t Url(std::size_t at, TReferenceKind kind, std::string_view source)
    {
        const std::size_t n = m_text.size();
        TCssReference found = Make(kind, source);
        std::size_t i = at;
        while (i < n && IsBlank(m_text[i]))
            ++i;
        if (i < n && IsQuote(m_text[i])) {
            const TCssString value = ReadString(m_text, i);
            if (value.How == TStringEnd::Newline)
                return value.End;
            SetStringValue(found, i, value);
            const std::size_t close = value.How == TStringEnd::Quote ? SkipBlanksAndComments(m_text, value.End) : n;
            if (close >= n) {
                found.Unterminated = true;
                found.MarkerBegin = n;
                return Add(found, value.Value);
            }
            if (m_text[close] != ')')
                return value.End;
            found.MayBeUnquoted = true;
            for (std::size_t j = value.End; j < close; ++j)
                found.MayBeUnquoted = found.MayBeUnquoted && IsBlank(m_text[j]);
            found.MarkerBegin = close + 1;
            return Add(found, value.Value);
        }
        const TCssUrlValue value = ReadUrlValue(m_text, at);
        if (value.Bad)
            return value.End;
        found.ValueBegin = found.Reference.Begin = value.ValueBegin;
        found.ValueEnd = found.Reference.End = value.ValueEnd;
        found.MayBeUnquoted = true;
        found.Unterminated = !value.Closed;
        found.MarkerBegin = value.End;
        return Add(found, value.Value);
    }

    // From just after "@import".
    std::size_t Import(std::size_t at)
    {
        const std::size_t i = SkipBlanksAndComments(m_text, at);
        if (i < m_text.size() && IsQuote(m_text[i])) {
            const TCssString value = ReadString(m_text, i);
            if (value.How == TStringEnd::Newline)
                return value.End;
            TCssReference found = Make(TReferenceKind::StyleSheet, kImportSource);
            SetStringValue(found, i, value);
            found.Unterminated = value.How == TStringEnd::EndOfText;
            found.MarkerBegin = value.End;
            return Add(found, value.Value);
        }
        if (StartsIdentifier(m_text, i)) {
            std::string name;
            const std::size_t end = ReadIdentifier(m_text, i, name);
            if (end < m_text.size() && m_text[end] == '(' && SameText(name, "url"))
                return Url(end + 1, TReferenceKind::StyleSheet, kImportSource);
            return end;
        }
        return i;
    }

    // found is complete but for its marker and address; decoded is its value
    // as now written. Returns where scanning goes on.
    std::size_t Add(TCssReference& found, const std::string& decoded)
    {
        found.MarkerEnd = found.MarkerBegin;
        if (!found.Unterminated) {
            if (auto marker = ReadCssMarker(m_text, found.MarkerBegin)) {
                if (auto address = CapturedAddress(marker->Captured, found.MayBeUnquoted)) {
                    found.Captured = std::move(marker->Captured);
                    found.MarkerEnd = marker->End;
                    found.Reference.Address = std::move(*address);
                    m_found.push_back(std::move(found));
                    return m_found.back().MarkerEnd;
                }
            }
        }
        const std::size_t next = found.MarkerBegin;
        const std::string_view address = TrimAddress(decoded);
        if (!address.empty()) {
            found.Captured = std::string(m_text.substr(found.ValueBegin, found.ValueEnd - found.ValueBegin));
            found.Reference.Address = std::string(address);
            m_found.push_back(std::move(found));
        }
        return next;
    }

    std::string_view m_text;
    std::vector<TCssReference> m_found;
};

} // namespace

std::vector<TCssReference> FindCssReferences(std::string_view css)
{
    return TScanner(css).Run();
}

std::vector<TReference> ExtractCssReferences(std::string_view css)
{
    std::vector<TReference> references;
    for (TCssReference& found : FindCssReferences(css))
        references.push_back(std::move(found.Reference));
    return references;
}

} // namespace velbrin
