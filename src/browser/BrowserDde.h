#pragma once

#include "core/Text.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velbrin {

// Control of a running browser through its DDE server: the topics, the items
// sent, and the reading of the replies. This platform has no DDE: no
// conversation ever opens, so a page is always handed over by starting the
// browser program (LaunchBrowser), and the browser's current page cannot be
// asked. The items and replies are kept as a platform that answers needs them.

inline constexpr std::string_view kDdeTopicOpenUrl = "WWW_OpenURL";
inline constexpr std::string_view kDdeTopicActivate = "WWW_Activate";
inline constexpr std::string_view kDdeTopicWindowChange = "WWW_WindowChange";
inline constexpr std::string_view kDdeTopicGetWindowInfo = "WWW_GetWindowInfo";

// Window 0xffffffff (the last active one), flags 0.
inline constexpr std::string_view kDdeActivateItem = "0xffffffff,0x00000000";
// Window 0xffffffff, flag 0x4 (restore), position and size left empty.
inline constexpr std::string_view kDdeWindowChangeItem = "0xffffffff,0x4,,,,,";
inline constexpr std::string_view kDdeWindowInfoItem = "0xffffffff";
// A request or poke waits this long for the browser.
inline constexpr int kDdeTimeoutMs = 10000;

// The service name of a browser program: its file name, upper-cased, cut
// before its first "." (my.browser.exe gives MY).
std::string DdeServiceName(std::string_view exeName);

// The item of the WWW_OpenURL request: the target between double quotes,
// unescaped, then an empty file name, window 0xffffffff, flags 0, and empty
// form data, MIME type and progress server.
std::string DdeOpenUrlItem(std::string_view target);

// Shows target in the running browser, and with activate brings its window to
// the front. True when a conversation on WWW_OpenURL opened; never here.
bool DdeOpenUrl(std::string_view exeName, std::string_view target, bool activate);

// The address and title of the page the browser shows, each cut to its
// maximum length. Both are emptied first; true when the browser answered with
// at least one string. Never here, so the dialogs keep their fields.
bool GetBrowserWindowInfo(std::string_view exeName, std::string& address, std::size_t maxAddress,
                          std::string& title, std::size_t maxTitle);

// Reads a WWW_GetWindowInfo reply (quoted address, comma, quoted title) into
// address and title as GetBrowserWindowInfo gives them. True when the reply
// holds at least one string; the outputs are untouched otherwise.
bool ReadWindowInfoReply(std::string_view reply, std::string& address, std::size_t maxAddress,
                         std::string& title, std::size_t maxTitle);

// A window title as the dialogs show it: blanks and control characters
// trimmed from both ends, cut to maxLength, a leading "netscape - " (any
// letter case) removed, then one pair of enclosing square brackets.
std::string CleanBrowserTitle(std::string_view title, std::size_t maxLength);

// The double-quoted strings of a DDE reply, in order. Inside a string a
// backslash makes the next character literal; outside, everything but the
// opening quote is skipped. An unterminated last string is dropped.
TStringList SplitQuoted(std::string_view text);

} // namespace velbrin
