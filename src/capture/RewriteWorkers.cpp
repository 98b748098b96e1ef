#include "capture/RewriteWorkers.h"

#include "core/Files.h"

#include <algorithm>
#include <exception>
#include <new>
#include <system_error>

namespace velbrin {

void RunRewriteJob(const TPageRewriter& rewriter, TRewriteJob& job, std::int64_t sizeBefore) noexcept
{
    std::string path;
    const auto fail = [&](const char* message) {
        job.Result = {TRewriteStatus::ReadError, message};
        // Replaced at once (TFileReplacer), the page is either as it was or
        // rewritten whole: its size tells which.
        job.SizeAfter = path.empty() ? job.SizeBefore : GetFileSize(path);
    };
    try {
        try {
            path = rewriter.Directory() + job.FileName;
            job.SizeBefore = sizeBefore >= 0 ? sizeBefore : GetFileSize(path);
            if (job.StyleSheet)
                job.Result = rewriter.RewriteStyleSheetFile(job.FileName);
            else if (job.Kept)
                job.Result = rewriter.RewriteFile(job.FileName, job.Address, *job.Kept);
            else
                job.Result = rewriter.RewriteFile(job.FileName, job.Address);
            job.SizeAfter = GetFileSize(path);
        } catch (const std::bad_alloc&) {
            fail("Not enough memory to rewrite the file");
        } catch (const std::exception& e) {
            fail(e.what());
        } catch (...) {
            fail("The file could not be rewritten");
        }
    } catch (...) {
        // Not even the message could be kept.
        job.Result.Status = TRewriteStatus::ReadError;
        job.Result.Message.clear();
        job.SizeAfter = job.SizeBefore;
    }
}

int DefaultRewriteWorkers()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

TRewriteWorkers::TRewriteWorkers(std::vector<TRewriteJob>& jobs,
                                 const std::vector<std::unique_ptr<TPageRewriter>>& rewriters)
    : m_jobs(jobs)
    , m_inline(*rewriters.at(0))
    , m_done(jobs.size(), 0)
{
    if (rewriters.size() < 2)
        return;
    m_threads.reserve(rewriters.size()); // no allocation once a thread runs
    for (const auto& rewriter : rewriters) {
        try {
            m_threads.emplace_back([this, &rewriter] { Work(*rewriter); });
        } catch (const std::system_error&) {
            break; // as many as the system gives; none runs the jobs here
        }
    }
}

TRewriteWorkers::~TRewriteWorkers() { Stop(); }

void TRewriteWorkers::Release(std::size_t end)
{
    {
        const std::lock_guard lock(m_mutex);
        end = std::min(end, m_jobs.size());
        if (m_stopped || end <= m_released)
            return;
        m_released = end;
    }
    m_wake.notify_all();
}

bool TRewriteWorkers::WaitFor(std::size_t job, std::chrono::milliseconds timeout)
{
    if (job >= m_jobs.size())
        return false;
    if (m_threads.empty()) {
        while (!m_stopped && m_next <= job && m_next < m_released) {
            RunRewriteJob(m_inline, m_jobs[m_next]);
            m_done[m_next++] = 1;
        }
        return m_done[job] != 0;
    }
    std::unique_lock lock(m_mutex);
    return m_finished.wait_for(lock, timeout, [&] { return m_done[job] != 0; });
}

void TRewriteWorkers::Stop()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

bool TRewriteWorkers::Done(std::size_t job) const
{
    const std::lock_guard lock(m_mutex);
    return job < m_done.size() && m_done[job] != 0;
}

bool TRewriteWorkers::NextFits(const TPageRewriter& rewriter)
{
    if (m_nextSize < 0)
        m_nextSize = GetFileSize(rewriter.Directory() + m_jobs[m_next].FileName);
    return m_inFlight == 0 || m_inFlight + m_nextSize <= kRewriteBytesInFlight;
}

void TRewriteWorkers::Work(const TPageRewriter& rewriter)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stopped || (m_next < m_released && NextFits(rewriter)); });
        if (m_stopped)
            return;
        const std::size_t job = m_next++;
        const std::int64_t size = m_nextSize;
        m_nextSize = -1;
        m_inFlight += size;
        lock.unlock();
        RunRewriteJob(rewriter, m_jobs[job], size);
        lock.lock();
        m_inFlight -= size;
        m_done[job] = 1;
        m_finished.notify_all();
        m_wake.notify_all();
    }
}

} // namespace velbrin
