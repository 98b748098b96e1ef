#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// Turns the named character references of the table (quot, amp, lt, gt and the
// Latin-1 names nbsp .. yuml) into their single byte; bytes below 20 become
// byte 20 first. Names match exactly, case included; unknown names and
// numeric references stay as written. Works on the first 255 bytes.
std::string DecodeEntities(std::string_view text);

// The byte a named character reference of the table stands for (the name
// without "&" and ";", case included), or -1 for a name it does not know.
int NamedEntityByte(std::string_view name);

} // namespace velbrin
