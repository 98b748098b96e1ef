#pragma once

#include "core/DateTime.h"
#include "core/Stream.h"

#include <string>
#include <string_view>

namespace velbrin {

// The bytes that follow the opening marker of every footer, up to the
// address: what tells a footer cut short by an older writer from a page's own
// comment.
inline constexpr std::string_view kFooterLead =
    "  \r\n<p><hr><b></i></s></u><var><center>  \r\nCaptured by Velbrin from  <A HREF=";

// The block that links a stored page to its real address, fenced by the
// footer markers: the address (whole, however long) and the capture date in
// the short date format.
std::string RealLinkFooter(std::string_view address, TDateTime captureDate);
// Writes that block to the stream, at its position.
void AppendRealLinkFooter(TStream& stream, std::string_view address, TDateTime captureDate);

} // namespace velbrin
