#pragma once

#include "capture/ErrorBox.h"

#include <iosfwd>

namespace velbrin {

// The boxes of the command line: the caption, the message and the buttons
// offered go to the stream (standard error by default), and the default answer
// is taken: No when No is offered, else Ok.
class TConsoleErrorBoxView final : public TErrorBoxView {
public:
    TConsoleErrorBoxView();
    explicit TConsoleErrorBoxView(std::ostream& out);

    TModalResult ShowBox(const TBox& box) override;

private:
    std::ostream& m_out;
};

} // namespace velbrin
