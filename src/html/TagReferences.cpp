#include "html/TagReferences.h"

#include "core/CaseFold.h"
#include "html/AttributeValue.h"
#include "html/CssRewriter.h"
#include "html/ReferenceTable.h"
#include "html/Tag.h"
#include "html/TagEdits.h"
#include "html/TagParam.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace velbrin {

namespace {

// Whether text holds "(", "\\" or "@", the bytes the references beside a
// tag's own link are found by: sixteen bytes at a time, as most tags hold
// none of them.
bool HoldsReferenceMarks(std::string_view text)
{
    using TBlock = unsigned char __attribute__((vector_size(16)));
    const auto holds = [&](std::size_t at) {
        TBlock block;
        std::memcpy(&block, text.data() + at, sizeof block);
        const auto hits = (block == '(') | (block == '\\') | (block == '@');
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        return (halves[0] | halves[1]) != 0;
    };
    if (text.size() < sizeof(TBlock)) {
        for (char c : text) {
            if (c == '(' || c == '\\' || c == '@')
                return true;
        }
        return false;
    }
    std::size_t at = 0;
    for (; at + sizeof(TBlock) <= text.size(); at += sizeof(TBlock)) {
        if (holds(at))
            return true;
    }
    // The last bytes, in a block that ends with the text.
    return at < text.size() && holds(text.size() - sizeof(TBlock));
}

// The value with the addresses at spans replaced by what map gives.
std::string MapAddresses(const std::string& value, TValueForm form, TReferenceKind kind, const TAddressMap& map)
{
    std::string out;
    std::size_t copied = 0;
    for (const TValueSpan& span : AddressesInValue(value, form)) {
        const std::string_view address = std::string_view(value).substr(span.Begin, span.End - span.Begin);
        const std::optional<std::string> mapped = map(address, kind);
        if (!mapped)
            continue;
        out.append(value, copied, span.Begin - copied);
        out.append(*mapped);
        copied = span.End;
    }
    out.append(value, copied, std::string::npos);
    return out;
}

// Removes an attribute with the blank before it.
void RemoveAttribute(std::string_view tagText, const TTagParam& param, TTagEdits& edits)
{
    std::size_t start = param.ParamStart;
    if (start > 2 && (tagText[start - 2] == ' ' || tagText[start - 2] == '\t' || tagText[start - 2] == '\n' ||
                      tagText[start - 2] == '\r'))
        --start;
    edits.Delete(start, TagParamEnd(tagText, param) - start);
}

// The bytes of param's value as the tag holds them.
std::string_view WrittenValue(std::string_view tagText, const TTagParam& param)
{
    if (param.ValueStart == 0 || param.ValueStart - 1u > tagText.size())
        return {};
    return tagText.substr(param.ValueStart - 1u, param.ValueLength);
}

// Whether written bytes, placed between quote (0: unquoted), read as value.
// Unquoted, they must read as one value, as they did in the captured tag.
bool StandsAs(std::string_view written, char quote, std::string_view value)
{
    if (quote != 0) {
        if (written.find(quote) != std::string_view::npos)
            return false;
    } else if (written.empty() || written.front() == '"' || written.front() == '\'' ||
               written.find_first_of(" \t\n\r\f>") != std::string_view::npos) {
        return false;
    }
    return DecodeAttributeValue(written) == value;
}

// Whether the value's closing quote is there: an attribute added after a
// value that runs on to the tag's end would be read as part of it.
bool IsClosed(std::string_view tagText, const TTagParam& param)
{
    const std::size_t close = param.ValueStart - 1u + param.ValueLength;
    return param.Quote == 0 || (close + 1 < tagText.size() && tagText[close] == param.Quote);
}

std::string RewriteRule(const std::string& text, const TReferenceRule& rule, TReferenceKind kind,
                        const TAddressMap& map, TCapturedValues mode)
{
    TTagParam param;
    if (!FindTagParam(text, rule.Attribute, param))
        return text;
    TTagParam old;
    FindTagParam(text, rule.OldAttribute, old);
    const bool keep = mode == TCapturedValues::Keep;
    const std::string captured = keep && old.Found() ? old.Value : param.Value;
    const std::string value = MapAddresses(captured, rule.Form, kind, map);

    TTagEdits edits;
    if (!keep) {
        if (value == param.Value)
            return text;
        ReplaceTagParamValue(text, param, value, edits);
    } else if (value == captured) {
        if (!old.Found() && param.Value == captured)
            return text;
        // The captured bytes go back as they were written, character
        // references and all, where they read the same in the quotes; a
        // value captured without quotes that a rewrite quoted loses them.
        const std::string_view kept = WrittenValue(text, old);
        if (old.Found() && old.Quote == 0 && param.Quote != 0 && !param.QuotedTwice && StandsAs(kept, 0, captured))
            edits.Replace(param.ValueStart - 1u, TagParamEnd(text, param) - (param.ValueStart - 1u), std::string(kept));
        else if (old.Found() && StandsAs(kept, param.Quote, captured))
            edits.Replace(param.ValueStart, param.ValueLength, std::string(kept));
        else
            ReplaceTagParamValue(text, param, captured, edits);
        if (old.Found())
            RemoveAttribute(text, old, edits);
    } else {
        ReplaceTagParamValue(text, param, value, edits);
        // A kept value stays as it is written: it reads as captured.
        if (!old.Found()) {
            if (!IsClosed(text, param))
                return text;
            // The captured value is kept as the tag wrote it, quoted as it
            // was where it reads the same so.
            const std::string_view written = WrittenValue(text, param);
            std::string added = " ";
            added += rule.OldAttribute;
            if (param.Quote == 0 && StandsAs(written, 0, captured))
                (added += '=').append(written);
            else if (StandsAs(written, '"', captured))
                (added += "=\"").append(written) += '"';
            else if (StandsAs(written, '\'', captured))
                (added += "='").append(written) += '\'';
            else {
                AppendAttributeValue(added += "=\"", captured, '"');
                added += '"';
            }
            edits.Insert(TagParamEnd(text, param), added);
        }
    }
    return edits.Apply(text);
}

std::string RewriteStyle(const std::string& text, const TAddressMap& map, TCapturedValues mode)
{
    TTagParam style;
    if (!FindTagParam(text, "STYLE", style))
        return text;
    const TCssNewValue newValue = [&](const TReference& reference) {
        return map(reference.Address, reference.Kind);
    };
    const std::string css = mode == TCapturedValues::Keep ? RewriteCss(style.Value, newValue)
                                                          : ReplaceCssAddresses(style.Value, newValue);
    if (css == style.Value)
        return text;
    TTagEdits edits;
    ReplaceTagParamValue(text, style, css, edits);
    return edits.Apply(text);
}

} // namespace

