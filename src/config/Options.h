#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velbrin {

class TIniFile;

// Integer options end up as signed 16-bit values in the project file, and none
// of them has a meaning below 0 (0 is "no limit"). Every place that sets one
// keeps it within these bounds, so a project file can always be written whole.
inline constexpr std::int32_t kOptionMin = 0;
inline constexpr std::int32_t kOptionMax = 32767;

// The value brought into kOptionMin..kOptionMax.
std::int32_t ClampOption(std::int64_t value);

// The capture options of a Web, and the defaults given to new Webs. A new
// record is all 0, false and empty; the usual defaults come from ReadOptions.
class TOPTIONS {
public:
    bool InternalPathLimit = false;
    bool ExternalPathLimit = false;
    std::int32_t InternalLinkDepth = 0;
    std::int32_t ExternalWebDepth = 0;
    std::int32_t ExternalLinkDepth = 0;
    bool RefLimit = false;
    bool ListGifFlag = false;
    bool ListJpegFlag = false;
    bool ListAviFlag = false;
    bool ListWavFlag = false;
    bool ResolvedUrlFlag = false;
    bool ErrorUrlFlag = false;
    bool TodoUrlFlag = false;
    bool FilteredUrlFlag = false;
    bool StretchImageFlag = false;
    bool RealLinkFlag = false;
    bool SuppressLinkFlag = false;
    bool BackgroundOnlyFlag = false;
    // Application-wide: only the value in the default options is consulted,
    // and CopyOptions never carries it.
    bool CheckDomainMachineFlag = false;
    std::int32_t MaxFileCount = 0;
    std::int32_t MaxFileSize = 0; // kilobytes
    std::int32_t MinFileSize = 0; // kilobytes
    std::int32_t MaxDiskSize = 0; // kilobytes
    std::int32_t MaxTime = 0;     // minutes
    std::string Username;         // at most 255 bytes
    std::string Password;         // at most 255 bytes, kept in plain text

    // All 26 keys of the section; missing keys take the usual defaults.
    void ReadOptions(const TIniFile& ini, std::string_view section);
    // All 26 keys, in their fixed order.
    void WriteOptions(TIniFile& ini, std::string_view section) const;
    // Keys present in the section override; the others keep their value.
    void MergeOptions(const TIniFile& ini, std::string_view section);

    // The setter for integer options: `options.SetInteger(&TOPTIONS::MaxTime, minutes)`
    // stores the value clamped into kOptionMin..kOptionMax.
    void SetInteger(std::int32_t TOPTIONS::*field, std::int64_t value) { this->*field = ClampOption(value); }
    // Clamps every integer option, for values that were assigned directly.
    void ClampIntegers();

    bool operator==(const TOPTIONS&) const = default;

private:
    void Read(const TIniFile& ini, std::string_view section, bool keepCurrent);
};

// Why a section of an options file the user wrote cannot be applied: the
// first key that is neither an option nor one of otherKeys, or an option
// that needs a number (every integer and flag) whose value is not a decimal
// or "0x" hexadecimal integer; the text names the key as written. Empty when
// every key of the section is usable, and for a section that is missing.
std::string FindOptionProblem(const TIniFile& ini, std::string_view section,
                              std::initializer_list<std::string_view> otherKeys = {});

// Copies every option but CheckDomainMachineFlag from source to destination.
void CopyOptions(TOPTIONS& destination, const TOPTIONS& source);

} // namespace velbrin
