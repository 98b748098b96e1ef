#include "html/CssRewriter.h"

#include "html/CssMarker.h"
#include "html/CssReferences.h"
#include "html/CssSyntax.h"

namespace velbrin {

namespace {

std::string WriteValue(const TCssReference& found, std::string_view value)
{
    const char captured = found.Captured.front();
    if (captured == '"' || captured == '\'')
        return css::QuoteString(value, captured);
    if (found.MayBeUnquoted && css::CanStandUnquoted(value))
        return std::string(value);
    return css::QuoteString(value, '"');
}

} // namespace

std::string RewriteCss(std::string_view css, const TCssNewValue& newValue)
{
    std::string out;
    out.reserve(css.size());
    std::size_t copied = 0;
    for (const TCssReference& found : FindCssReferences(css)) {
        if (found.Unterminated)
            continue;
        const std::optional<std::string> value = newValue(found.Reference);
        const bool changed = value && *value != found.Reference.Address;
        out.append(css.substr(copied, found.ValueBegin - copied));
        out.append(changed ? WriteValue(found, *value) : found.Captured);
        out.append(css.substr(found.ValueEnd, found.MarkerBegin - found.ValueEnd));
        if (changed)
            out.append(WriteCssMarker(found.Captured));
        copied = found.MarkerEnd;
    }
    out.append(css.substr(copied));
    return out;
}

std::string ReplaceCssAddresses(std::string_view css, const TCssNewValue& newValue)
{
    std::string out;
    out.reserve(css.size());
    std::size_t copied = 0;
    for (const TCssReference& found : FindCssReferences(css)) {
        if (found.Unterminated || found.HasMarker())
            continue;
        const std::optional<std::string> value = newValue(found.Reference);
        if (!value || *value == found.Reference.Address)
            continue;
        out.append(css.substr(copied, found.ValueBegin - copied));
        out.append(WriteValue(found, *value));
        copied = found.ValueEnd;
    }
    out.append(css.substr(copied));
    return out;
}

} // namespace velbrin
