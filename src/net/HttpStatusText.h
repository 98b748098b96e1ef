#pragma once

#include <string>

namespace velbrin {

// The name of an HTTP status code followed by the code in parentheses:
// "Not found (404)". Codes of the classes 2 to 5 without a name give an empty
// name (" (207)"); codes of any other class give "HTTP error number 600 (600)".
std::string HttpStatusText(int code);

} // namespace velbrin
