#include "html/LinkParam.h"

#include "core/Url.h"

namespace velbrin {

void TLinkParam::Clear()
{
    Link.Clear();
    OldLink.Clear();
    IsMap = false;
    Description.clear();
}

TLinkVerdict JudgeLink(const TLinkParam& link)
{
    const TUrl parsed = TUrl::Create(link.Link.Value);
    if (!IsValidUrl(parsed))
        return TLinkVerdict::InvalidAddress;
    if (!IsFetchableProtocol(parsed.Protocol))
        return TLinkVerdict::OtherProtocol;
    if (link.TagKind == TagA && link.IsMap)
        return TLinkVerdict::ServerMapAnchor;
    return TLinkVerdict::Follow;
}

bool AcceptLink(const TLinkParam& link, const TLinkFilter& filter)
{
    if (filter)
        return filter(link);
    return JudgeLink(link) == TLinkVerdict::Follow;
}

} // namespace velbrin
