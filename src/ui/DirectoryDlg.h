#pragma once

#include <QString>
#include <QWidget>

#include <optional>
#include <string>

namespace velbrin {

// The directory chooser: a tree of the file system from its root, the
// selected directory, and (with allowNewDirectory) "New directory", which
// creates the typed path with every missing parent. It opens on initial, or
// on the program's directory when initial is empty or names no directory.
// The result has no trailing "/" (but the root, "/"); nothing when cancelled.
std::optional<std::string> ChooseDirectory(QWidget* parent, const QString& caption, const std::string& initial,
                                           bool allowNewDirectory = true);

// The "New directory..." prompt: the name typed, or nothing when cancelled.
std::optional<QString> AskDirectoryName(QWidget* parent, const QString& initial);

} // namespace velbrin
