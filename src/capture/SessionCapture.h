#pragma once

#include "capture/CaptureView.h"
#include "core/Pump.h"
#include "html/LinkParam.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class QTimer;

namespace velbrin {

class EInOutError;
class TPagePreparer;
class TParam;
class TRequest;
class TWEB;
class TWebFile;
struct TCaptureInfo;

// One capture session: hands the links of a Web to up to nine requests, one
// per socket, decides from each response what to keep, stores and prepares
// pages, keeps the counters and the log, and watches the limits of the Web's
// options. It lives in the thread's event loop: the requests and the
// one-second timer report through it, and Dispatch lets them through between
// two hand-outs.
class TCapture {
public:
    // Starts the session: the requests, the timer, the Web's list of links
    // to explore rebuilt, the start logged. pump lets pending events through
    // once, without waiting.
    TCapture(TWEB& web, const TParam& settings, TCaptureView& view, TPump pump);
    ~TCapture();
    TCapture(const TCapture&) = delete;
    TCapture& operator=(const TCapture&) = delete;

    // Hands links to idle requests, one per pass. True while the session
    // goes on; false once nothing is left to fetch (or the session stopped)
    // and no request is busy, after the session's end was logged.
    bool Dispatch();
    // Stops at once: no further link, every transfer aborted.
    void StopCapture();
    // Stops handing out links; transfers whose request was sent run to their
    // end unless abortAll.
    void StopSession(bool abortAll);
    void EndSession();
    void FillCaptureInfo(TCaptureInfo& info) const;
    void ShowCounts();
    // Whether a link found in a page is entered into the Web.
    bool LinkValidator(const TLinkParam& link);

    bool Stopping() const { return m_stopping; }
    // The disk filled up during the session.
    bool DiskFull() const { return m_diskFull; }
    const std::string& Duration() const { return m_duration; }
    std::int64_t ReceivedBytes() const { return m_receivedBytes; }
    std::int32_t SessionCaptured() const { return m_sessionCaptured; }
    std::int32_t SessionFiltered() const { return m_sessionFiltered; }
    std::int32_t SessionNotFound() const { return m_sessionNotFound; }
    std::int32_t SessionErrors() const { return m_sessionErrors; }
    // The address of the last request sent, and the status of the last
    // answer's header (0 until one arrives): what the failure box names.
    const std::string& LastUrl() const { return m_lastUrl; }
    std::int32_t LastStatus() const { return m_lastStatus; }
    // Number of requests (sockets) of the session.
    int SocketCount() const { return static_cast<int>(m_requests.size()); }
    // Runs the one-second tick now (the timer calls it).
    void Tick();

private:
    bool OnHeader(TRequest& request);
    void OnComplete(TRequest& request);
    void OnError(TRequest& request, bool retry);
    void OnProgress(TRequest& request);
    void OnStateChange(TRequest& request);
    void OnBytes(std::int32_t count);

    void StoreFailed(TWebFile& record, const std::string& url, const EInOutError& error);
    void Conclude(TRequest& request, TWebFile& record, bool written);
    bool IsFree(const TRequest& request) const;
    bool PreparesApart() const;
    TRequest* IdleRequest(const TWebFile* link, TRequest* fallback = nullptr);
    void Hand(TRequest& request, TWebFile& link);
    void HandNext(TRequest& request);
    bool FollowRedirect(TRequest& request, TWebFile& record);
    bool AcceptBody(TRequest& request, TWebFile& record);
    void GiveUp(TWebFile& record);
    void StopForFullDisk(TWebFile* record);
    // One more file kept: the Web's progress is saved every kSaveEvery.
    void NoteKept();
    void SaveWeb();
    void CheckLimits();
    void ShowRow(int socket);
    void ShowTotals();
    // The free space of the Web's disk, less what the session stored since
    // it was last looked up; looked up again after kFreeSpaceLookupEvery.
    std::int64_t FreeSpace();

    TWEB& m_web;
    const TParam& m_settings;
    TCaptureView& m_view;
    TPump m_pump;
    std::vector<std::unique_ptr<TRequest>> m_requests;
    std::vector<TSocketRow> m_rows;
    std::unique_ptr<QTimer> m_timer;
    std::unique_ptr<TPagePreparer> m_preparer;
    // The requests whose page waits for its preparation.
    std::unordered_set<const TRequest*> m_waiting;
    std::chrono::steady_clock::time_point m_startTick;
    std::int64_t m_elapsed = 0; // milliseconds
    std::string m_duration = "00:00:00";
    bool m_stopping = false;
    bool m_diskFull = false;
    bool m_ended = false;
    // The last look-up of the free space: its answer, the Web's total size
    // then, and when.
    std::int64_t m_freeSpace = -1;
    std::int64_t m_freeSpaceTotalSize = 0;
    std::optional<std::chrono::steady_clock::time_point> m_freeSpaceAt;
    // The links answered 401 in this session: their requests carry the Web's credentials.
    std::unordered_set<const TWebFile*> m_needAuth;
    // Servers ("host:port", lower case) that asked for the Web's credentials.
    std::unordered_set<std::string> m_authServers;
    std::int64_t m_receivedBytes = 0;
    std::int32_t m_receivedKb = 0;
    std::int32_t m_sessionCaptured = 0;
    std::int32_t m_sessionFiltered = 0;
    std::int32_t m_sessionNotFound = 0;
    std::int32_t m_sessionErrors = 0;
    std::string m_lastUrl;
    std::int32_t m_lastStatus = 0;
    std::int32_t m_sinceSave = 0;
};

} // namespace velbrin
