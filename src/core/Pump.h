#pragma once

#include <functional>

namespace velbrin {

// "Let pending events through": long operations call it between steps so the
// program stays responsive. The desktop and the command line bind it to the
// event loop; tests leave it empty.
using TPump = std::function<void()>;

inline void LetEventsThrough(const TPump& pump)
{
    if (pump)
        pump();
}

} // namespace velbrin
