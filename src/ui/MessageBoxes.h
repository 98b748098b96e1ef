#pragma once

#include "capture/ErrorBox.h"

#include <QDialog>

#include <string_view>

class QLabel;

namespace velbrin {

// The error and warning box: the icon of its kind and the message at the top,
// the buttons of the box in the panel below, each kBoxButtonWidth wide and
// kBoxButtonGap apart, centred (LayoutBoxButtons). Closing it without a
// button (window frame, Escape) gives Cancel.
class TErrorDlg : public QDialog {
public:
    TErrorDlg(const TBox& box, QWidget* parent);

    TModalResult Result() const { return m_result; }

    void reject() override;

private:
    TModalResult m_result = TModalResult::None;
};

// The desktop's view of the error boxes: every ErrorBox / WarningBox of the
// engine opens a TErrorDlg over the parent window.
class TQtErrorBoxView : public TErrorBoxView {
public:
    explicit TQtErrorBoxView(QWidget* parent);
    TModalResult ShowBox(const TBox& box) override;

private:
    QWidget* m_parent;
};

// A plain message box: caption, text (lines separated by CR LF), the buttons
// of the set in the order Yes, No, Ok, Cancel, and an icon. Returns the
// button pressed.
TModalResult ShowMessageBox(QWidget* parent, std::string_view caption, std::string_view text, TBoxButtons buttons,
                            TBoxIcon icon = TBoxIcon::Warning);

} // namespace velbrin
