#include "config/SommaireParam.h"

#include "core/IniFile.h"

#include <algorithm>

namespace velbrin {

namespace {

std::int32_t ReadRange(const TIniFile& ini, std::string_view section, std::string_view key, std::int32_t fallback,
                       std::int32_t low, std::int32_t high)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ini.ReadInteger(section, key, fallback), low, high));
}

} // namespace

void TSommaireParam::Read(const TIniFile& ini, std::string_view section)
{
    const TSommaireParam defaults;
    LigByPage = ReadRange(ini, section, "LigByPage", defaults.LigByPage, 2, 50);
    ImgLigByPage = ReadRange(ini, section, "ImgLigByPage", defaults.ImgLigByPage, 2, 10);
    ImgColByPage = ReadRange(ini, section, "ImgColByPage", defaults.ImgColByPage, 2, 10);
    ImgSize = ReadRange(ini, section, "ImgSize", defaults.ImgSize, 16, 128);
    ImgSizeMin = ReadRange(ini, section, "ImgSizeMin", defaults.ImgSizeMin, 0, 800);
    ImgRatio = ini.ReadBool(section, "ImgRatio", defaults.ImgRatio);
}

void TSommaireParam::Write(TIniFile& ini, std::string_view section) const
{
    ini.WriteInteger(section, "LigByPage", LigByPage);
    ini.WriteInteger(section, "ImgLigByPage", ImgLigByPage);
    ini.WriteInteger(section, "ImgColByPage", ImgColByPage);
    ini.WriteInteger(section, "ImgSize", ImgSize);
    ini.WriteInteger(section, "ImgSizeMin", ImgSizeMin);
    ini.WriteBool(section, "ImgRatio", ImgRatio);
}

} // namespace velbrin
