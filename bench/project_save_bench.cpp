// What keeping a capture's progress costs on a Web of 25,000 links (20,000
// pages, 5,000 pictures): the whole project file written (what a capture did
// every 50 kept files before the journal), and 50 links captured and their
// progress appended to the journal (what it does now). Both on the disk of
// $TMPDIR.
#include "capture/Web.h"
#include "config/Param.h"
#include "core/Files.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

constexpr int kPages = 20000;
constexpr int kPictures = 5000;
constexpr int kBatch = 50;

struct TBenchWeb {
    TBenchWeb()
    {
        const char* tmp = std::getenv("TMPDIR");
        dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/velbrin-save-bench-" + std::to_string(::getpid()) + "/";
        ForceDirectories(dir + "work/");
        settings = std::make_unique<TParam>([this](const std::string&) { return std::optional(dir + "work"); },
                                            [](const std::string&) { return std::optional<std::string>(); });
        TMIMELIST mimes;
        mimes.SetToDefault();
        web = std::make_unique<TWEB>(*settings, dir);
        web->Init("http://127.0.0.1/index.html", dir + "web/", mimes);
        TWebFile* home = web->Tree.FindFile("http://127.0.0.1/index.html");
        for (int i = 0; i < kPages + kPictures; ++i) {
            bool page = i < kPages;
            std::string name = page ? "p" + std::to_string(i) + ".htm" : "g" + std::to_string(i) + ".gif";
            std::string url = "http://127.0.0.1/s" + std::to_string(i % 20) + "/t" + std::to_string(i % 10) + "/" +
                              name;
            TWebFile* file = web->NewLink(TLinkItem{page ? LinkTypePage : LinkTypeInline, url, "Page " + name}, home);
            if (file)
                links.push_back(file);
        }
        web->SaveToFile(dir + "web/LOCAL.WEB");
    }
    ~TBenchWeb()
    {
        web.reset();
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    // The next 50 links captured, as a session marks them.
    void CaptureBatch()
    {
        for (int i = 0; i < kBatch; ++i) {
            TWebFile* file = links[next++ % links.size()];
            file->State = file->State == StateCapturedPage ? StateCapturedFile : StateCapturedPage;
            file->SetFileName("F" + std::to_string(next) + ".htm");
            file->SetMimeType("text/html");
            web->CountCaptured();
        }
    }

    std::string dir;
    std::unique_ptr<TParam> settings;
    std::unique_ptr<TWEB> web;
    std::vector<TWebFile*> links;
    std::size_t next = 0;
};

void BM_WholeProjectFile(benchmark::State& state)
{
    TBenchWeb bench;
    for (auto _ : state) {
        bench.CaptureBatch();
        bench.web->SaveToFile(bench.web->FileName);
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.counters["bytes"] = static_cast<double>(GetFileSize(bench.web->FileName));
}

void BM_JournalAppend(benchmark::State& state)
{
    TBenchWeb bench;
    int appends = 0;
    for (auto _ : state) {
        bench.CaptureBatch();
        bench.web->SaveProgress();
        // A session appends 400 to 500 times on such a Web; the file then
        // starts again, as after the session's closing save.
        if (++appends % 500 == 0) {
            state.PauseTiming();
            bench.web->SaveToFile(bench.web->FileName);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
}

} // namespace

BENCHMARK(BM_WholeProjectFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalAppend)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
