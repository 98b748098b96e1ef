#include "rewrite/RewriteFooter.h"

#include "rewrite/RewriteMarkers.h"

namespace velbrin {

std::string RealLinkFooter(std::string_view address, TDateTime captureDate)
{
    std::string block;
    block.reserve(kFooterOn.size() + kFooterLead.size() + 2 * address.size() + 64);
    block += kFooterOn;
    block += kFooterLead;
    block += address;
    block += '>';
    block += address;
    block += "</a> : ";
    block += FormatShortDate(captureDate);
    block += "  \r\n<hr> \r\n";
    block += kFooterOff;
    block += ' ';
    return block;
}

void AppendRealLinkFooter(TStream& stream, std::string_view address, TDateTime captureDate)
{
    const std::string block = RealLinkFooter(address, captureDate);
    stream.WriteBuffer(block.data(), block.size());
}

} // namespace velbrin
