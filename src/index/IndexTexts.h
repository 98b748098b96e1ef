#pragma once

#include "core/DateTime.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velbrin {

// Texts the index pages are made of, apart from the templates.

// Index pages are UTF-8 throughout. A text of the captured site or of the
// user (a title, a description, an address, a file name) for a page: valid
// UTF-8 kept, anything else read as Latin-1 (ToUtf8), then HTML-escaped.
std::string PageText(std::string_view text);

// "n bytes" up to 1024 bytes, else "k Kb" with k = n div 1024.
std::string SizeText(std::int64_t bytes);

// The whole seconds from start to end; 0 when end is not after start.
std::int64_t SessionSeconds(TDateTime start, TDateTime end);
// The length of a session in the C library's time format ("%X") while it is
// shorter than a day; longer ones as "hh:mm:ss" with as many hours as needed.
std::string SessionTimeText(TDateTime start, TDateTime end);
// Bytes per second over the session, 0 for a session of no whole second.
std::int64_t SessionSpeed(std::int32_t receivedKb, TDateTime start, TDateTime end);

// The link target of a stored file: its bare name with every byte other than
// letters, digits and "-._~" written as %XX, so that a name holding "#", "?",
// "%" or ":" still names that file and can neither close the attribute nor
// become an address. Empty when the name is not a safe bare name
// (IsSafeLocalName) or is empty.
std::string LocalHref(std::string_view fileName);

// An address the index may link to: one that starts with "http:", "https:"
// or "ftp:" (any case). Anything else is shown as text.
bool IsWebAddress(std::string_view address);

} // namespace velbrin
