#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace velbrin {

// The engine keeps texts as bytes. What a person reads goes through ShownText:
// valid UTF-8 is shown as UTF-8, anything else is read as Latin-1 (the
// program's own texts and most old pages). What a person types comes back
// through StoredText as UTF-8 bytes.
QString ShownText(std::string_view bytes);
std::string StoredText(const QString& text);

} // namespace velbrin
