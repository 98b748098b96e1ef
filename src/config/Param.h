#pragma once

#include "config/Options.h"
#include "config/DefaultBrowser.h"
#include "config/SommaireParam.h"
#include "config/WorkPath.h"
#include "core/Text.h"

#include <cstdint>
#include <functional>
#include <string>

namespace velbrin {

// Bounds the setup dialog keeps; values read from the file are brought into them.
inline constexpr std::int32_t kMaxSocketCount = 9;
inline constexpr std::int32_t kMaxTryCount = 10;
// "BrowserList" is read from the keys "0" to "10", up to the first empty one.
inline constexpr int kBrowserListKeys = 11;

// The settings of the installation, kept in WorkPath() + "velbrin.ini" (created
// readable by its owner only: it holds a user name and password). One instance
// per run, made first at start-up and freed last.
class TParam {
public:
    // Establishes the working path (asking `chooser` when none is known), reads
    // the settings, then writes them back at once so that a complete file
    // exists. `defaultApplication` names the desktop's default browser for the
    // automatic search. Raises EWorkPathError or EInOutError when there is no
    // working path or the file cannot be written.
    explicit TParam(TWorkPathChooser chooser, TDefaultApplication defaultApplication = XdgDefaultApplication);
    // Writes the settings; a failure is dropped (nothing can report it here).
    ~TParam();
    TParam(const TParam&) = delete;
    TParam& operator=(const TParam&) = delete;

    // "Options"
    std::int32_t MaxSockets = 0;
    std::int32_t Timeout = 0; // seconds
    bool UseProxy = false;
    std::string ProxyAdress;
    std::int32_t ProxyPort = 0;
    std::int32_t TryCount = 0;
    // PEM file of certificate authorities trusted for https besides the
    // system's; empty for none. The network layer loads it (LoadTlsSettings)
    // and reports a file it cannot use.
    std::string CaCertificates;
    // https: any server certificate is accepted (each error accepted is logged).
    bool IgnoreCertificateErrors = false;
    // "Web"
    std::string Url;
    std::string Path;
    // "Browser"
    bool BrowserAuto = false;
    std::string ExeName;
    bool AutoLaunch = false;
    // "Bookmark"
    std::string BookmarkFile;
    std::string BookmarkFolder;
    bool AutoAddBookmark = false;
    bool UseBookmark = false;
    // "Log"
    bool LogState = false;
    // "TavoUse"
    bool NoWriteDisk = false;
    // "BrowserList": browser programs chosen before, most useful first.
    TStringList BrowserList;
    // "DEFAULT"
    TOPTIONS DefaultOptions;
    // "sommaire"
    TSommaireParam IndexParams;

    // Called by FindBrowser with the browser program (possibly empty) so that
    // the desktop can repaint its browser icons. Not called by the constructor,
    // which runs before anyone can bind it.
    std::function<void(const std::string& exeName)> PaintBrowserIcon;

    // WorkPath() + "velbrin.ini".
    static std::string SettingsFileName();

    // Establishes the working path, reads every setting, then FindBrowser.
    void ReadSettings();
    // Writes every setting; raises EInOutError when the file cannot be written
    // (the previous file then stays as it was).
    void WriteSettings() const;
    // With BrowserAuto, ExeName becomes the desktop's default browser program
    // (empty when there is none); otherwise, or without a way to ask the
    // desktop, it stays as chosen. True when
    // ExeName names an existing file.
    bool FindBrowser();

private:
    TWorkPathChooser m_chooser;
    TDefaultApplication m_defaultApplication;
};

} // namespace velbrin
