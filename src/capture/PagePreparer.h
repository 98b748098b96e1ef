#pragma once

#include "capture/PreparedPage.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class QObject;

namespace velbrin {

// Prepares the pages a session receives on a thread of its own, so that the
// event loop goes on serving the sockets meanwhile. Each answer comes back
// through the event loop of the thread that asked, in the order asked.
class TPagePreparer {
public:
    // The prepared page, or the failure of its preparation.
    using TDone = std::function<void(TPreparedPage& page, std::exception_ptr failure)>;

    TPagePreparer();
    // Waits for the page in hand; the pages not prepared yet, and the
    // answers not delivered yet, are dropped.
    ~TPagePreparer();
    TPagePreparer(const TPagePreparer&) = delete;
    TPagePreparer& operator=(const TPagePreparer&) = delete;

    void Prepare(std::string pageUrl, std::string page, bool realLinkFooter, TDateTime captureDate, TDone done);
    // Pages asked for whose answer has not been delivered yet.
    std::size_t Pending() const { return m_pending; }

private:
    struct TJob {
        std::string PageUrl;
        std::string Page;
        bool RealLinkFooter = false;
        TDateTime CaptureDate = 0;
        TDone Done;
    };

    void Work();

    // Lives in the asking thread: answers are delivered to it, and vanish
    // with it.
    std::unique_ptr<QObject> m_receiver;
    std::size_t m_pending = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<TJob> m_jobs;
    bool m_quit = false;
    std::thread m_thread;
};

} // namespace velbrin
