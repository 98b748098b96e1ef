#pragma once

#include "capture/ErrorBox.h"

#include <cstdint>
#include <string>

namespace velbrin {

// One socket's row on the capture display.
struct TSocketRow {
    std::string Host;
    std::string Path;
    std::string State;       // "Idle", "Lookup", ... (the socket state's name)
    std::int64_t Size = -1;  // announced length in bytes; -1 while unknown
    int Percent = 0;
};

// The six counters of a Web during a capture.
struct TCaptureCounts {
    int Links = 0;
    int Todo = 0;
    int Captured = 0;
    int Errors = 0;
    int NotFound = 0;
    int Filtered = 0;
};

// How a session ended.
struct TCaptureEnd {
    bool Stopped = false;         // stopped by a command, a limit or a full disk
    bool DiskFull = false;        // the disk filled up
    int SessionCaptured = 0;      // files kept in the session
    bool NothingCaptured = false; // the Web holds no captured file and the session was not stopped
    bool RenameRequested = false; // the failure box was answered "Yes" to renaming the Web's address
    std::int32_t LastStatus = 0;  // status of the session's last answer; 0 when none came
    std::string LastUrl;          // address of the session's last request
};

// What a capture session shows while it runs. The desktop draws it in its
// capture tab; the command line writes it to the terminal. Every operation
// may be left as it is.
class TCaptureView {
public:
    virtual ~TCaptureView() = default;

    // Socket numbers count from 1.
    virtual void ShowSocketRow(int /*socket*/, const TSocketRow& /*row*/) {}
    virtual void ShowCounts(const TCaptureCounts& /*counts*/) {}
    virtual void ShowReceived(std::int64_t /*kilobytes*/) {}
    // Bytes of the captured files, and free bytes on the disk (-1 unknown).
    virtual void ShowTotals(std::int64_t /*totalSize*/, std::int64_t /*freeDisk*/) {}
    // The session's duration, "hh:mm:ss".
    virtual void ShowClock(const std::string& /*duration*/) {}
    // A picture kept during the capture, for the list of documents; show: the
    // Web asks for it to be displayed at once.
    virtual void ListDocument(const std::string& /*fileName*/, bool /*show*/) {}

    // The failure box of a session that captured nothing; the button the
    // user pressed (None when nobody is asked).
    virtual TModalResult AskFailure(const TBox& /*box*/) { return TModalResult::None; }
    // The session and its closing steps are over.
    virtual void ShowEnd(const TCaptureEnd& /*end*/) {}
};

} // namespace velbrin
