#pragma once

#include "capture/CaptureView.h"
#include "capture/CommandLineWeb.h"
#include "capture/ErrorBox.h"
#include "capture/KnownWebs.h"
#include "store/MimeList.h"
#include "ui/DeleteFilesDlg.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QPushButton;
class QStackedWidget;
class QTabWidget;

namespace velbrin {

class TCapture;
class TCaptureTab;
class TFileTab;
class TMultimediaTab;
class TOptionsTab;
class TParam;
class TStartScreen;
class TUrlTab;
class TWEB;
class TWebTab;

// The commands of the window's menus (and of the buttons that share them).
enum class TCommand {
    New, Open, Save, SaveAs, Close, Exit,
    Reset, Copy, Move, Delete, ImageMap, AddUrl, AddBookmark,
    Start, Stop, ResolveLinks,
    LocalsWeb, Home, HtmlPages, Images,
    Setup, SaveOptions,
    HelpIndex, Glossary, Faq, OtherProducts, About,
};

// What the New Web dialog answered.
struct TNewWebAnswer {
    std::string Address;
    std::string Directory; // ends with "/"
    std::string Title;
    bool Capture = false;  // "Create and Capture"
};

// Everything the window asks of the user or hands to the desktop. Each is
// bound to the program's dialogs (or the browser) by the window; a test
// replaces them to answer without dialogs.
struct TMainWinPrompts {
    // A plain message box: caption, text (lines separated by CR LF), buttons.
    std::function<TModalResult(std::string_view caption, std::string_view text, TBoxButtons buttons)> Message;
    // The engine's error and warning boxes.
    std::function<TModalResult(const TBox& box)> Box;
    // A save dialog for a ".web" file; nothing when cancelled.
    std::function<std::optional<std::string>(const QString& caption, const std::string& directory,
                                             const std::string& fileName)>
        SaveFile;
    // "Open a Web": an existing ".web" file; nothing when cancelled.
    std::function<std::optional<std::string>(const std::string& directory)> OpenFile;
    // "New Web", given the proposed address; nothing when cancelled.
    std::function<std::optional<TNewWebAnswer>(const std::string& address)> NewWeb;
    // "Create new Web" for a filtered link: the New Web dialog without
    // "Create and Capture"; nothing when cancelled.
    std::function<std::optional<TNewWebAnswer>(const std::string& address)> NewWebFromLink;
    // "Create new web": the directory of a new Web holds count entries.
    std::function<TDeleteFilesAnswer(const std::string& directory, int count)> DeleteFiles;
    // "Add URL to the web" with a caption and an initial address; nothing when cancelled.
    std::function<std::optional<std::string>(const QString& caption, const std::string& initial)> Address;
    // "Stop capture": nothing on Cancel, else whether every transfer is aborted.
    std::function<std::optional<bool>()> StopCapture;
    // The setup dialog on a page; true when confirmed.
    std::function<bool(int page)> EditSettings;
    // The link resolution dialog over the Web; kResolveDone or kResolveCancelled.
    std::function<int(TWEB& web)> ResolveLinks;
    // Shows a page, file or address in the browser.
    std::function<bool(const std::string& target, bool activate)> Show;
};

// The program's main window: the settings, the global MIME table, the list of
// known Webs and at most one open Web, shown on six tabs; the commands that
// open, save, close, reset, copy, move, delete and capture Webs.
//
// A Web is never freed while an operation holds it: loading, saving, copying,
// the resolution pass and a whole capture (the session and its closing steps,
// which run in nested event loops) refuse the commands and the close requests
// that would free or replace it.
class TMainWin : public QMainWindow {
public:
    // Sets up the settings (requestedWorkPath: "--workpath DIR", may be
    // empty), the global MIME table and the list of known Webs. When that
    // fails, StartError() says why and the window holds no settings.
    explicit TMainWin(const std::string& requestedWorkPath = {}, QWidget* parent = nullptr);
    // Writes "webs.dat"; the settings write "velbrin.ini".
    ~TMainWin() override;

    const std::string& StartError() const { return m_startError; }
    TMainWinPrompts& Prompts() { return m_prompts; }

    // Opens the Web a command line names and captures it when asked.
    void OpenRequested(const TWebRequest& request);

    // --- State ---------------------------------------------------------------
    TWEB* CurrentWeb() const { return m_web.get(); }
    bool Busy() const { return m_busy; }
    bool Capturing() const { return m_capturing; }
    // A capture is running: its session, or its closing steps (saving, the resolution pass).
    bool CaptureRunning() const { return m_running; }
    TParam& Settings() { return *m_settings; }
    TMIMELIST& GlobalMime() { return m_globalMime; }
    const TStringList& WebsList() const { return m_knownWebs.Items(); }
    std::string Caption() const;

