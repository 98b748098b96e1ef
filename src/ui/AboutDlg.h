#pragma once

#include <QDialog>

namespace velbrin {

inline constexpr const char* kVelbrinVersion = "1.073v32";
inline constexpr const char* kContactAddress = "contact@velbrin.example";

// "About Velbrin": name, version, picture and the contact address, which turns
// blue under the mouse and opens a new mail in the browser when clicked.
class TAboutDlg : public QDialog {
public:
    explicit TAboutDlg(QWidget* parent);
};

} // namespace velbrin
