#pragma once

#include "core/SystemFiles.h"
#include <cstddef>
#include <string>
#include <string_view>

namespace velbrin {

// The capture log of a Web, "LogFile.htm" in its capture directory: a heading
// written when the file is created, then one entry per message, in the
// single-byte code page of the program's texts ("filtr\xE9"). It is an HTML
// page the user opens, so every text that comes from a captured site goes in
// HTML-escaped; the program's own texts go in as they are.

// The longest entry, line end included.
inline constexpr std::size_t kLogEntryMax = 255;

// `<HTML><HEADER></HEADER><BODY BGCOLOR="#FFFFFF"><H3>WEB : ` + the start
// address in upper case, escaped + `</H3>`, without any line break.
std::string LogHeading(std::string_view startUrl);

// "<br>" + message + CR LF, cut at kLogEntryMax bytes: a long message loses
// the line end first, then its own end.
std::string LogEntry(std::string_view message);

} // namespace velbrin
