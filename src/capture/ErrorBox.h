#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Error and warning boxes: callers pick a kind, add a text of their own and
// the buttons they need, and get back the button the user pressed. The boxes
// are shown by the current view (TErrorBoxView); the desktop installs a
// window, the command line keeps the console view.

enum class TErrorKind { Connection, Http, BookmarkFile, Browser };
enum class TWarning { SocketLibrary, WinsockLibrary, NoCaptureType, UndefinedMimeType };

// A set of buttons; they are laid out in this order.
enum TBoxButton : unsigned { mbYes = 1, mbNo = 2, mbOk = 4, mbCancel = 8 };
using TBoxButtons = unsigned;

enum class TModalResult { None, Yes, No, Ok, Cancel };
enum class TBoxIcon { Error, Warning };

struct TBox {
    TBoxIcon Icon = TBoxIcon::Error;
    std::string Caption;
    std::string Message; // lines separated by CR LF
    TBoxButtons Buttons = mbOk;
};

// One button of a box, placed in the button panel.
struct TBoxButtonPlace {
    TModalResult Result;
    std::string_view Caption; // "&Yes", "&No", "&Ok", "&Cancel"
    int Left;                 // pixels from the panel's left edge
};

inline constexpr int kBoxPanelWidth = 357;
inline constexpr int kBoxPanelHeight = 21;
inline constexpr int kBoxButtonWidth = 80;
inline constexpr int kBoxButtonGap = 4;

// The requested buttons in order, each kBoxButtonWidth wide and kBoxButtonGap
// apart, the group centred in the panel.
std::vector<TBoxButtonPlace> LayoutBoxButtons(TBoxButtons buttons);

std::string_view WarningText(TWarning warning);
std::string_view ErrorCaption(TErrorKind kind);
// The message of an error box; see ErrorBox.
std::string ErrorMessage(TErrorKind kind, std::string_view text, int code, std::string_view url);

TBox MakeErrorBox(TErrorKind kind, std::string_view text, TBoxButtons buttons, int code, std::string_view url);
TBox MakeWarningBox(TWarning warning, std::string_view text);

class TErrorBoxView {
public:
    virtual ~TErrorBoxView() = default;
    // Shows the box modally and returns the button pressed.
    virtual TModalResult ShowBox(const TBox& box) = 0;
};

// The view every box goes through: the console view until a program installs
// its own.
TErrorBoxView& CurrentErrorBoxView();
// Installs view and returns the one it replaces; an empty view restores the
// console view.
std::unique_ptr<TErrorBoxView> SetErrorBoxView(std::unique_ptr<TErrorBoxView> view);

// For the connection and HTTP kinds, a non-empty url opens the message with
// "URL :", the url and CR LF. A connection box then says the server cannot be
// reached, or with a code, which a server that was reached answered, gives the
// name of that status code; then CR LF and text. An HTTP box gives the name of the status code
// (text is not used); the other kinds give their fixed sentence, CR LF and text.
TModalResult ErrorBox(TErrorKind kind, std::string_view text, TBoxButtons buttons, int code = 0,
                      std::string_view url = {});
// Caption "Warning", the warning's text followed by text, one Ok button.
TModalResult WarningBox(TWarning warning, std::string_view text = {});

} // namespace velbrin
