#include "capture/ErrorBox.h"

#include "capture/ConsoleErrorBox.h"
#include "net/HttpStatusText.h"

#include <array>

namespace velbrin {

namespace {

constexpr std::string_view kCrLf = "\r\n";

struct TButtonDef {
    TBoxButton Button;
    TModalResult Result;
    std::string_view Caption;
};

constexpr std::array<TButtonDef, 4> kButtons = {{
    {mbYes, TModalResult::Yes, "&Yes"},
    {mbNo, TModalResult::No, "&No"},
    {mbOk, TModalResult::Ok, "&Ok"},
    {mbCancel, TModalResult::Cancel, "&Cancel"},
}};

std::unique_ptr<TErrorBoxView>& InstalledView()
{
    static std::unique_ptr<TErrorBoxView> view;
    return view;
}

} // namespace

std::vector<TBoxButtonPlace> LayoutBoxButtons(TBoxButtons buttons)
{
    std::vector<TBoxButtonPlace> places;
    for (const TButtonDef& def : kButtons) {
        if (buttons & def.Button)
            places.push_back({def.Result, def.Caption, 0});
    }
    if (places.empty())
        return places;
    int count = static_cast<int>(places.size());
    int groupWidth = count * kBoxButtonWidth + (count - 1) * kBoxButtonGap;
    int left = (kBoxPanelWidth - groupWidth) / 2;
    for (TBoxButtonPlace& place : places) {
        place.Left = left;
        left += kBoxButtonWidth + kBoxButtonGap;
    }
    return places;
}

std::string_view WarningText(TWarning warning)
{
    switch (warning) {
    case TWarning::SocketLibrary:
        return "Cannot load SCX.DLL!";
    case TWarning::WinsockLibrary:
        return "Cannot load WINSOCK.DLL!";
    case TWarning::NoCaptureType:
        return "You have to specifiy a capture type";
    case TWarning::UndefinedMimeType:
        return "Undefined MIME types will not be captured!";
    }
    return {};
}

std::string_view ErrorCaption(TErrorKind kind)
{
    switch (kind) {
    case TErrorKind::Connection:
        return "Connection error";
    case TErrorKind::Http:
        return "HTTP protocol error";
    case TErrorKind::BookmarkFile:
    case TErrorKind::Browser:
        return "Error";
    }
    return {};
}

std::string ErrorMessage(TErrorKind kind, std::string_view text, int code, std::string_view url)
{
    std::string message;
    switch (kind) {
    case TErrorKind::Connection:
    case TErrorKind::Http:
        if (!url.empty()) {
            message += "URL :";
            message += url;
            message += kCrLf;
        }
        if (kind == TErrorKind::Http) {
            message += HttpStatusText(code);
            return message;
        }
        // A server that answered was reached: its answer says what went wrong.
        if (code != 0)
            message += HttpStatusText(code);
        else
            message += "Cannot reach server,its Internet address is either misspelled or unknown!";
        break;
    case TErrorKind::BookmarkFile:
        message += "Cannot open bookmark file!";
        break;
    case TErrorKind::Browser:
        message += "Cannot load browser!";
        break;
    }
    message += kCrLf;
    message += text;
    return message;
}

TBox MakeErrorBox(TErrorKind kind, std::string_view text, TBoxButtons buttons, int code, std::string_view url)
{
    return {TBoxIcon::Error, std::string(ErrorCaption(kind)), ErrorMessage(kind, text, code, url), buttons};
}

TBox MakeWarningBox(TWarning warning, std::string_view text)
{
    std::string message(WarningText(warning));
    message += text;
    return {TBoxIcon::Warning, "Warning", std::move(message), mbOk};
}

TErrorBoxView& CurrentErrorBoxView()
{
    std::unique_ptr<TErrorBoxView>& view = InstalledView();
    if (!view)
        view = std::make_unique<TConsoleErrorBoxView>();
    return *view;
}

std::unique_ptr<TErrorBoxView> SetErrorBoxView(std::unique_ptr<TErrorBoxView> view)
{
    std::unique_ptr<TErrorBoxView> previous = std::move(InstalledView());
    InstalledView() = std::move(view);
    return previous;
}

TModalResult ErrorBox(TErrorKind kind, std::string_view text, TBoxButtons buttons, int code, std::string_view url)
{
    return CurrentErrorBoxView().ShowBox(MakeErrorBox(kind, text, buttons, code, url));
}

TModalResult WarningBox(TWarning warning, std::string_view text)
{
    return CurrentErrorBoxView().ShowBox(MakeWarningBox(warning, text));
}

} // namespace velbrin
