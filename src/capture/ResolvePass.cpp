#include "capture/ResolvePass.h"

#include "capture/RewriteWorkers.h"
#include "capture/Web.h"
#include "config/SommaireParam.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/Url.h"
#include "rewrite/RewritePage.h"
#include "index/SommaireIndex.h"
#include "maps/MapScan.h"
#include "store/LocalName.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace velbrin {

namespace {

struct TSite {
    std::string Key; // "//host[:port]"
    const TWebNode* Node;
};

bool IsCaptured(const TWebFile& file)
{
    return file.State == StateCapturedPage || file.State == StateCapturedFile;
}

void LogProblem(TWEB& web, const std::string& problem) { web.LogUrl(problem, ""); }

// Tells the first time a walk meets a record, and the first time it meets a
// stored file. A redirected address shares its target's record during a
// session, but has a record of its own, with the same file, once the Web has
// been saved and loaded again: either way the file is rewritten, counted and
// listed once, under the first address that leads to it, so that the pass
// gives the same pages before and after a reload.
class TFirstMet {
public:
    bool operator()(const TWebFile& file)
    {
        if (!m_records.insert(&file).second)
            return false;
        if (!IsCaptured(file) || file.GetFileName().empty())
            return true;
        return m_files.insert(file.GetFileName()).second;
    }

private:
    std::unordered_set<const TWebFile*> m_records;
    std::unordered_set<std::string> m_files;
};

// A record of a site's walk, first met.
struct TWalkItem {
    const TWebFile* File = nullptr;
    bool Page = false;
    // The job that rewrites its file, if any.
    std::optional<std::size_t> Job;
    // A page with server-side maps: its address in the walk, from which the
    // map entries of its pictures are built before it is rewritten.
    std::optional<std::string> MapsFrom;
};

// The items kept for a page go back to the Web unless the page was written
// (or tried to be) and the items described bytes it no longer holds.
void PutBackKeptItems(TWEB& web, TRewriteJob& job)
{
    if (!job.Kept)
        return;
    if (!job.Result.MayHaveChanged())
        web.KeptPages.PutBack(job.FileName, std::move(*job.Kept));
    job.Kept.reset();
}

// Rewrites the pages and style sheets of a site, offers every file to the
// index and adds what the rewrite changed in the files' sizes to total.
// The walk is gathered first, then the files are rewritten by the workers
// while this thread takes their results in the walk's order: the log, the
// index, the progress and the map list see what a walk rewriting one page
// after the other shows them. A page with server-side maps waits for the
// pages before it, since its map entries are built (and the map list
// changes) before it is rewritten.
void RewriteSite(TWEB& web, const TWebNode* site, TFirstMet& offered, const TRewriteFlags& flags, int workerCount,
                 TSommaireIndex& index, TResolveView& view, int pages, std::int64_t& total, const TPump& pump)
{
    std::vector<TWalkItem> items;
    std::vector<TRewriteJob> jobs;
    web.Tree.ForEachFile(
        [&](TWebFile& file, const std::string& url) {
            if (!offered(file))
                return false;
            TWalkItem item;
            item.File = &file;
            item.Page = file.State == StateCapturedPage;
            const bool styleSheet = file.State == StateCapturedFile && IsStyleSheetType(file.GetMimeType());
            const std::string& name = file.GetFileName();
            if ((item.Page || styleSheet) && IsSafeLocalName(name) && FileExists(web.Path + name)) {
                item.Job = jobs.size();
                TRewriteJob& job = jobs.emplace_back();
                job.FileName = name;
                job.StyleSheet = styleSheet;
                if (item.Page) {
                    // The walk meets a redirected page first under the
                    // address that redirected to it; its footer names the
                    // page's own address.
                    job.Address = web.Tree.GetFileUrl(file);
                    job.Kept = web.KeptPages.Take(name);
                    if (file.GetIsmap())
                        item.MapsFrom = url;
                }
            }
            items.push_back(std::move(item));
            return false;
        },
        site);

    // Jobs are handed out up to the next page with maps.
    std::vector<std::size_t> mapJobs;
    for (const TWalkItem& item : items) {
        if (item.Job && item.MapsFrom)
            mapJobs.push_back(*item.Job);
    }
    const auto handOutEnd = [&](std::size_t from) {
        const auto next = std::lower_bound(mapJobs.begin(), mapJobs.end(), from);
        return next == mapJobs.end() ? jobs.size() : *next;
    };
    const std::size_t threads =
        std::clamp<std::size_t>(jobs.size(), 1, static_cast<std::size_t>(std::max(workerCount, 1)));
    std::vector<std::unique_ptr<TPageRewriter>> rewriters;
    for (std::size_t i = 0; i < threads; ++i)
        rewriters.push_back(std::make_unique<TPageRewriter>(web.Path, web.Tree, web.MapList, flags, web.CaptureDate));
    TRewriteWorkers workers(jobs, rewriters);
    workers.Release(handOutEnd(0));

    std::size_t taken = 0; // the jobs whose results were taken
    int done = 0;
    for (const TWalkItem& item : items) {
        if (view.Cancelled())
            break;
        const TWebFile& file = *item.File;
        if (item.Page)
            view.ShowFile(file.GetFileName());
        if (item.Job) {
            TRewriteJob& job = jobs[*item.Job];
            if (item.MapsFrom) {
                // Every job before this one is done: the map list is this
                // thread's alone.
                try {
                    BuildPageMaps(*item.MapsFrom, web.Path + job.FileName, web.Tree, web.MapList);
                } catch (const EVelbrinError& e) {
                    LogProblem(web, job.FileName + " : " + e.what());
                }
                workers.Release(handOutEnd(*item.Job + 1));
            }
            while (!workers.WaitFor(*item.Job, std::chrono::milliseconds(20)))
                LetEventsThrough(pump);
            taken = *item.Job + 1;
            if (!job.Result.Done())
                LogProblem(web, job.FileName + " : " + job.Result.Message);
            PutBackKeptItems(web, job);
            // The Web's size is that of its pages as rewritten, or a second
            // pass would find another one.
            if (web.MimeList.GetMimeByString(file.GetMimeType()))
                total += job.SizeAfter - job.SizeBefore;
            if (item.Page) {
                view.ShowProgress(++done, pages);
                LetEventsThrough(pump);
            }
        }
        index.OfferFile(file);
    }

    // Cancelled: the jobs running end, the others are dropped. Every page is
    // whole, as it was or rewritten; what went wrong is still logged.
    workers.Stop();
    for (std::size_t k = taken; k < jobs.size(); ++k) {
        if (workers.Done(k) && !jobs[k].Result.Done())
            LogProblem(web, jobs[k].FileName + " : " + jobs[k].Result.Message);
        PutBackKeptItems(web, jobs[k]);
    }
}

} // namespace

