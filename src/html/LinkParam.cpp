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

bool AcceptLink(const TLinkParam& link, const TLinkFilter& filter)
{
    if (filter)
        return filter(link);
    if (link.TagKind == TagA && link.IsMap)
        return false;
    return IsValidUrl(link.Link.Value) && IsFetchableProtocol(GetProtocol(link.Link.Value));
}

} // namespace velbrin
