#pragma once

#include <QWidget>

#include <string>

namespace velbrin {

enum class TDeleteFilesAnswer { Delete, Cancel, Keep };

// "Create new web": the directory of a new Web already holds count entries;
// asks whether to delete them, keep them, or give up. Closing the box is Cancel.
TDeleteFilesAnswer AskDeleteFiles(QWidget* parent, const std::string& directory, int count);

} // namespace velbrin
