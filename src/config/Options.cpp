#include "config/Options.h"

#include "core/CaseFold.h"
#include "core/IniFile.h"
#include "core/ShortString.h"

#include <algorithm>
#include <array>

namespace velbrin {

namespace {

// One key of the INI form: exactly one of the three member pointers is set.
struct OptionKey {
    const char* name;
    bool TOPTIONS::*flag = nullptr;
    std::int32_t TOPTIONS::*number = nullptr;
    std::string TOPTIONS::*text = nullptr;
    std::int32_t fallback = 0; // the default of a missing key (strings: empty)
};

constexpr OptionKey Flag(const char* name, bool TOPTIONS::*field, bool fallback)
{
    return { name, field, nullptr, nullptr, fallback ? 1 : 0 };
}

constexpr OptionKey Number(const char* name, std::int32_t TOPTIONS::*field, std::int32_t fallback)
{
    return { name, nullptr, field, nullptr, fallback };
}

constexpr OptionKey Text(const char* name, std::string TOPTIONS::*field)
{
    return { name, nullptr, nullptr, field, 0 };
}

// The keys in the order they are written and read.
constexpr std::array<OptionKey, 26> kOptionKeys = {
    Flag("InternalPathLimit", &TOPTIONS::InternalPathLimit, true),
    Flag("ExternalPathLimit", &TOPTIONS::ExternalPathLimit, true),
    Number("InternalLinkDepth", &TOPTIONS::InternalLinkDepth, 100),
    Number("ExternalWebDepth", &TOPTIONS::ExternalWebDepth, 0),
    Number("ExternalLinkDepth", &TOPTIONS::ExternalLinkDepth, 0),
    Flag("RefLimit", &TOPTIONS::RefLimit, false),
    Flag("ListGifFlag", &TOPTIONS::ListGifFlag, true),
    Flag("ListJpegFlag", &TOPTIONS::ListJpegFlag, true),
    Flag("ListAviFlag", &TOPTIONS::ListAviFlag, true),
    Flag("ListWavFlag", &TOPTIONS::ListWavFlag, true),
    Flag("ResolvedUrlFlag", &TOPTIONS::ResolvedUrlFlag, true),
    Flag("ErrorUrlFlag", &TOPTIONS::ErrorUrlFlag, false),
    Flag("TodoUrlFlag", &TOPTIONS::TodoUrlFlag, false),
    Flag("FilteredUrlFlag", &TOPTIONS::FilteredUrlFlag, false),
    Flag("StretchImageFlag", &TOPTIONS::StretchImageFlag, true),
    Flag("RealLinkFlag", &TOPTIONS::RealLinkFlag, true),
    Flag("SuppressLinkFlag", &TOPTIONS::SuppressLinkFlag, true),
    Flag("BackgroundOnlyFlag", &TOPTIONS::BackgroundOnlyFlag, false),
    Number("MaxFileCount", &TOPTIONS::MaxFileCount, 0),
    Number("MaxFileSize", &TOPTIONS::MaxFileSize, 0),
    Number("MinFileSize", &TOPTIONS::MinFileSize, 0),
    Number("MaxDiskSize", &TOPTIONS::MaxDiskSize, 0),
    Number("MaxTime", &TOPTIONS::MaxTime, 0),
    Flag("CheckDomainMachineFlag", &TOPTIONS::CheckDomainMachineFlag, false),
    Text("Username", &TOPTIONS::Username),
    Text("Password", &TOPTIONS::Password),
};

// An integer as the settings file reads one: an optional sign, then decimal
// digits or "0x" and hexadecimal digits.
bool IsIntegerText(std::string_view text)
{
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    std::string_view digits = "0123456789";
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        digits = "0123456789ABCDEFabcdef";
    }
    return !text.empty() && text.find_first_not_of(digits) == std::string_view::npos;
}

} // namespace

std::string FindOptionProblem(const TIniFile& ini, std::string_view section,
                              std::initializer_list<std::string_view> otherKeys)
{
    for (const std::string& name : ini.ReadSection(section)) {
        const auto known = std::find_if(kOptionKeys.begin(), kOptionKeys.end(),
                                         [&](const OptionKey& key) { return SameText(key.name, name); });
        if (known == kOptionKeys.end()) {
            if (std::none_of(otherKeys.begin(), otherKeys.end(), [&](std::string_view other) { return SameText(other, name); }))
                return "unknown key " + name + " in section [" + std::string(section) + "]";
            continue;
        }
        if (known->text)
            continue;
        std::string value = ini.ReadString(section, name, "");
        if (!IsIntegerText(value))
            return "the key " + name + " needs a number, not \"" + value + "\"";
    }
    return {};
}

std::int32_t ClampOption(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kOptionMin, kOptionMax));
}

void TOPTIONS::Read(const TIniFile& ini, std::string_view section, bool keepCurrent)
{
    for (const OptionKey& key : kOptionKeys) {
        if (key.flag) {
            bool fallback = keepCurrent ? this->*key.flag : key.fallback != 0;
            this->*key.flag = ini.ReadBool(section, key.name, fallback);
        } else if (key.number) {
            std::int64_t fallback = keepCurrent ? this->*key.number : key.fallback;
            this->*key.number = ClampOption(ini.ReadInteger(section, key.name, fallback));
        } else {
            std::string fallback = keepCurrent ? this->*key.text : std::string();
            this->*key.text = ShortString(ini.ReadString(section, key.name, fallback));
        }
    }
}

void TOPTIONS::ReadOptions(const TIniFile& ini, std::string_view section) { Read(ini, section, false); }

void TOPTIONS::MergeOptions(const TIniFile& ini, std::string_view section) { Read(ini, section, true); }

void TOPTIONS::WriteOptions(TIniFile& ini, std::string_view section) const
{
    for (const OptionKey& key : kOptionKeys) {
        if (key.flag)
            ini.WriteBool(section, key.name, this->*key.flag);
        else if (key.number)
            ini.WriteInteger(section, key.name, this->*key.number);
        else
            ini.WriteString(section, key.name, this->*key.text);
    }
}

void TOPTIONS::ClampIntegers()
{
    for (const OptionKey& key : kOptionKeys) {
        if (key.number)
            this->*key.number = ClampOption(this->*key.number);
    }
}

void CopyOptions(TOPTIONS& destination, const TOPTIONS& source)
{
    bool kept = destination.CheckDomainMachineFlag;
    destination = source;
    destination.CheckDomainMachineFlag = kept;
}

} // namespace velbrin
