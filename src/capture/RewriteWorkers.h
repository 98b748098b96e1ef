#pragma once

#include "rewrite/KeptPages.h"
#include "rewrite/RewritePage.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velbrin {

// One stored page or style sheet of a site to rewrite, and what became of it.
struct TRewriteJob {
    std::string FileName;
    std::string Address; // the page's own address, for its footer
    bool StyleSheet = false;
    std::optional<TKeptItems> Kept; // taken out of the Web's kept pages

    // Set by the run of the job.
    TRewriteResult Result;
    std::int64_t SizeBefore = 0;
    std::int64_t SizeAfter = 0;
};

// Rewrites the file of the job with the rewriter given. Whatever goes wrong,
// out of memory included, becomes the job's result: nothing is raised.
// sizeBefore: the file's size when the caller just looked it up, or -1.
void RunRewriteJob(const TPageRewriter& rewriter, TRewriteJob& job, std::int64_t sizeBefore = -1) noexcept;

// How many workers the resolution pass rewrites with when not told: one per
// core, up to 4.
int DefaultRewriteWorkers();

// Rewrites the jobs of a site on worker threads.
//
// The program runs on one thread, its event loop's, but for this: the rewrite
// of the stored pages is bound by the processor, and the pages are
// independent of each other (each job reads and writes its own file, against
// a tree and a map list that nobody changes while the workers run). Each
// worker has a rewriter of its own, since rewriters remember what they looked
// up. The thread that owns the Web hands the jobs out in order (Release) and
// takes their results in order (WaitFor); everything else stays with it.
//
// A page is held whole while it is rewritten, several times over (read,
// rewritten, its items): the workers together take on at most
// kRewriteBytesInFlight bytes of files at once, so that the few big pages of
// a site are rewritten one at a time. A file bigger than that is taken once
// nothing else is in hand.
//
// With one rewriter, no thread is started: WaitFor runs the jobs itself.
constexpr std::int64_t kRewriteBytesInFlight = 1 << 20;

class TRewriteWorkers {
public:
    // rewriters: one per worker, at least one. The jobs and the rewriters
    // must outlive this object; the caller leaves the jobs handed out alone
    // until WaitFor says they are done.
    TRewriteWorkers(std::vector<TRewriteJob>& jobs, const std::vector<std::unique_ptr<TPageRewriter>>& rewriters);
    ~TRewriteWorkers();
    TRewriteWorkers(const TRewriteWorkers&) = delete;
    TRewriteWorkers& operator=(const TRewriteWorkers&) = delete;

    // The workers may take the jobs before end, in their order.
    void Release(std::size_t end);
    // Whether the job is done, waiting at most timeout for it. A job that was
    // not released is not done.
    bool WaitFor(std::size_t job, std::chrono::milliseconds timeout);
    // No job is handed out any more; returns once those running are done.
    void Stop();
    // Whether the job ran (after Stop: for good).
    bool Done(std::size_t job) const;
    // Worker threads started (none when the jobs run on the caller's thread).
    std::size_t Threads() const { return m_threads.size(); }

private:
    void Work(const TPageRewriter& rewriter);
    // Whether the next job may start now, given the bytes in hand.
    bool NextFits(const TPageRewriter& rewriter);

    std::vector<TRewriteJob>& m_jobs;
    const TPageRewriter& m_inline;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // a job was released, or the workers stop
    std::condition_variable m_finished; // a job is done
    std::vector<char> m_done;
    std::size_t m_next = 0;     // the next job to hand out
    std::size_t m_released = 0; // the jobs before it may be handed out
    std::int64_t m_inFlight = 0; // bytes of the files being rewritten
    std::int64_t m_nextSize = -1; // of the next job's file, once looked at
    bool m_stopped = false;
    std::vector<std::thread> m_threads;
};

} // namespace velbrin
