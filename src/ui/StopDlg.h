#pragma once

#include <QWidget>

#include <optional>

namespace velbrin {

// "Stop capture": nothing on Cancel, otherwise whether to abort every transfer
// (true when "Complete captures in progress" was left clear).
std::optional<bool> AskStopCapture(QWidget* parent);

} // namespace velbrin
