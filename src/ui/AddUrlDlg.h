#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>

namespace velbrin {

class TParam;

// "Add URL to the web" (the caller may give another caption): an address with
// a host, or nothing when cancelled. The browser buttons ask the browser of
// the settings for its current page.
std::optional<std::string> AskAddress(QWidget* parent, const QString& caption, const std::string& initial,
                                      const TParam& settings);

} // namespace velbrin
