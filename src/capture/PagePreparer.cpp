#include "capture/PagePreparer.h"

#include <QMetaObject>
#include <QObject>

namespace velbrin {

TPagePreparer::TPagePreparer()
    : m_receiver(std::make_unique<QObject>())
    , m_thread([this] { Work(); })
{
}

TPagePreparer::~TPagePreparer()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_one();
    m_thread.join();
    // Answers still queued for the receiver go with it.
    m_receiver.reset();
}

void TPagePreparer::Prepare(std::string pageUrl, std::string page, bool realLinkFooter, TDateTime captureDate,
                            TDone done)
{
    ++m_pending;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({std::move(pageUrl), std::move(page), realLinkFooter, captureDate, std::move(done)});
    }
    m_wake.notify_one();
}

void TPagePreparer::Work()
{
    for (;;) {
        TJob job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        auto page = std::make_shared<TPreparedPage>();
        std::exception_ptr failure;
        try {
            *page = PrepareHtmlPage(job.PageUrl, job.Page, job.RealLinkFooter, job.CaptureDate);
        } catch (...) {
            failure = std::current_exception();
        }
        // The page's bytes are not needed any more: freed here, not in the
        // asking thread.
        job.Page = std::string();
        auto done = std::make_shared<TDone>(std::move(job.Done));
        QMetaObject::invokeMethod(
            m_receiver.get(),
            [this, page, failure, done] {
                --m_pending;
                (*done)(*page, failure);
            },
            Qt::QueuedConnection);
    }
}

} // namespace velbrin
