#include "capture/ResolvePass.h"

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

} // namespace

int ResolveLinks(TWEB& web, const TSommaireParam& params, const TPictureSizeReader& readSize, TResolveView& view,
                 const TPump& pump)
{
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

            TPageRewriter rewriter(web.Path, web.Tree, web.MapList, flags, web.CaptureDate);
            int done = 0;
            web.Tree.ForEachFile(
                [&](TWebFile& file, const std::string& url) {
                    if (view.Cancelled())
                        return true;
                    if (!offered(file))
                        return false;
                    if (file.State == StateCapturedPage) {
                        view.ShowFile(file.GetFileName());
                        const std::string path = web.Path + file.GetFileName();
                        if (IsSafeLocalName(file.GetFileName()) && FileExists(path)) {
                            if (file.GetIsmap()) {
                                try {
                                    BuildPageMaps(url, path, web.Tree, web.MapList);
                                } catch (const EVelbrinError& e) {
                                    LogProblem(web, file.GetFileName() + " : " + e.what());
                                }
                            }
                            const std::int64_t before = GetFileSize(path);
                            // The walk meets a redirected page first under the
                            // address that redirected to it; its footer names
                            // the page's own address.
                            TRewriteResult result = rewriter.RewriteFile(file.GetFileName(), web.Tree.GetFileUrl(file),
                                                                         &web.KeptPages);
                            if (!result.Done())
                                LogProblem(web, file.GetFileName() + " : " + result.Message);
                            // The Web's size is that of its pages as rewritten,
                            // or a second pass would find another one.
                            if (web.MimeList.GetMimeByString(file.GetMimeType()))
                                total += GetFileSize(path) - before;
                            view.ShowProgress(++done, pages);
                            LetEventsThrough(pump);
                        }
                    } else if (file.State == StateCapturedFile && IsStyleSheetType(file.GetMimeType())) {
                        const std::string path = web.Path + file.GetFileName();
                        if (IsSafeLocalName(file.GetFileName()) && FileExists(path)) {
                            const std::int64_t before = GetFileSize(path);
                            TRewriteResult result = rewriter.RewriteStyleSheetFile(file.GetFileName());
                            if (!result.Done())
                                LogProblem(web, file.GetFileName() + " : " + result.Message);
                            if (web.MimeList.GetMimeByString(file.GetMimeType()))
                                total += GetFileSize(path) - before;
                        }
                    }
                    index.OfferFile(file);
                    return false;
                },
                site.Node);
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
    return cancelled ? kResolveCancelled : kResolveDone;
}

} // namespace velbrin