    QAction* Action(TCommand command) const { return m_actions.at(command); }
    QMenu* FileMenu() const { return m_fileMenu; }
    QMenu* WebMenu() const { return m_webMenu; }
    QMenu* CaptureMenu() const { return m_captureMenu; }
    QMenu* HtmlMenu() const { return m_htmlMenu; }
    QMenu* PreferencesMenu() const { return m_preferencesMenu; }
    // The recent-Web entries of the File menu, in order.
    const std::vector<QAction*>& RecentActions() const { return m_recentActions; }
    QTabWidget* Tabs() const { return m_tabs; }
    TWebTab* WebTab() const { return m_webTab; }
    TOptionsTab* OptionsTab() const { return m_optionsTab; }
    TCaptureTab* CaptureTab() const { return m_captureTab; }
    TFileTab* FileTab() const { return m_fileTab; }
    TUrlTab* UrlTab() const { return m_urlTab; }
    TMultimediaTab* MultimediaTab() const { return m_multimediaTab; }
    QPushButton* StartButton() const { return m_startButton; }
    QPushButton* StopButton() const { return m_stopButton; }
    QPushButton* QuitButton() const { return m_quitButton; }
    QPushButton* NewButton() const { return m_newButton; }
    QPushButton* StartScreenQuitButton() const { return m_startQuitButton; }
    // The start screen is shown (no Web).
    bool StartScreenShown() const;

    // --- Operations ----------------------------------------------------------
    // Makes web the current Web, fills the tabs and, when asked, starts its
    // capture once the events in hand are served.
    void ShowWeb(std::unique_ptr<TWEB> web, bool capture);
    // Saves (a Web with a project file) or asks, frees the Web and returns to
    // the start screen. False when the user cancelled or an operation holds the Web.
    bool CloseWeb();
    bool SaveWeb();
    bool SaveWebAs();
    // False when the project file could not be written (the user was told).
    bool WriteWeb(TWEB& web);
    void ControlsToWeb();
    void WebToControls();
    void SetBusy(bool busy);
    void UpdateCommands();
    void RebuildRecentMenu();
    // Runs one whole capture of the current Web (Start).
    void RunCapture();
    // Runs a command as its menu item does.
    void Run(TCommand command);
    // Opens the entry n (1 to 6) of the recent-Web menu.
    void OpenRecent(int n);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildPanels();
    void BindDefaultPrompts();
    QAction* AddCommand(QMenu* menu, TCommand command, const QString& text);
    void UpdateCaption();
    void ShowStartScreen();

    void NewWeb();
    void OpenWeb();
    void OpenProject(const std::string& projectFile);
    void ResetWeb();
    void CopyWeb(bool move);
    void DeleteWeb();
    void AddUrl();
    // The commands of the URL list's pop-up menu, on a filtered link.
    void CreateWebFromLink(const std::string& address);
    void ForceCaptureOf(const std::string& address);
    // Frees the current Web; the URL list lets it go first.
    void ReleaseWeb();
    void AddBookmark();
    void ChangeWebAddress();
    void StopCaptureCommand();
    void ResolveLinksCommand();
    void ResolveLinksStep();
    void ShowWebPage(std::string_view fileName, bool takeControls);
    void ShowHelp(std::string_view fileName);
    void ShowLocalsWeb();
    void EditSettings(int page);
    void SaveOptions();
    void TitleEdited();
    void AllowOnlyCaptureTabs(bool capturing);
    // Nothing may free or replace the Web now.
    bool WebHeld() const { return m_busy || m_running; }
    std::string WebFileIn(std::string_view name) const;
    void Tell(std::string_view caption, std::string_view text);
    void Pump();

    TMainWinPrompts m_prompts;
    std::string m_startError;
    std::unique_ptr<TParam> m_settings;
    TMIMELIST m_globalMime;
    TKnownWebs m_knownWebs;
    std::unique_ptr<TWEB> m_web;
    bool m_busy = false;
    bool m_capturing = false;
    // RunCapture is on the stack (the session or its closing steps).
    bool m_running = false;
    bool m_quitRequested = false;
    int m_closeRequests = 0;
    TCapture* m_session = nullptr;
    std::unique_ptr<TCaptureView> m_captureView;

    std::map<TCommand, QAction*> m_actions;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_webMenu = nullptr;
    QMenu* m_captureMenu = nullptr;
    QMenu* m_htmlMenu = nullptr;
    QMenu* m_preferencesMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QAction* m_exitSeparator = nullptr;
    std::vector<QAction*> m_recentActions;

    QStackedWidget* m_stack = nullptr;
    TStartScreen* m_startScreen = nullptr;
    QWidget* m_panel = nullptr;
    QTabWidget* m_tabs = nullptr;
    TWebTab* m_webTab = nullptr;
    TOptionsTab* m_optionsTab = nullptr;
    TFileTab* m_fileTab = nullptr;
    TCaptureTab* m_captureTab = nullptr;
    TUrlTab* m_urlTab = nullptr;
    TMultimediaTab* m_multimediaTab = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_startQuitButton = nullptr;
};

// The caption of the window: "Velbrin 1.073 ", followed by "(" + name + ")"
// with a Web's name.
std::string WindowCaption(const std::string* webName);
// The name of a Web: its title, or its directory without the trailing "/".
std::string WebName(const std::string& title, const std::string& directory);

} // namespace velbrin
