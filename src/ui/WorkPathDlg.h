#pragma once

#include "capture/ErrorBox.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;

namespace velbrin {

// "First Velbrin setup": the working path, asked once before any other window
// exists. The field starts at SuggestedWorkPath() ("$HOME/Webs/"); "&OK"
// closes only on an existing directory the program may write into, a missing
// one being created when the user agrees; "&Cancel" (or the close box) leaves
// without any directory.
class TWorkPathDlg : public QDialog {
public:
    explicit TWorkPathDlg(QWidget* parent = nullptr);

    // The questions and messages of the dialog (ShowMessageBox by default);
    // a test answers them instead.
    std::function<TModalResult(std::string_view caption, std::string_view text, TBoxButtons buttons)> Ask;
    // The directory chooser behind "&Browse..." (ChooseDirectory without
    // "&New directory" by default); nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& initial)> Choose;

    // The accepted working path, ending with exactly one "/"; empty until OK.
    const std::string& WorkPath() const { return m_workPath; }

    void accept() override;

private:
    void Browse();

    QLineEdit* m_path;
    std::string m_workPath;
};

// The directory typed in the first-run dialog as a working path: "~" stands
// for the home directory, the path is made absolute and ends with exactly one
// "/". Empty when nothing was typed.
std::string TypedWorkPath(const std::string& typed);

// True when the program has no usable working path yet: the profile names
// none, or names one without "velbrin.ini" (deleted since).
bool WorkPathNeeded();

// Runs the first-run dialog; the working path, or nothing when cancelled.
std::optional<std::string> AskWorkPath(QWidget* parent);

} // namespace velbrin
