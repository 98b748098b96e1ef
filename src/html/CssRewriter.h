#pragma once

#include "html/Reference.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velbrin {

// What to write for a reference of a style sheet: the value (a local file
// name, an absolute address ...), or nullopt to leave the captured address.
using TCssNewValue = std::function<std::optional<std::string>(const TReference&)>;

// Rewrites the references of a style sheet, a STYLE block or a style attribute
// value (CssReferences.h). Where the value to write differs from the captured
// address, the value is written and the marker after it (CssMarker.h) keeps
// the captured value; elsewhere the captured value is written back as it was
// and its marker goes. So a rewrite is repeatable, starting each time from
// the captured addresses, and a rewrite with nullopt everywhere gives back the
// sheet as it was captured. Nothing but values and markers changes.
//
// A written value keeps the quotes of the captured one; a value captured
// without quotes gets double quotes when it cannot stand without. A reference
// that the text ends inside is left as it stands.
std::string RewriteCss(std::string_view css, const TCssNewValue& newValue);

// The values replaced for good, without markers: what a capture does to the
// addresses of a sheet it just received (made absolute), so that the result
// is the captured sheet. References with a marker are left as they stand.
std::string ReplaceCssAddresses(std::string_view css, const TCssNewValue& newValue);

} // namespace velbrin