bool MayHoldOtherReferences(std::string_view tagText, std::uint8_t tagKind)
{
    const auto rules = ReferenceRules(tagKind);
    if (rules.size() > 1 || (rules.size() == 1 && !rules.front().IsOwnLink()))
        return true;
    if (!HoldsReferenceMarks(tagText))
        return false;
    // "url(", "@import" or "u\\" (an escaped url), in any case: each is
    // looked for by its rarest byte ("(", "\\", "@"), which the library
    // finds fast, and then read around it.
    for (std::size_t at = tagText.find('('); at != std::string_view::npos; at = tagText.find('(', at + 1)) {
        if (at >= 3 && SameText(tagText.substr(at - 3, 3), "url"))
            return true;
    }
    for (std::size_t at = tagText.find('\\', 1); at != std::string_view::npos; at = tagText.find('\\', at + 1)) {
        if (tagText[at - 1] == 'u' || tagText[at - 1] == 'U')
            return true;
    }
    for (std::size_t at = tagText.find('@'); at != std::string_view::npos; at = tagText.find('@', at + 1)) {
        if (at + 7 <= tagText.size() && SameText(tagText.substr(at + 1, 6), "import"))
            return true;
    }
    return false;
}

std::string RewriteOtherReferences(std::string_view tagText, std::uint8_t tagKind, const TAddressMap& map,
                                   TCapturedValues mode)
{
    std::string text(tagText);
    for (const TReferenceRule& rule : ReferenceRules(tagKind)) {
        if (rule.IsOwnLink())
            continue;
        if (tagKind == TagMeta) {
            TTagParam httpEquiv;
            FindTagParam(text, "HTTP-EQUIV", httpEquiv);
            if (!IsRefresh(httpEquiv.Value))
                continue;
        }
        text = RewriteRule(text, rule, rule.Kind, map, mode);
    }
    if (FindNoCase(text, "STYLE") != std::string::npos)
        text = RewriteStyle(text, map, mode);
    return text;
}

} // namespace velbrin
