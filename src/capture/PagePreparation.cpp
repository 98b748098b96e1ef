#include "capture/PreparedPage.h"
#include "capture/Web.h"
#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/CaseFold.h"
#include "core/Text.h"
#include "core/ShortString.h"
#include "core/Url.h"
#include "html/CssRewriter.h"
#include "html/HtmlParser.h"
#include "html/ReferenceTable.h"
#include "html/TagReferences.h"
#include "rewrite/RewriteFooter.h"
#include "rewrite/RewritePage.h"
#include "html/EditedItems.h"
#include "store/LocalName.h"

#include <unordered_map>
#include <unordered_set>

namespace velbrin {

namespace {

void WriteText(TStream& out, std::string_view text) { out.WriteBuffer(text.data(), text.size()); }

// Addresses a page's preparation remembers resolved, at most.
constexpr std::size_t kResolvedKept = 1024;

} // namespace

TFoundLink& TPreparedPage::AddLink(std::string_view address, std::string_view description)
{
    TFoundLink& found = Links.emplace_back();
    found.UrlAt = static_cast<std::uint32_t>(LinkText.size());
    found.UrlLength = static_cast<std::uint32_t>(address.size());
    LinkText += address;
    found.DescriptionAt = static_cast<std::uint32_t>(LinkText.size());
    found.DescriptionLength = static_cast<std::uint32_t>(description.size());
    LinkText += description;
    return found;
}

void TPreparedPage::AddLink(const TLinkParam& link)
{
    TFoundLink& found = AddLink(link.Link.Value, link.Description);
    found.LinkType = link.LinkType;
    found.TagKind = link.TagKind;
    found.Kind = link.Kind;
    found.Address = link.Address;
    found.IsMap = link.IsMap;
}

void TPreparedPage::ReadLink(std::size_t i, TLinkParam& link) const
{
    const TFoundLink& found = Links[i];
    link.Clear();
    link.Link.Value.assign(LinkUrl(i));
    link.Description.assign(std::string_view(LinkText).substr(found.DescriptionAt, found.DescriptionLength));
    link.LinkType = found.LinkType;
    link.TagKind = found.TagKind;
    link.Kind = found.Kind;
    link.Address = found.Address;
    link.IsMap = found.IsMap;
}

std::string_view TPreparedPage::LinkUrl(std::size_t i) const
{
    return std::string_view(LinkText).substr(Links[i].UrlAt, Links[i].UrlLength);
}

TPreparedPage PrepareHtmlPage(std::string_view pageUrl, std::string_view page, bool realLinkFooter,
                              TDateTime captureDate)
{
    TPreparedPage prepared;
    // Room for the links' texts at once: pages whose links are most of their
    // bytes would otherwise copy them over and over as they grow. Room not
    // written costs no memory.
    prepared.LinkText.reserve(page.size());
    TViewStream source(page);
    THtmlParser parser(source);
    // The items of the prepared page, followed as it is written: the
    // resolution pass then need not scan it again.
    TEditedItems edited(parser, page);
    TStringStream out(RewrittenPageRoom(page.size()));
    // Every link resolves against the base: it is parsed once, and again
    // only when a BASE tag changes it.
    std::string base(pageUrl);
    TUrl parsedBase = TUrl::Create(base);
    TLinkParam link;
    // Each address as resolved against the base, and whether the capture can
    // fetch it: pages give the same address over and over. Forgotten when
    // the base changes, and when it holds kResolvedKept addresses: a table
    // of contents gives thousands of addresses once each.
    struct TResolved {
        std::string Absolute;
        TAddressClass Address = TAddressClass::Unknown;
        bool Fetchable() const { return Address == TAddressClass::Fetchable; }
    };
    std::unordered_map<std::string, TResolved, TTextHash, std::equal_to<>> resolved;
    auto resolve = [&](std::string_view address) -> const TResolved& {
        auto known = resolved.find(address);
        if (known != resolved.end())
            return known->second;
        TResolved result;
        if (base.empty()) {
            result.Absolute = ResolveUrl(address, base);
            result.Address = ClassifyAddress(TUrl::Create(result.Absolute));
        } else {
            // The address's text reads back as the address, unless it was cut.
            const TUrl absolute = ResolveLink(address, parsedBase);
            result.Absolute = GetUrlText(absolute);
            result.Address = ClassifyAddress(result.Absolute.size() < kShortStringMax ? absolute
                                                                                      : TUrl::Create(result.Absolute));
        }
        if (resolved.size() >= kResolvedKept)
            resolved.clear();
        return resolved.emplace(std::string(address), std::move(result)).first->second;
    };

    // Items that stay as they are, and the text after them, are copied in
    // runs: the run from item copyFrom on is written before anything else.
    // None of them holds a reference beyond its own link: such a tag is
    // written anew.
    int copyFrom = -1;
    auto copyRun = [&](int before) {
        if (copyFrom >= 0) {
            edited.Copied(copyFrom, before - 1, out.Size(), true);
            parser.CopyTagsAndText(copyFrom, before - 1, out);
        }
        copyFrom = -1;
    };
    // The addresses of a tag beyond its own link, and of STYLE blocks:
    // resolved against the base, and offered once the tag is written.
    struct TOther {
        std::string Address;
        TReferenceKind Kind;
        TAddressClass Class = TAddressClass::Unknown;
    };
    std::vector<TOther> others;
    const TAddressMap absoluteOther = [&](std::string_view address, TReferenceKind kind) -> std::optional<std::string> {
        if (StartsWithNoCase(address, "data:") || address.starts_with('#'))
            return std::nullopt;
        if (HasForeignScheme(address)) {
            others.push_back({std::string(address), kind});
            return std::nullopt;
        }
        const TResolved& absolute = resolve(address);
        others.push_back({absolute.Absolute, kind, absolute.Address});
        if (absolute.Fetchable())
            return absolute.Absolute;
        return std::nullopt;
    };
    auto offerOthers = [&](std::uint8_t tagKind) {
        for (TOther& other : others) {
            TFoundLink& found = prepared.AddLink(other.Address, {});
            found.TagKind = tagKind;
            found.Kind = other.Kind;
            found.LinkType = LinkTypeOf(other.Kind);
            found.Address = other.Class;
        }
        others.clear();
    };

    // The tag's link made absolute, and the changes to the tag: their room
    // serves every tag.
    std::string absolute;
    TTagEdits edits;
    for (int i = 0; i <= parser.Count() - 2; ++i) {
        const TTag& item = parser.Item(i);
        if (item.Flags & TagBoundary) {
            copyRun(i);
            parser.CopyTextAfter(i, out);
            continue;
        }
        if ((item.Flags & TagOpen) == 0) {
            // A closing tag carries nothing to change: it joins the run.
            if (copyFrom < 0)
                copyFrom = i;
            continue;
        }
        parser.GetLink(i, link);
        if (link.TagKind == TagTitle)
            prepared.Title = link.Description;
        const bool styleBlock = item.Kind == TagStyle;
        // The whole tag, read in place.
        const std::string_view tagText = page.substr(static_cast<std::size_t>(item.Position),
                                                     static_cast<std::size_t>(item.Length));
        const bool hasOthers = (CarriesReferences(item.Kind) || item.Length > 12)
            && MayHoldOtherReferences(tagText, item.Kind);

        if (link.Link.Value.empty() && !hasOthers && !styleBlock) {
            if (item.Kind == TagHtml) {
                copyRun(i);
                // The comment goes between the tag and its text: a tag that
                // ends with the "<" of the next one would take it in.
                edited.Copied(i, i, out.Size(), true);
                if (item.Position + item.Length > parser.Item(i + 1).Position)
                    edited.GiveUp();
                parser.CopyTag(i, out);
                const std::string comment = "<!-- Url : \"" + std::string(pageUrl) + "\" -->";
                WriteText(out, "\r\n");
                edited.Inserted(comment, out.Size());
                WriteText(out, comment);
                WriteText(out, "\r\n");
                parser.CopyTextAfter(i, out);
            } else if (copyFrom < 0) {
                copyFrom = i;
            }
            continue;
        }
        copyRun(i);

        absolute.clear();
        TAddressClass absoluteClass = TAddressClass::Unknown;
        edits.Clear();
        if (!link.Link.Value.empty()) {
            // Resolved against the base parsed already; an https page's
            // relative links stay https.
            const TResolved& resolvedLink = resolve(link.Link.Value);
            absolute = resolvedLink.Absolute;
            absoluteClass = resolvedLink.Address;
            if (resolvedLink.Fetchable())
                parser.ReplaceParamValue(i, link.Link, absolute, edits);
            TTagParam lowsrc;
            if (link.TagKind == TagImg && parser.GetParam("LOWSRC", i, lowsrc))
                edits.Delete(lowsrc.ParamStart, lowsrc.ParamLength);
        }
        const std::int64_t tagAt = out.Size();
        if (hasOthers) {
            TStringStream written;
            parser.WriteTag(i, written, edits);
            const std::string own = written.Take();
            // A BASE tag's own address is the base of its other references.
            const std::string rewritten = RewriteOtherReferences(own, item.Kind, absoluteOther, TCapturedValues::Replace);
            WriteText(out, rewritten);
        } else {
            parser.WriteTag(i, out, edits);
        }
        if (edited.Valid()) {
            edited.Written(i, tagAt, tagText, out.View().substr(static_cast<std::size_t>(tagAt)));
        }
        if (styleBlock) {
            TStringStream text;
            parser.CopyTextAfter(i, text);
            const TCssNewValue toAbsolute = [&](const TReference& reference) {
                return absoluteOther(reference.Address, reference.Kind);
            };
            const std::string css = ReplaceCssAddresses(text.View(), toAbsolute);
            edited.TextReplaced(text.View(), css);
            WriteText(out, css);
        } else {
            parser.CopyTextAfter(i, out);
        }

        if (!link.Link.Value.empty()) {
            if (item.Kind == TagBase) {
                base = absolute;
                parsedBase = TUrl::Create(base);
                resolved.clear();
            }
            // A link of a scheme the capture does not know ("javascript:")
            // is judged, and logged, as the page wrote it.
            if (!HasForeignScheme(link.Link.Value)) {
                link.Link.Value = absolute;
                link.Address = absoluteClass;
            }
            if (link.IsMap)
                prepared.IsMap = true;
            prepared.AddLink(link);
        }
        offerOthers(item.Kind);
    }
    copyRun(parser.Count() - 1);
    if (realLinkFooter) {
        const std::int64_t footerAt = out.Size();
        AppendRealLinkFooter(out, pageUrl, captureDate);
        edited.Appended(out.View().substr(static_cast<std::size_t>(footerAt)), footerAt);
    }
    prepared.Items = ItemsAPassReads(edited.Finish(out.Size()), out.View());
    prepared.Bytes = out.Take();
    return prepared;
}

void TWEB::EnterLinks(TWebFile& record, TPreparedPage& prepared, const TLinkFilter& validator)
{
    // The addresses this page offered that the tree holds a record for:
    // offering one again would only find that record (pages link to the
    // same page many times, by its anchors).
    std::unordered_set<std::string_view> entered;
    TLinkParam found;
    TLinkItem candidate;
    for (std::size_t i = 0; i < prepared.Links.size(); ++i) {
        prepared.ReadLink(i, found);
        if (AcceptLink(found, validator) && !entered.contains(found.Link.Value)) {
            candidate.LinkType = found.LinkType;
            candidate.Url = found.Link.Value;
            candidate.Description = found.Description;
            if (NewLink(candidate, &record))
                entered.insert(prepared.LinkUrl(i));
        }
    }
    if (prepared.IsMap)
        record.SetIsmap(true);
}

bool TWEB::SetHtmlLinks(TWebFile& record, std::string_view pageUrl, const TLinkFilter& validator)
{
    if (!IsSafeLocalName(record.GetFileName()))
        return false;
    const std::string file = Path + record.GetFileName();
    if (!FileExists(file))
        return false;

    TMemoryStreamEx source;
    try {
        source.LoadFromFile(file);
    } catch (const EVelbrinError&) {
        return false;
    }
    TPreparedPage prepared = PrepareHtmlPage(pageUrl, source.View(), Options.RealLinkFlag, CaptureDate);
    EnterLinks(record, prepared, validator);

    try {
        // The page was stored by this session's request moments ago and
        // nothing else refers to it: the prepared page goes over it in place
        // (a failed write puts the download back). Only a file that changed
        // meanwhile is replaced through a temporary file. Like the stored
        // file, left to the system to write back.
        const std::string_view downloaded = source.View();
        if (!OverwriteFile(file, prepared.Bytes, downloaded)) {
            TAtomicFileStream target(file, 0644, TFlush::Cached);
            target.WriteBuffer(prepared.Bytes.data(), prepared.Bytes.size());
            target.Commit();
        }
    } catch (const EVelbrinError&) {
        KeptPages.Forget(record.GetFileName());
        return false;
    }
    KeepItems(record.GetFileName(), file, prepared.Items);
    if (!prepared.Title.empty())
        record.SetDescription(prepared.Title);
    return true;
}

void TWEB::StoreHtmlPage(TWebFile& record, std::string_view pageUrl, std::string_view page,
                         const TLinkFilter& validator, TFileStream* target)
{
    TPreparedPage prepared = PrepareHtmlPage(pageUrl, page, Options.RealLinkFlag, CaptureDate);
    StorePreparedPage(record, prepared, validator, target);
}

void TWEB::StorePreparedPage(TWebFile& record, TPreparedPage& prepared, const TLinkFilter& validator,
                             TFileStream* target)
{
    if (!IsSafeLocalName(record.GetFileName()))
        throw EInOutError("Unsafe file name \"" + record.GetFileName() + "\"");
    const std::string file = Path + record.GetFileName();
    EnterLinks(record, prepared, validator);
    StoreWhole(file, prepared.Bytes, target);
    KeepItems(record.GetFileName(), file, prepared.Items);
    if (!prepared.Title.empty())
        record.SetDescription(prepared.Title);
}

void TWEB::KeepItems(const std::string& fileName, const std::string& file, const std::vector<TTag>& items)
{
    const std::optional<TFileStamp> stamp = items.empty() ? std::nullopt : StampOf(file);
    if (stamp)
        KeptPages.Keep(fileName, items, *stamp);
    else
        KeptPages.Forget(fileName);
}

std::string TWEB::PrepareCss(std::string_view sheetUrl, std::string_view css, std::vector<TLinkParam>& found)
{
    const TUrl base = TUrl::Create(sheetUrl);
    return ReplaceCssAddresses(css, [&](const TReference& reference) -> std::optional<std::string> {
        const std::string_view address = reference.Address;
        if (StartsWithNoCase(address, "data:") || address.starts_with('#'))
            return std::nullopt;
        TLinkParam link;
        link.Kind = reference.Kind;
        link.LinkType = LinkTypeOf(reference.Kind);
        if (HasForeignScheme(address)) {
            link.Link.Value = address;
            found.push_back(std::move(link));
            return std::nullopt;
        }
        std::string absolute = GetUrlText(ResolveLink(address, base));
        link.Address = ClassifyAddress(TUrl::Create(absolute));
        link.Link.Value = absolute;
        const bool fetchable = link.Address == TAddressClass::Fetchable;
        found.push_back(std::move(link));
        if (fetchable)
            return absolute;
        return std::nullopt;
    });
}

void TWEB::OfferCssLinks(TWebFile& record, const std::vector<TLinkParam>& found, const TLinkFilter& validator)
{
    for (const TLinkParam& link : found) {
        if (AcceptLink(link, validator)) {
            TLinkItem candidate;
            candidate.LinkType = link.LinkType;
            candidate.Url = link.Link.Value;
            NewLink(candidate, &record);
        }
    }
}

bool TWEB::SetCssLinks(TWebFile& record, std::string_view sheetUrl, const TLinkFilter& validator)
{
    if (!IsSafeLocalName(record.GetFileName()))
        return false;
    const std::string file = Path + record.GetFileName();
    if (!FileExists(file))
        return false;
    std::string css;
    try {
        css = ReadWholeFile(file);
    } catch (const EVelbrinError&) {
        return false;
    }
    std::vector<TLinkParam> found;
    const std::string prepared = PrepareCss(sheetUrl, css, found);
    if (prepared != css) {
        try {
            TAtomicFileStream target(file, 0644, TFlush::Cached);
            target.WriteBuffer(prepared.data(), prepared.size());
            target.Commit();
        } catch (const EVelbrinError&) {
            return false;
        }
    }
    OfferCssLinks(record, found, validator);
    return true;
}

void TWEB::StoreStyleSheet(TWebFile& record, std::string_view sheetUrl, std::string_view css,
                           const TLinkFilter& validator, TFileStream* target)
{
    if (!IsSafeLocalName(record.GetFileName()))
        throw EInOutError("Unsafe file name \"" + record.GetFileName() + "\"");
    std::vector<TLinkParam> found;
    StoreWhole(Path + record.GetFileName(), PrepareCss(sheetUrl, css, found), target);
    OfferCssLinks(record, found, validator);
}

// A file the capture reserved (created, empty) is written once, whole. A
// failed write leaves no part of the file behind.
void TWEB::StoreWhole(const std::string& file, std::string_view bytes, TFileStream* target)
{
    std::optional<TFileStream> created;
    try {
        if (!target)
            target = &created.emplace(file, TFileStream::Mode::Create);
        target->WriteBuffer(bytes.data(), bytes.size());
        target->Close();
    } catch (const EVelbrinError&) {
        if (target) {
            try {
                target->Close();
            } catch (const EVelbrinError&) {
            }
        }
        DeleteFile(file);
        throw;
    }
}

} // namespace velbrin
