// Rewriting one stored page of about 50 KB with 500 links against a Web of
// 10,000 files: the first pass (every link changes), a later pass over the
// rewritten page (nothing changes), and the later pass on disk, where the
// page is read, rewritten and, being unchanged, not written.
#include "core/Files.h"
#include "rewrite/RewritePage.h"
#include "maps/MapList.h"
#include "store/WebTree.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace velbrin;

namespace {

constexpr int kFiles = 10000;
constexpr int kLinks = 500;
constexpr double kCaptureDate = 35771.0;
const std::string kPageAddress = "http://www.example.com/index.htm";

std::string Address(int i)
{
    return "http://www.example.com/dir" + std::to_string(i % 20) + "/page" + std::to_string(i) + ".htm";
}

struct BenchWeb {
    BenchWeb()
    {
        for (int i = 0; i < kFiles; ++i) {
            auto file = std::make_unique<TWebFile>();
            file->State = i % 10 == 9 ? StateNotFound : StateCapturedPage;
            file->SetFileName(i % 10 == 9 ? "NotFound.htm" : "P" + std::to_string(i) + ".HTM");
            std::unique_ptr<TWebFile> replaced;
            tree.AddFile(Address(i), file, replaced);
        }
        // Of the links, four in five lead to files of the tree, the others
        // to addresses it does not hold or to mail addresses.
        page = "<HTML><HEAD><TITLE>A page</TITLE></HEAD><BODY BGCOLOR=\"#FFFFFF\">\r\n";
        for (int k = 0; k < kLinks; ++k) {
            std::string target = Address(k * 19 % kFiles);
            if (k % 5 == 3)
                target = "http://elsewhere.example.net/p" + std::to_string(k) + ".htm";
            else if (k % 10 == 4)
                target = "mailto:someone" + std::to_string(k) + "@example.com";
            page += "<P>Some text around the link. <A HREF=\"" + target +
                    "\">link " + std::to_string(k) + "</A>";
            if (k % 25 == 0)
                page += "<IMG SRC=\"" + Address(k) + "\" ALT=\"picture\" WIDTH=10 HEIGHT=10>";
            page += "\r\n";
        }
        page += "</BODY></HTML>\r\n";

        std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-rewrite-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            directory = pattern + "/";
    }
    ~BenchWeb()
    {
        std::error_code ignored;
        if (!directory.empty())
            std::filesystem::remove_all(directory, ignored);
    }

    TWebTree tree;
    TMAPLIST maps;
    std::string page;
    std::string directory;
};

const BenchWeb& Web()
{
    static const BenchWeb web;
    return web;
}

void Rewrite(benchmark::State& state, bool again)
{
    const BenchWeb& web = Web();
    const TPageRewriter rewriter(web.directory, web.tree, web.maps, TRewriteFlags{true, true}, kCaptureDate);
    const std::string page = again ? rewriter.Rewrite(web.page, kPageAddress) : web.page;
    for (auto _ : state)
        benchmark::DoNotOptimize(rewriter.Rewrite(page, kPageAddress));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(page.size()));
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_RewriteCapturedPage(benchmark::State& state)
{
    Rewrite(state, false);
}
BENCHMARK(BM_RewriteCapturedPage)->Unit(benchmark::kMicrosecond);

void BM_RewriteRewrittenPage(benchmark::State& state)
{
    Rewrite(state, true);
}
BENCHMARK(BM_RewriteRewrittenPage)->Unit(benchmark::kMicrosecond);

void BM_RewriteStoredPage(benchmark::State& state)
{
    const BenchWeb& web = Web();
    if (web.directory.empty()) {
        state.SkipWithError("no directory");
        return;
    }
    const TPageRewriter rewriter(web.directory, web.tree, web.maps, TRewriteFlags{true, true}, kCaptureDate);
    WriteWholeFile(web.directory + "PAGE.HTM", rewriter.Rewrite(web.page, kPageAddress));
    for (auto _ : state) {
        const TRewriteResult result = rewriter.RewriteFile("PAGE.HTM", kPageAddress);
        if (result.Status != TRewriteStatus::Unchanged)
            state.SkipWithError("the page changed");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RewriteStoredPage)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
