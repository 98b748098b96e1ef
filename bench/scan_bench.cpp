// Scanning and preparing real pages held in memory: every .html file under
// VELBRIN_BENCH_PAGES (by default the Python documentation that Debian's
// python3.11-doc installs). The figures are per pass over all the pages.
#include "capture/PreparedPage.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "html/HtmlParser.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

const std::vector<std::string>& Pages()
{
    static const std::vector<std::string> pages = [] {
        std::vector<std::string> read;
        const char* root = std::getenv("VELBRIN_BENCH_PAGES");
        const std::filesystem::path directory = root ? root : "/usr/share/doc/python3.11/html";
        std::error_code error;
        for (std::filesystem::recursive_directory_iterator it(directory, error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_regular_file() && it->path().extension() == ".html")
                read.push_back(ReadWholeFile(it->path().string()));
        }
        return read;
    }();
    return pages;
}

std::int64_t TotalBytes()
{
    std::int64_t total = 0;
    for (const std::string& page : Pages())
        total += static_cast<std::int64_t>(page.size());
    return total;
}

bool HavePages(benchmark::State& state)
{
    if (Pages().empty())
        state.SkipWithError("no pages: set VELBRIN_BENCH_PAGES");
    return !Pages().empty();
}

void BM_ScanPages(benchmark::State& state)
{
    if (!HavePages(state))
        return;
    for (auto _ : state) {
        for (const std::string& page : Pages()) {
            TViewStream source(page);
            THtmlParser parser(source);
            benchmark::DoNotOptimize(parser.Count());
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_ScanPages)->Unit(benchmark::kMillisecond);

void BM_PreparePages(benchmark::State& state)
{
    if (!HavePages(state))
        return;
    for (auto _ : state) {
        for (const std::string& page : Pages()) {
            TPreparedPage prepared = PrepareHtmlPage("http://docs.example.org/3/library/index.html", page, false, 0.0);
            benchmark::DoNotOptimize(prepared.Bytes.size());
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}
BENCHMARK(BM_PreparePages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
