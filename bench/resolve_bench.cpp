// The link resolution pass over a Web of N stored pages and N / 5 pictures:
// every page rewritten, the index pages written, the total size recomputed.
//
// The Web is built the way a capture builds it: the start page is entered by
// Init, every page is written to the capture directory with relative links,
// prepared by SetHtmlLinks (which makes its links absolute and enters them
// through NewLink), and its record set to CapturedPage with its MIME type;
// every picture is a small GIF whose record becomes CapturedFile. Pages sit
// under a few directory levels, link to about ten other pages and to two
// pictures; page i always links to page i + 1, so that every page is known
// before its turn.
//
// Pictures are measured by a reader that returns a fixed size (no decoding,
// no Qt), with the picture list keeping proportions, so that the reader is
// asked for every picture as the real one would be.
//
// Each iteration times one whole ResolveLinks on freshly prepared pages: the
// pages are put back (hard links to the prepared copies) outside the timing.
// Counters: pages/s, the peak resident size of the process (ru_maxrss) after
// the passes, and how much it grew during the passes. The program ends with
// the cost per page of the largest Web divided by that of the smallest.
#include "capture/ResolvePass.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "config/ProgramDir.h"
#include "config/SommaireParam.h"
#include "config/WorkPath.h"
#include "core/Files.h"
#include "store/MimeList.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace velbrin;

namespace {

constexpr const char* kHost = "http://www.bench.example";
constexpr int kPageLinks = 10;
constexpr int kPicturesPerPage = 2;

// The smallest valid GIF: one transparent pixel.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF\x21\xF9\x04\x01\x00\x00\x00\x00"
                       "\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3B",
                       43);

const std::string kText =
    "Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut labore et "
    "dolore magna aliqua. Ut enim ad minim veniam, quis nostrud exercitation ullamco laboris nisi ut aliquip ex ea "
    "commodo consequat. Duis aute irure dolor in reprehenderit in voluptate velit esse cillum dolore eu fugiat "
    "nulla pariatur. Excepteur sint occaecat cupidatat non proident, sunt in culpa qui officia deserunt mollit "
    "anim id est laborum.\r\n";

long MaxRssKb()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

std::string MakeTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "velbrin-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    return pattern + "/";
}

// prefix + number + suffix.
std::string Named(std::string_view prefix, int number, std::string_view suffix)
{
    std::string name(prefix);
    name.append(std::to_string(number)).append(suffix);
    return name;
}

// Page i lives at /d<i % 7>/s<i % 5>/p<i>.html; picture j at /pics/g<j % 4>/i<j>.gif.
std::string PagePath(int i)
{
    return "/d" + std::to_string(i % 7) + "/s" + std::to_string(i % 5) + "/p" + std::to_string(i) + ".html";
}

std::string PicturePath(int j)
{
    return "/pics/g" + std::to_string(j % 4) + "/i" + std::to_string(j) + ".gif";
}

std::vector<int> PageLinks(int i, int pages)
{
    std::vector<int> links{(i + 1) % pages};
    std::uint32_t x = static_cast<std::uint32_t>(i) * 2654435761u + 12345u;
    while (static_cast<int>(links.size()) < kPageLinks) {
        x = x * 1664525u + 1013904223u;
        links.push_back(static_cast<int>(x % static_cast<std::uint32_t>(pages)));
    }
    return links;
}

// A page as the server sends it: relative and root-relative links, a title,
// a few paragraphs (about 4 KB).
std::string PageSource(int i, int pages, int pictures)
{
    std::string page = "<HTML>\r\n<HEAD><TITLE>Page " + std::to_string(i) + "</TITLE></HEAD>\r\n<BODY>\r\n<H1>Page "
                       + std::to_string(i) + "</H1>\r\n";
    const std::vector<int> links = PageLinks(i, pages);
    for (std::size_t k = 0; k < links.size(); ++k) {
        page += "<P>" + kText;
        const int target = links[k];
        // Half the links relative to the page's directory when they share it.
        std::string href = PagePath(target);
        if (target % 35 == i % 35)
            href = Named("p", target, ".html");
        page += "<A HREF=\"" + href + "\">Page " + std::to_string(target) + "</A></P>\r\n";
        if (k < kPicturesPerPage) {
            const int picture = (i * kPicturesPerPage + static_cast<int>(k)) % pictures;
            page += "<IMG SRC=\"" + PicturePath(picture) + "\" ALT=\"Picture " + std::to_string(picture)
                    + "\" WIDTH=\"120\" HEIGHT=\"90\">\r\n";
        }
    }
    page += "</BODY>\r\n</HTML>\r\n";
    return page;
}

std::string PageFileName(int i) { return Named("p", i, ".htm"); }
std::string PictureFileName(int j) { return Named("i", j, ".gif"); }

