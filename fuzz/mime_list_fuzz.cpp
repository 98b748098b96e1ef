// A MIME table stream ("mime.def", or the table of a project file): whatever
// loads must save and read back as the same table, byte for byte. The input
// also serves as a MIMES list.
#include "core/MemoryStream.h"
#include "store/MimeList.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace velbrin;

namespace {

std::string Saved(const TMIMELIST& table)
{
    TMemoryStreamEx stream;
    table.SaveToStream(stream);
    return stream.ToString();
}

bool SameTables(const TMIMELIST& a, const TMIMELIST& b)
{
    if (a.Count() != b.Count())
        return false;
    for (int i = 0; i < static_cast<int>(a.Count()); ++i) {
        const TMimeItem* x = a.GetMimebyIndex(i);
        const TMimeItem* y = b.GetMimebyIndex(i);
        if (x->MimeType != y->MimeType || x->Extension != y->Extension || x->Capture != y->Capture ||
            x->MimeClass != y->MimeClass)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMemoryStreamEx input(bytes);
    TMIMELIST first;
    first.SetToDefault();
    if (!first.LoadFromStream(input)) {
        if (first.Count() != 7)
            std::abort();
    } else {
        for (int i = 0; i < static_cast<int>(first.Count()); ++i) {
            const TMimeItem* item = first.GetMimebyIndex(i);
            if (item->Extension.size() > 3 || item->MimeClass > MimeClassOther)
                std::abort();
        }
        std::string saved = Saved(first);
        TMemoryStreamEx stream(saved);
        TMIMELIST second;
        if (!second.LoadFromStream(stream) || !SameTables(first, second) || Saved(second) != saved)
            std::abort();
    }

    TMIMELIST table;
    table.SetToDefault();
    const std::string defaults = Saved(table);
    // A list that names something unknown leaves the table as it was.
    if (!table.SetCmdLine(bytes).empty() && Saved(table) != defaults)
        std::abort();
    TMIMELIST merged;
    merged.AddMimeList(first);
    return 0;
}
