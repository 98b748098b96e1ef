// Insertion and look-up in the web tree: 30,000 files in one directory (the
// slow case of a tree that searches its levels one entry at a time) and the
// same number spread over a few hosts and nested directories.
#include "store/WebTree.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

constexpr int kFiles = 30000;

std::vector<std::string> FlatAddresses()
{
    std::vector<std::string> addresses;
    for (int i = 0; i < kFiles; ++i)
        addresses.push_back("http://www.example.com/pictures/IMG" + std::to_string(i) + ".gif");
    return addresses;
}

std::vector<std::string> NestedAddresses()
{
    std::vector<std::string> addresses;
    for (int i = 0; i < kFiles; ++i) {
        addresses.push_back("http://host" + std::to_string(i % 5) + ".example.com/d" + std::to_string(i % 37) +
                            "/s" + std::to_string(i % 11) + "/page" + std::to_string(i) + ".htm");
    }
    return addresses;
}

void InsertAndFind(benchmark::State& state, const std::vector<std::string>& addresses)
{
    for (auto _ : state) {
        TWebTree tree;
        for (const std::string& address : addresses) {
            auto file = std::make_unique<TWebFile>();
            std::unique_ptr<TWebFile> replaced;
            if (!tree.AddFile(address, file, replaced))
                state.SkipWithError("refused");
        }
        for (const std::string& address : addresses)
            benchmark::DoNotOptimize(tree.FindFile(address));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(addresses.size()));
}

void BM_OneDirectory(benchmark::State& state)
{
    InsertAndFind(state, FlatAddresses());
}

void BM_Nested(benchmark::State& state)
{
    InsertAndFind(state, NestedAddresses());
}

} // namespace

BENCHMARK(BM_OneDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Nested)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
