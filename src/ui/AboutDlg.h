#pragma once

#include <QDialog>

#include <functional>
#include <string>

namespace velbrin {

class TParam;

inline constexpr const char* kVelbrinVersion = "1.073v32";
inline constexpr const char* kContactAddress = "contact@velbrin.example";

// "About Velbrin": name, version, picture and the contact address, which turns
// blue under the mouse and, clicked, opens "mailto:" + the address in the
// browser of the settings (nothing without settings).
class TAboutDlg : public QDialog {
public:
    explicit TAboutDlg(QWidget* parent, const TParam* settings = nullptr);

    // What a click on the address does with "mailto:" + the address.
    std::function<void(const std::string& target)> OpenMail;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace velbrin
