#pragma once

#include <string>

class QLineEdit;

namespace velbrin {

// A line edit that shows bytes of the engine. The field remembers the bytes
// it was filled with: as long as its text is the one shown for them, they
// come back unchanged (a Latin-1 title or password stays Latin-1); a text
// the user changed comes back as UTF-8.
void ShowBytes(QLineEdit* field, const std::string& bytes);
std::string FieldBytes(const QLineEdit* field);

} // namespace velbrin
