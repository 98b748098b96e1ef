#pragma once

#include "capture/CaptureView.h"

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

// How a session ended.
struct TCaptureEnd {
    bool Stopped = false;         // stopped by a command, a limit or a full disk
    bool DiskFull = false;        // the disk filled up
    int SessionCaptured = 0;      // files kept in the session
    bool NothingCaptured = false; // the Web holds no captured file and the session was not stopped
    bool RenameRequested = false; // the failure box was answered "Yes" to renaming the Web's address
};

// Runs one whole session in the thread's event loop, then its closing steps:
// the session's statistics, saving, the resolution pass when something was
// kept, the MIME types learnt merged into globalMime and "mime.def" in the
// working path, the failure box when nothing was captured, and the bookmark
// and browser steps as the settings (or forceBookmark / forceOpen) ask.
TCaptureEnd RunCapture(TWEB& web, TParam& settings, TMIMELIST& globalMime, TCaptureView& view,
                       const TCaptureSteps& steps, bool forceBookmark = false, bool forceOpen = false);

// The failure box of a session that captured nothing, from the last status
// and address of the requests. True when the user asked to rename the Web's
// address.
bool ReportNothingCaptured(const TParam& settings);

} // namespace velbrin
