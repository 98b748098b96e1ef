// The web tree stream of a project file: the first byte picks the project
// version, the rest is the stream. Whatever loads must save, and the saved
// tree must read back as the same walk, byte for byte.
#include "core/MemoryStream.h"
#include "store/WebTree.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace velbrin;

namespace {

std::vector<std::string> Records(TWebTree& tree)
{
    std::vector<std::string> records;
    tree.ForEachFile([&](TWebFile& file, const std::string& address) {
        if (tree.GetFileUrl(file) != address)
            std::abort();
        records.push_back(address + '\0' + file.GetFileName() + '\0' + file.GetDescription() + '\0' +
                          file.GetMimeType() + '\0' + static_cast<char>(file.State) + static_cast<char>(file.Flags) +
                          static_cast<char>(file.WebDepth) + static_cast<char>(file.LinkDepth));
        return false;
    });
    return records;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    int version = data[0] % (TWebTree::kCurrentVersion + 1);
    TMemoryStreamEx input(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    TWebTree first;
    if (!first.LoadFromStream(input, version)) {
        if (first.Count() != 0 || first.Root().EntryCount() != 0)
            std::abort();
        return 0;
    }
    if (first.Count() != first.CountFiles())
        std::abort();

    TMemoryStreamEx saved;
    first.SaveToStream(saved);
    saved.SetPosition(0);
    TWebTree second;
    if (!second.LoadFromStream(saved, TWebTree::kCurrentVersion))
        std::abort();
    if (Records(first) != Records(second))
        std::abort();

    TMemoryStreamEx again;
    second.SaveToStream(again);
    if (again.View() != saved.View())
        std::abort();
    return 0;
}
