#pragma once

#include "capture/ErrorBox.h"

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTabBar;

namespace velbrin {

class TParam;

// The pages of the setup dialog, in the order of its tab set.
enum class TSetupPage { Communication = 0, Directories = 1, Browser = 2, HtmlPages = 3 };
inline constexpr int kSetupPageCount = 4;

// The page EditSettings opens on: 0 keeps the first page; otherwise the low
// seven bits minus one are the page (1 Communication, 2 Directories,
// 3 Browser, 4 HTML Pages). A number beyond them opens the first page.
TSetupPage SetupPageOf(int page);

// At most this many browser programs are offered (and kept) by the dialog.
inline constexpr int kMaxBrowserListEntries = 10;

// What the setup dialog asks of the user beyond its own controls. Bound to
// the program's dialogs by default; a test answers them instead.
struct TParamFormPrompts {
    // A message box: caption, text (lines separated by CR LF), buttons.
    std::function<TModalResult(std::string_view caption, std::string_view text, TBoxButtons buttons)> Message;
    // An open dialog with a caption and a name filter, starting on a file (or
    // a directory); with mustExist only an existing file may be chosen.
    // Nothing when cancelled.
    std::function<std::optional<std::string>(const QString& caption, const QString& filter,
                                             const std::string& start, bool mustExist)>
        OpenFile;
    // The directory chooser (with "&New directory"); nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& initial)> ChooseDirectory;
};

// "Velbrin Setup": every application setting on four pages chosen by a tab
// set at the bottom. OK checks the pages, takes every control into the
// settings and writes them; Cancel changes nothing, but for the automatic
// browser search, which takes effect as soon as it is ticked or cleared.
//
// The browser drop-down offers the programs chosen before, the settings'
// list shown from its last entry to its first; OK stores the entries back in
// the order shown. A browser path is accepted (after "B&rowse...", a choice
// in the list, a double click in the field, or leaving the field once typed
// in) only when the file exists; otherwise the field goes back to the path
// accepted last in this run of the dialog (empty at first).
class TParamForm : public QDialog {
public:
    TParamForm(TParam& settings, QWidget* parent);
    ~TParamForm() override;

    TParamFormPrompts Prompts;

    void SelectPage(TSetupPage page);
    TSetupPage CurrentPage() const;
    // Shows the dialog modally on the page; true when confirmed with OK.
    bool Run(TSetupPage page);

    // The browser path accepted last in this run (empty at first).
    const std::string& LastBrowser() const { return m_lastBrowser; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeCommunicationPage();
    QWidget* MakeDirectoriesPage();
    QWidget* MakeBrowserPage();
    QWidget* MakeHtmlPage();
    void AddPage(QWidget* page, const QString& tab);
    void SettingsToControls();
    void ApplyProxy();
    void ApplyBrowserAuto();
    void BrowserAutoClicked(bool checked);
    void AcceptBrowserPath(const std::string& path);
    void SetBrowserText(const std::string& path);
    std::string BrowserText() const;
    void ShowBrowserIcon();
    void BrowseBrowser();
    void BrowseBookmarkFile();
    void BrowseCaptureDirectory();
    void BrowseCaCertificates();
    // The capture directory of the field, absolute, ending with one "/";
    // empty when the field does not hold one.
    std::string CaptureDirectory() const;
    void Refuse(TSetupPage page, QWidget* field, std::string_view text);
    void Tell(std::string_view caption, std::string_view text);

    TParam& m_settings;
    std::string m_lastBrowser;
    // The browser field was typed in since a path was last accepted.
    bool m_browserTyped = false;

    QTabBar* m_tabs = nullptr;
    QStackedWidget* m_pages = nullptr;

    QSpinBox* m_maxSockets = nullptr;
    QSpinBox* m_timeout = nullptr;
    QCheckBox* m_useProxy = nullptr;
    QLineEdit* m_proxyAddress = nullptr;
    QSpinBox* m_proxyPort = nullptr;
    QSpinBox* m_tryCount = nullptr;
    QLineEdit* m_caCertificates = nullptr;
    QCheckBox* m_ignoreCertificateErrors = nullptr;

    QLineEdit* m_path = nullptr;

    QCheckBox* m_browserAuto = nullptr;
    QComboBox* m_exeName = nullptr;
    QPushButton* m_browseBrowser = nullptr;
    QLabel* m_browserIcon = nullptr;
    QCheckBox* m_autoLaunch = nullptr;
    QLineEdit* m_bookmarkFile = nullptr;
    QLineEdit* m_bookmarkFolder = nullptr;
    QCheckBox* m_autoAddBookmark = nullptr;

    QSpinBox* m_imgColByPage = nullptr;
    QSpinBox* m_imgLigByPage = nullptr;
    QSpinBox* m_imgSize = nullptr;
    QSpinBox* m_imgSizeMin = nullptr;
    QCheckBox* m_imgRatio = nullptr;
    QSpinBox* m_ligByPage = nullptr;
};

// Runs the setup dialog over parent on a page numbered as SetupPageOf reads
// it; true when the user confirmed with OK (the settings are then written).
bool EditSettings(TParam& settings, int page, QWidget* parent);

} // namespace velbrin
