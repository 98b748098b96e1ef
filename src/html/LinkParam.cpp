#include "html/LinkParam.h"

#include "core/Url.h"

namespace velbrin {

void TLinkParam::Clear()
{
    Link.Clear();
    OldLink.Clear();
    IsMap = false;
    Description.clear();
    Address = TAddressClass::Unknown;
}

TAddressClass ClassifyAddress(const TUrl& parsed)
{
    if (!IsValidUrl(parsed))
        return TAddressClass::Invalid;
    if (!IsFetchableProtocol(parsed.Protocol))
        return TAddressClass::OtherProtocol;
    return TAddressClass::Fetchable;
}

TLinkVerdict JudgeLink(const TLinkParam& link)
{
    const TAddressClass address =
        link.Address != TAddressClass::Unknown ? link.Address : ClassifyAddress(TUrl::Create(link.Link.Value));
    if (address == TAddressClass::Invalid)
        return TLinkVerdict::InvalidAddress;
    if (address == TAddressClass::OtherProtocol)
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
