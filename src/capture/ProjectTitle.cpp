#include "capture/ProjectTitle.h"

#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/StreamPrimitives.h"
#include "core/SystemFiles.h"

namespace velbrin {

std::optional<std::string> ReadProjectTitle(const std::string& fileName)
{
    try {
        TFileStream file(fileName, TFileStream::Mode::OpenRead);
        std::string signature = ReadShortStr(file);
        if (signature == kProjectSignature) {
            std::int16_t version = ReadSmallInt(file);
            if (version < 0 || version > kProjectVersion)
                return std::nullopt;
        } else if (signature != kOldProjectSignature) {
            return std::nullopt;
        }
        ReadShortStr(file); // start address
        ReadShortStr(file); // directory
        return ReadShortStr(file);
    } catch (const EVelbrinError&) {
        return std::nullopt;
    }
}

} // namespace velbrin
