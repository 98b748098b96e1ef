// fuzz-seeds: tests/capture/project-seeds
// A project file from anywhere: loading it must fail cleanly or give a Web
// that saves, and the saved file must load back and save to the same bytes.
#include "capture/Web.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Files.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

using namespace velbrin;

namespace {

// A scratch home and working path of the run, removed at exit.
const std::string& ScratchDir()
{
    static const std::string dir = [] {
        char pattern[] = "/tmp/velbrin-web-fuzz-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        return std::string(pattern) + "/";
    }();
    return dir;
}

void RemoveScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchDir(), ignored);
}

// Made after the working path it writes to, so it goes first at exit.
TParam& Settings()
{
    static TParam settings([](const std::string&) { return std::optional<std::string>(ScratchDir() + "work"); },
                           [](const std::string&) { return std::optional<std::string>(); });
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ForceDirectories(ScratchDir() + "home/");
    ::setenv("HOME", (ScratchDir() + "home").c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    std::atexit(RemoveScratchDir);
    Settings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& dir = ScratchDir();
    const std::string input = dir + "input.web";
    const std::string first = dir + "first.web";
    const std::string second = dir + "second.web";
    WriteWholeFile(input, std::string_view(reinterpret_cast<const char*>(data), size));

    TWEB web(Settings(), "");
    if (!web.LoadFromFile(input))
        return 0;
    if (!web.TodoList().empty() || web.Path != dir)
        std::abort();
    web.SaveToFile(first);

    TWEB again(Settings(), "");
    if (!again.LoadFromFile(first))
        std::abort();
    again.SaveToFile(second);
    if (ReadWholeFile(first) != ReadWholeFile(second))
        std::abort();
    return 0;
}
