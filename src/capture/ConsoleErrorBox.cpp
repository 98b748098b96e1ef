#include "capture/ConsoleErrorBox.h"

#include "net/Lines.h"

#include <iostream>

namespace velbrin {

namespace {

// "&Yes" is shown as "Yes".
std::string WithoutAccelerator(std::string_view caption)
{
    std::string text;
    for (char c : caption) {
        if (c != '&')
            text += c;
    }
    return text;
}

} // namespace

TConsoleErrorBoxView::TConsoleErrorBoxView()
    : m_out(std::cerr)
{
}

TConsoleErrorBoxView::TConsoleErrorBoxView(std::ostream& out)
    : m_out(out)
{
}

TModalResult TConsoleErrorBoxView::ShowBox(const TBox& box)
{
    TModalResult answer = (box.Buttons & mbNo) ? TModalResult::No : TModalResult::Ok;
    m_out << box.Caption << '\n';
    for (std::string_view line : SplitLines(box.Message))
        m_out << "  " << line << '\n';
    std::string offered;
    std::string taken;
    for (const TBoxButtonPlace& place : LayoutBoxButtons(box.Buttons)) {
        offered += "[" + WithoutAccelerator(place.Caption) + "] ";
        if (place.Result == answer)
            taken = WithoutAccelerator(place.Caption);
    }
    if (taken.empty())
        taken = "Ok";
    m_out << "  " << offered << "-> " << taken << '\n';
    m_out.flush();
    return answer;
}

} // namespace velbrin
