#include "config/ProgramDir.h"

#include "core/Files.h"

#include <cstdlib>
#include <filesystem>

namespace velbrin {

namespace {

std::string& TheProgramDir()
{
    static std::string dir;
    return dir;
}

std::string AsDirectory(const std::string& dir)
{
    std::string normal = ExpandFileName(dir + "/");
    CheckDirectory(normal);
    return normal;
}

} // namespace

const std::string& ProgramDir() { return TheProgramDir(); }

void SetProgramDir(std::string dir) { TheProgramDir() = std::move(dir); }

std::string LocateProgramDir(const std::string& executableFile)
{
    if (const char* data = std::getenv("VELBRIN_DATA_DIR"); data != nullptr && data[0] != '\0')
        return AsDirectory(data);
    std::string bin = ExtractFilePath(ExpandFileName(executableFile));
    return AsDirectory(bin + "../share/velbrin");
}

std::string LocateProgramDir() { return LocateProgramDir(ExecutableFile()); }

std::string ExecutableFile()
{
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

} // namespace velbrin
