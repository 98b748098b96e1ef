#include "capture/Web.h"
#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/Url.h"
#include "html/HtmlParser.h"
#include "rewrite/RewriteFooter.h"
#include "store/LocalName.h"

namespace velbrin {

namespace {

void WriteText(TStream& out, std::string_view text) { out.WriteBuffer(text.data(), text.size()); }

} // namespace

bool TWEB::SetHtmlLinks(TWebFile& record, std::string_view pageUrl, const TLinkFilter& validator)
{
    TWEB& web = *this;
    if (!IsSafeLocalName(record.GetFileName()))
        return false;
    const std::string file = web.Path + record.GetFileName();
    if (!FileExists(file))
        return false;

    TMemoryStreamEx source;
    try {
        source.LoadFromFile(file);
    } catch (const EVelbrinError&) {
        return false;
    }
    THtmlParser parser(source);
    TMemoryStreamEx out;
    // Every link resolves against the base: it is parsed once, and again
    // only when a BASE tag changes it.
    std::string base(pageUrl);
    TUrl parsedBase = TUrl::Create(base);
    std::string title;
    TLinkParam link;

    // Items that stay as they are, and the text after them, are copied in
    // runs: the run from item copyFrom on is written before anything else.
    int copyFrom = -1;
    auto copyRun = [&](int before) {
        if (copyFrom >= 0)
            parser.CopyTagsAndText(copyFrom, before - 1, out);
        copyFrom = -1;
    };
    for (int i = 0; i <= parser.Count() - 2; ++i) {
        const TTag& item = parser.Item(i);
        if (item.Flags & TagBoundary) {
            copyRun(i);
            parser.CopyTextAfter(i, out);
            continue;
        }
        parser.GetLink(i, link);
        const bool open = (item.Flags & TagOpen) != 0;
        if (open && link.TagKind == TagTitle)
            title = link.Description;

        if (link.Link.Value.empty()) {
            if (open && item.Kind == TagHtml) {
                copyRun(i);
                parser.CopyTag(i, out);
                WriteText(out, "\r\n<!-- Url : \"");
                WriteText(out, pageUrl);
                WriteText(out, "\" -->\r\n");
                parser.CopyTextAfter(i, out);
            } else if (copyFrom < 0) {
                copyFrom = i;
            }
            continue;
        }
        copyRun(i);

        // ResolveUrl(link.Link.Value, base), with the base parsed already.
        const std::string absolute = base.empty() ? ResolveUrl(link.Link.Value, base)
                                                  : GetUrlText(TUrl::Create(link.Link.Value, &parsedBase));
        const TUrl parsed = TUrl::Create(absolute);
        TTagEdits edits;
        if (IsValidUrl(parsed) && parsed.Protocol == ProtocolHttp)
            parser.ReplaceParamValue(i, link.Link, absolute, edits);
        TTagParam lowsrc;
        if (link.TagKind == TagImg && parser.GetParam("LOWSRC", i, lowsrc))
            edits.Delete(lowsrc.ParamStart, lowsrc.ParamLength);
        parser.WriteTag(i, out, edits);
        parser.CopyTextAfter(i, out);

        if (item.Kind == TagBase) {
            base = absolute;
            parsedBase = TUrl::Create(base);
        }
        // A link of a scheme the capture does not know ("https:",
        // "javascript:") is judged, and logged, as the page wrote it.
        if (!HasForeignScheme(link.Link.Value))
            link.Link.Value = absolute;
        if (AcceptLink(link, validator)) {
            TLinkItem candidate;
            candidate.LinkType = link.LinkType;
            candidate.Url = link.Link.Value;
            candidate.Description = link.Description;
            web.NewLink(candidate, &record);
        }
        if (link.IsMap)
            record.SetIsmap(true);
    }
    copyRun(parser.Count() - 1);
    if (web.Options.RealLinkFlag)
        AppendRealLinkFooter(out, pageUrl, web.CaptureDate);

    try {
        // The page was stored by this session's request moments ago and
        // nothing else refers to it: the prepared page goes over it in place
        // (a failed write puts the download back). Only a file that changed
        // meanwhile is replaced through a temporary file. Like the stored
        // file, left to the system to write back.
        const std::string_view prepared(static_cast<const char*>(out.Data()), static_cast<std::size_t>(out.Size()));
        const std::string_view downloaded(static_cast<const char*>(source.Data()),
                                          static_cast<std::size_t>(source.Size()));
        if (!OverwriteFile(file, prepared, downloaded)) {
            TAtomicFileStream target(file, 0644, TFlush::Cached);
            target.WriteBuffer(prepared.data(), prepared.size());
            target.Commit();
        }
    } catch (const EVelbrinError&) {
        return false;
    }
    if (!title.empty())
        record.SetDescription(title);
    return true;
}

} // namespace velbrin
