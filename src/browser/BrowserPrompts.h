#pragma once

// Only the box kinds and answers are taken from the error-box interface: the
// programs hand the box itself in, so this library stays free of its view.
#include "capture/ErrorBox.h"

#include <functional>
#include <string_view>

namespace velbrin {

// Shows the error box of a kind with a text of the caller's and the buttons,
// and returns the button pressed. The programs bind ErrorBox of net/ErrorBox.h
// (the desktop's window, the command line's console view).
using TShowErrorBox = std::function<TModalResult(TErrorKind kind, std::string_view text, TBoxButtons buttons)>;

// Runs the setup dialog opened on a page; true when the user confirmed it.
using TEditSettings = std::function<bool(int page)>;

// The Browser page of the setup dialog.
inline constexpr int kBrowserSettingsPage = 3;

// What the browser and bookmark commands may ask of the user.
struct TBrowserPrompts {
    // None: every question is answered No.
    TShowErrorBox ErrorBox;
    // None: the settings cannot be edited (the command line).
    TEditSettings EditSettings;

    TModalResult Ask(TErrorKind kind, std::string_view text, TBoxButtons buttons) const
    {
        return ErrorBox ? ErrorBox(kind, text, buttons) : TModalResult::No;
    }
    bool Edit(int page) const { return EditSettings && EditSettings(page); }
};

} // namespace velbrin