int ResolveLinks(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize, TResolveView& view,
                 const TPump& pump, int rewriteWorkers)
{
    if (rewriteWorkers <= 0)
        rewriteWorkers = DefaultRewriteWorkers();
    std::int64_t total = 0;
    view.ShowSite("Recherche...");
    LetEventsThrough(pump);
    view.ShowProgress(0, web.CapturedCount);

    TSommaireIndex index(web.Describe(), params, readSize);

    // The sites: the host entries under every protocol of the tree.
    std::vector<TSite> sites;
    const TWebNode& root = web.Tree.Root();
    for (std::size_t p = 0; p < root.EntryCount() && !view.Cancelled(); ++p) {
        if (const TWebNode* protocol = root.NodeAt(p)) {
            for (std::size_t i = 0; i < protocol->EntryCount() && !view.Cancelled(); ++i) {
                if (const TWebNode* host = protocol->NodeAt(i))
                    sites.push_back({protocol->Key(i), host});
            }
        }
    }
    if (view.Cancelled())
        return kResolveCancelled;

    LetEventsThrough(pump);
    const TRewriteFlags flags = TRewriteFlags{web.Options.RealLinkFlag, web.Options.SuppressLinkFlag};
    TRewriteFlags mapFlags = flags;
    mapFlags.RealLinkFlag = false;
    {
        TPageRewriter mapRewriter(web.Path, web.Tree, web.MapList, mapFlags, web.CaptureDate);
        for (std::size_t i = 0; i < web.MapList.Count(); ++i) {
            const std::string& mapFile = web.MapList.Item(i).MapFile;
            TRewriteResult result = mapRewriter.RewriteFile(mapFile, "");
            if (!result.Done() && result.Status != TRewriteStatus::Missing)
                LogProblem(web, mapFile + " : " + result.Message);
        }
    }

    TFirstMet counted;
    TFirstMet offered;
    for (const TSite& site : sites) {
        TSiteCounts counts;
        std::int32_t records = 0;
        std::int32_t pages = 0;
        std::int32_t knownFiles = 0;
        const TWebFile* firstFile = nullptr;
        const TWebFile* firstPage = nullptr;
        TMemoryStreamEx sizes;

        view.ShowSite(site.Key.size() > 2 ? site.Key.substr(2) : site.Key);
        view.ShowFile("");
        view.ShowProgress(0, 0);
        LetEventsThrough(pump);

        // Counting walk.
        web.Tree.ForEachFile(
            [&](TWebFile& file) {
                if (view.Cancelled())
                    return true;
                if (!counted(file))
                    return false;
                if (file.State == StateCapturedPage)
                    ++pages;
                if (IsCaptured(file)) {
                    const TMimeItem* mime = web.MimeList.GetMimeByString(file.GetMimeType());
                    if (!mime)
                        return false;
                    ++knownFiles;
                    if (!firstFile)
                        firstFile = &file;
                    if (mime->MimeClass == MimeClassHtml && !firstPage)
                        firstPage = &file;
                    if (IsSafeLocalName(file.GetFileName()))
                        total += GetFileSize(web.Path + file.GetFileName());
                }
                index.CountFile(file, counts, &sizes);
                ++records;
                LetEventsThrough(pump);
                return false;
            },
            site.Node);

        if (records > 0 && knownFiles > 0 && !view.Cancelled()) {
            view.ShowProgress(0, pages);
            sizes.SetPosition(0);
            if (!firstPage)
                firstPage = firstFile;
            const std::string firstUrl = web.Tree.GetFileUrl(*firstPage);
            index.AddSite(GetHost(firstUrl), firstUrl, firstPage->GetFileName(), counts, &sizes);

            RewriteSite(web, site.Node, offered, flags, rewriteWorkers, index, view, pages, total, pump);
            index.FlushLists();
        }
        if (view.Cancelled())
            break;
    }

    const bool cancelled = view.Cancelled();
    if (!cancelled)
        web.TotalSize = static_cast<std::int32_t>(std::min<std::int64_t>(total, INT32_MAX));
    try {
        index.SetWeb(web.Describe());
        index.Finish();
    } catch (const EVelbrinError& e) {
        LogProblem(web, e.what());
    }
    if (!cancelled)
        web.SetResolvePending(false);
    return cancelled ? kResolveCancelled : kResolveDone;
}

} // namespace velbrin
