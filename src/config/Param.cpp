#include "config/Param.h"
#include "core/SystemFiles.h"

#include "core/Errors.h"
#include "core/Files.h"
#include "core/IniFile.h"

#include <algorithm>
#include <limits>

namespace velbrin {

namespace {

constexpr unsigned kSettingsPermissions = 0600;

std::int32_t ReadRange(const TIniFile& ini, std::string_view section, std::string_view key, std::int32_t fallback,
                       std::int32_t low, std::int32_t high)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ini.ReadInteger(section, key, fallback), low, high));
}

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

} // namespace

TParam::TParam(TWorkPathChooser chooser, TDefaultApplication defaultApplication)
    : m_chooser(std::move(chooser))
    , m_defaultApplication(std::move(defaultApplication))
{
    ReadSettings();
    WriteSettings();
}

TParam::~TParam()
{
    try {
        WriteSettings();
    } catch (...) {
    }
}

std::string TParam::SettingsFileName() { return WorkPath() + std::string(kSettingsFileName); }

void TParam::ReadSettings()
{
    EstablishWorkPath(m_chooser);
    TIniFile ini(SettingsFileName(), kSettingsPermissions);

    MaxSockets = ReadRange(ini, "Options", "MaxSockets", 5, 1, kMaxSocketCount);
    Timeout = ReadRange(ini, "Options", "Timeout", 30, 0, kIntMax);
    UseProxy = ini.ReadBool("Options", "UseProxy", false);
    ProxyAdress = ini.ReadString("Options", "ProxyAdress", "");
    ProxyPort = ReadRange(ini, "Options", "ProxyPort", 80, 0, 65535);
    TryCount = ReadRange(ini, "Options", "TryCount", 3, 1, kMaxTryCount);
    CaCertificates = ini.ReadString("Options", "CaCertificates", "");
    IgnoreCertificateErrors = ini.ReadBool("Options", "IgnoreCertificateErrors", false);

    Url = ini.ReadString("Web", "Url", "http://www.");
    Path = ini.ReadString("Web", "Path", WorkPath());

    BrowserAuto = ini.ReadBool("Browser", "Auto", true);
    ExeName = ini.ReadString("Browser", "ExeName", "");
    AutoLaunch = ini.ReadBool("Browser", "AutoLaunch", false);

    BookmarkFile = ini.ReadString("Bookmark", "FileName", "");
    BookmarkFolder = ini.ReadString("Bookmark", "BookmarkFolder", "Local webs");
    AutoAddBookmark = ini.ReadBool("Bookmark", "AutoAddBookmark", false);
    UseBookmark = ini.ReadBool("Bookmark", "UseBookmark", true);

    LogState = ini.ReadBool("Log", "State", false);
    NoWriteDisk = ini.ReadBool("TavoUse", "NoWriteDisk", false);

    BrowserList.clear();
    for (int i = 0; i < kBrowserListKeys; ++i) {
        std::string entry = ini.ReadString("BrowserList", std::to_string(i), "");
        if (entry.empty())
            break;
        BrowserList.push_back(std::move(entry));
    }

    DefaultOptions.ReadOptions(ini, "DEFAULT");
    IndexParams.Read(ini, "sommaire");
    FindBrowser();
}

void TParam::WriteSettings() const
{
    // Without a working path the name would be relative to wherever the
    // program happens to run.
    if (WorkPath().empty())
        throw EInOutError("Cannot write the settings: no working directory is set");
    TIniFile ini(SettingsFileName(), kSettingsPermissions);

    ini.WriteInteger("Options", "MaxSockets", MaxSockets);
    ini.WriteInteger("Options", "Timeout", Timeout);
    ini.WriteBool("Options", "UseProxy", UseProxy);
    ini.WriteString("Options", "ProxyAdress", ProxyAdress);
    ini.WriteInteger("Options", "ProxyPort", ProxyPort);
    ini.WriteInteger("Options", "TryCount", TryCount);
    ini.WriteString("Options", "CaCertificates", CaCertificates);
    ini.WriteBool("Options", "IgnoreCertificateErrors", IgnoreCertificateErrors);

    ini.WriteString("Web", "Url", Url);
    ini.WriteString("Web", "Path", Path);

    ini.WriteBool("Browser", "Auto", BrowserAuto);
    ini.WriteString("Browser", "ExeName", ExeName);
    ini.WriteBool("Browser", "AutoLaunch", AutoLaunch);

    ini.WriteString("Bookmark", "FileName", BookmarkFile);
    ini.WriteString("Bookmark", "BookmarkFolder", BookmarkFolder);
    ini.WriteBool("Bookmark", "AutoAddBookmark", AutoAddBookmark);
    ini.WriteBool("Bookmark", "UseBookmark", UseBookmark);

    ini.WriteBool("Log", "State", LogState);
    ini.WriteBool("TavoUse", "NoWriteDisk", NoWriteDisk);

    // Reading stops at the first empty entry and after kBrowserListKeys keys:
    // only what reads back is written, and keys left from a longer list go,
    // or they would come back on the next start.
    int written = 0;
    for (const std::string& entry : BrowserList) {
        if (entry.empty())
            continue;
        if (written == kBrowserListKeys)
            break;
        ini.WriteString("BrowserList", std::to_string(written++), entry);
    }
    for (const std::string& key : ini.ReadSection("BrowserList")) {
        std::int64_t index = -1;
        if (!TryParseInt(key, index) || index < 0 || index >= written || std::to_string(index) != key)
            ini.DeleteKey("BrowserList", key);
    }

    DefaultOptions.WriteOptions(ini, "default");
    IndexParams.Write(ini, "sommaire");
    ini.UpdateFile();
}

bool TParam::FindBrowser()
{
    if (BrowserAuto && m_defaultApplication)
        ExeName = DefaultBrowserProgram(m_defaultApplication);
    if (PaintBrowserIcon)
        PaintBrowserIcon(ExeName);
    return !ExeName.empty() && FileExists(ExeName);
}

} // namespace velbrin