// A scratch home, working path, program directory and the Web in it.
class TBenchWeb {
public:
    explicit TBenchWeb(int pages)
        : m_root(MakeTempDir())
        , m_pages(pages)
        , m_pictures(std::max(pages / 5, 1))
    {
        ::setenv("HOME", (m_root + "home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ForceDirectories(m_root + "home/");
        SetWorkPath("");
        SetProgramDir(VELBRIN_DATA_DIR "/");
        m_settings = std::make_unique<TParam>(
            [this](const std::string&) { return std::optional<std::string>(m_root + "work"); },
            [](const std::string&) { return std::optional<std::string>(); });
        m_web = std::make_unique<TWEB>(*m_settings, ProgramDir());
        Build();
    }

    ~TBenchWeb()
    {
        m_web.reset();
        m_settings.reset();
        SetWorkPath("");
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    TWEB& Web() { return *m_web; }
    int Pages() const { return m_pages; }

    // The pages as SetHtmlLinks left them, for the next pass.
    void RestorePages()
    {
        for (const std::string& name : m_pageNames) {
            const std::string target = m_web->Path + name;
            ::unlink(target.c_str());
            if (::link((Pristine() + name).c_str(), target.c_str()) != 0)
                throw std::runtime_error("cannot restore " + target);
        }
    }

private:
    std::string Capture() const { return m_root + "web/"; }
    std::string Pristine() const { return m_root + "pristine/"; }

    void Build()
    {
        TMIMELIST mimes;
        mimes.SetToDefault();
        TWEB& web = *m_web;
        if (!web.Init(std::string(kHost) + PagePath(0), Capture(), mimes))
            throw std::runtime_error("cannot create the capture directory");
        web.Options.InternalLinkDepth = 255;
        web.Options.RealLinkFlag = true;
        web.Options.SuppressLinkFlag = true;
        ForceDirectories(Pristine());

        for (int i = 0; i < m_pages; ++i) {
            const std::string url = std::string(kHost) + PagePath(i);
            TWebFile* record = web.Tree.FindFile(url);
            if (!record)
                throw std::runtime_error("page not entered: " + url);
            const std::string name = PageFileName(i);
            WriteWholeFile(web.Path + name, PageSource(i, m_pages, m_pictures));
            record->SetFileName(name);
            record->SetMimeType("text/html");
            if (!web.SetHtmlLinks(*record, url))
                throw std::runtime_error("page not prepared: " + url);
            record->State = StateCapturedPage;
            web.CountCaptured();
            web.AddTotalSize(GetFileSize(web.Path + name));
            m_pageNames.push_back(name);
            if (::link((web.Path + name).c_str(), (Pristine() + name).c_str()) != 0)
                throw std::runtime_error("cannot keep " + name);
        }
        for (int j = 0; j < m_pictures; ++j) {
            const std::string url = std::string(kHost) + PicturePath(j);
            TWebFile* record = web.Tree.FindFile(url);
            if (!record)
                throw std::runtime_error("picture not entered: " + url);
            record->SetFileName(PictureFileName(j));
            record->SetMimeType("image/gif");
            WriteWholeFile(web.Path + record->GetFileName(), kGif);
            record->State = StateCapturedFile;
            web.CountCaptured();
            web.AddTotalSize(static_cast<std::int64_t>(kGif.size()));
        }
        web.ClearTodo();
    }

    std::string m_root;
    int m_pages;
    int m_pictures;
    std::unique_ptr<TParam> m_settings;
    std::unique_ptr<TWEB> m_web;
    std::vector<std::string> m_pageNames;
};

// Seconds per page of the timed passes, by number of pages.
std::map<int, double>& CostPerPage()
{
    static std::map<int, double> costs;
    return costs;
}

void BM_ResolveLinks(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    std::optional<TBenchWeb> bench;
    try {
        bench.emplace(pages);
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    TSommaireParam params;
    params.ImgRatio = true;
    const TPictureSizeReader readSize = [](const std::string&) { return TPictureSize{120, 90}; };
    TResolveView view;

    const long rssBefore = MaxRssKb();
    double seconds = 0;
    std::int64_t passes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench->RestorePages();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const int result = ResolveLinks(bench->Web(), params, readSize, view);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++passes;
        if (result != kResolveDone)
            state.SkipWithError("the pass did not run to its end");
    }
    const long rssAfter = MaxRssKb();
    if (passes > 0)
        CostPerPage()[pages] = seconds / static_cast<double>(passes) / pages;

    state.counters["pages/s"] =
        benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["maxrss_MB"] = static_cast<double>(rssAfter) / 1024.0;
    state.counters["pass_rss_growth_MB"] = static_cast<double>(rssAfter - rssBefore) / 1024.0;
}

} // namespace

BENCHMARK(BM_ResolveLinks)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const std::map<int, double>& costs = CostPerPage();
    if (costs.size() >= 2) {
        const auto& [smallPages, smallCost] = *costs.begin();
        const auto& [largePages, largeCost] = *costs.rbegin();
        std::printf("cost per page: %d pages %.1f us, %d pages %.1f us, ratio %.2f\n", smallPages, smallCost * 1e6,
                    largePages, largeCost * 1e6, largeCost / smallCost);
    }
    return 0;
}
