#pragma once

#include "core/DateTime.h"
#include "core/Stream.h"

#include <cstddef>
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
// Room for a page rewritten from one of pageSize bytes, so that its output
// is allocated once: links grow (absolute, an OLDREF beside them), and the
// footer follows.
inline std::size_t RewrittenPageRoom(std::size_t pageSize) { return pageSize + pageSize / 2 + 4096; }
// Writes that block to the stream, at its position.
void AppendRealLinkFooter(TStream& stream, std::string_view address, TDateTime captureDate);

} // namespace velbrin
