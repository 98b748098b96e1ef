#pragma once

#include "capture/CaptureView.h"
#include "capture/ErrorBox.h"

#include <functional>
#include <string>

namespace velbrin {

class TCapture;
class TMIMELIST;
class TParam;
class TWEB;

// The steps around a session that belong to the program running it.
struct TCaptureSteps {
    // Saves the Web (to its project file); false when the user cancelled or it failed.
    std::function<bool()> SaveWeb;
    // The link resolution pass.
    std::function<void()> ResolveLinks;
    // Adds or updates the Web's bookmark.
    std::function<void()> AddBookmark;
    // Shows the Web's home page in the browser.
    std::function<void()> ShowHomePage;
    // Called once the session exists, and once more with none when it ends,
    // so that a stop command can reach it.
    std::function<void(TCapture*)> SessionChanged;
};

// Runs one whole session in the thread's event loop, then its closing steps:
// the session's statistics, saving, the resolution pass when something was
// kept, the MIME types learnt merged into globalMime and "mime.def" in the
// working path, the failure box when nothing was captured (asked through
// view.AskFailure), and the bookmark and browser steps as the settings (or
// forceBookmark / forceOpen) ask. The end goes to view.ShowEnd as well.
TCaptureEnd RunCapture(TWEB& web, TParam& settings, TMIMELIST& globalMime, TCaptureView& view,
                       const TCaptureSteps& steps, bool forceBookmark = false, bool forceOpen = false);

// The failure box of a session that captured nothing, from the status of the
// last answer (0 when none came) and the address of the last request: the
// proxy that could not be reached, the address that could not be (with the
// offer to rename the Web's address, button Yes), or the status by name.
TBox NothingCapturedBox(const TParam& settings, std::int32_t lastStatus, std::string_view lastUrl);

} // namespace velbrin
