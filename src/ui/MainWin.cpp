#include "ui/MainWin.h"

#include "browser/Bookmarks.h"
#include "browser/BrowserLaunch.h"
#include "browser/WebBookmark.h"
#include "capture/ProgramStart.h"
#include "capture/ResolvePass.h"
#include "capture/SessionCapture.h"
#include "capture/SessionRun.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "config/ProgramDir.h"
#include "config/WorkPath.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/SystemFiles.h"
#include "core/Url.h"
#include "index/PictureHeader.h"
#include "store/MimeDefFile.h"
#include "ui/AboutDlg.h"
#include "ui/AddUrlDlg.h"
#include "ui/BrowserIcon.h"
#include "ui/CaptureTab.h"
#include "ui/CopyDlg.h"
#include "ui/FileTab.h"
#include "ui/MapEditDlg.h"
#include "ui/MessageBoxes.h"
#include "ui/MultimediaTab.h"
#include "ui/NewForm.h"
#include "ui/OptionsTab.h"
#include "ui/ParamForm.h"
#include "ui/RecentWebs.h"
#include "ui/ResolveForm.h"
#include "ui/ShownText.h"
#include "ui/StartScreen.h"
#include "ui/StopDlg.h"
#include "ui/UrlTab.h"
#include "ui/WebRemoval.h"
#include "ui/WebTab.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QLineEdit>
#include <QVBoxLayout>

namespace velbrin {

namespace {

constexpr int kClientWidth = 528;
constexpr int kClientHeight = 419;
constexpr const char* kProgramCaption = "Velbrin 1.073 ";
// The FAQ page is one of the program's own help pages.
constexpr std::string_view kFaqPage = "faq.htm";

// Tab order of the notebook.
enum TabIndex { kWebTab = 0, kOptionsTab, kFileTab, kCaptureTab, kUrlTab, kMultimediaTab };

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

std::string WithoutTrailingSlash(std::string directory)
{
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

// Every box of the engine goes through the window's prompt, so that a test can
// answer it.
class TPromptBoxView : public TErrorBoxView {
public:
    explicit TPromptBoxView(TMainWinPrompts& prompts)
        : m_prompts(prompts)
    {
    }
    TModalResult ShowBox(const TBox& box) override
    {
        return m_prompts.Box ? m_prompts.Box(box) : TModalResult::None;
    }

private:
    TMainWinPrompts& m_prompts;
};

// The capture display: the capture tab draws the session; the end of a session
// is the window's business (RunCapture).
class TWindowCaptureView : public TCaptureView {
public:
    TWindowCaptureView(TCaptureView& tab, TMultimediaTab& documents, TMainWinPrompts& prompts)
        : m_tab(tab)
        , m_documents(documents)
        , m_prompts(prompts)
    {
    }
    // The failure box of a session that captured nothing is the window's error
    // box; the end itself is handled when RunCapture returns.
    TModalResult AskFailure(const TBox& box) override
    {
        return m_prompts.Box ? m_prompts.Box(box) : TModalResult::None;
    }
    void ShowEnd(const TCaptureEnd& /*end*/) override {}
    void ShowSocketRow(int socket, const TSocketRow& row) override { m_tab.ShowSocketRow(socket, row); }
    void ShowCounts(const TCaptureCounts& counts) override { m_tab.ShowCounts(counts); }
    void ShowReceived(std::int64_t kilobytes) override { m_tab.ShowReceived(kilobytes); }
    void ShowTotals(std::int64_t totalSize, std::int64_t freeDisk) override { m_tab.ShowTotals(totalSize, freeDisk); }
    void ShowClock(const std::string& duration) override { m_tab.ShowClock(duration); }
    void ListDocument(const std::string& fileName, bool show) override { m_documents.ListDocument(fileName, show); }

private:
    TCaptureView& m_tab;
    TMultimediaTab& m_documents;
    TMainWinPrompts& m_prompts;
};

const char* CommandName(TCommand command)
{
    switch (command) {
    case TCommand::New: return "NewItem";
    case TCommand::Open: return "OpenItem";
    case TCommand::Save: return "SaveItem";
    case TCommand::SaveAs: return "SaveAsItem";
    case TCommand::Close: return "CloseItem";
    case TCommand::Exit: return "ExitItem";
    case TCommand::Reset: return "ResetItem";
    case TCommand::Copy: return "CopyItem";
    case TCommand::Move: return "MoveItem";
    case TCommand::Delete: return "DeleteItem";
    case TCommand::ImageMap: return "ImageMapItem";
    case TCommand::AddUrl: return "AddUrlItem";
    case TCommand::AddBookmark: return "AddBookmarkItem";
    case TCommand::Start: return "StartItem";
    case TCommand::Stop: return "StopItem";
    case TCommand::ResolveLinks: return "ResolveLinksItem";
    case TCommand::LocalsWeb: return "LocalsWebItem";
    case TCommand::Home: return "HomeItem";
    case TCommand::HtmlPages: return "HtmlPagesItem";
    case TCommand::Images: return "ImagesItem";
    case TCommand::Setup: return "SetupItem";
    case TCommand::SaveOptions: return "SaveOptionsItem";
    case TCommand::HelpIndex: return "HelpIndexItem";
    case TCommand::Glossary: return "GlossaryItem";
    case TCommand::Faq: return "FaqItem";
    case TCommand::OtherProducts: return "OtherProductsItem";
    case TCommand::About: return "AboutItem";
    }
    return "";
}

} // namespace

std::string WindowCaption(const std::string* webName)
{
    std::string caption = kProgramCaption;
    if (webName)
        caption += "(" + *webName + ")";
    return caption;
}

std::string WebName(const std::string& title, const std::string& directory)
{
    return title.empty() ? WithoutTrailingSlash(directory) : title;
}

// --- Start-up and shut-down -----------------------------------------------------

TMainWin::TMainWin(const std::string& requestedWorkPath, QWidget* parent)
    : QMainWindow(parent)
    , m_knownWebs(std::string())
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    BuildMenus();
    BuildPanels();
    BindDefaultPrompts();

    // Its notes are not told: the desktop takes the suggested working
    // directory as its first start's answer without a box.
    TProgramStart start = StartProgramSettings(requestedWorkPath);
    if (!start.Error.empty()) {
        m_startError = start.Error;
        return;
    }
    m_settings = std::move(start.Settings);
    // Every control that opens pages in the browser shows its icon.
    m_settings->PaintBrowserIcon = [this](const std::string& exeName) {
        const QIcon icon(velbrin::PaintBrowserIcon(exeName));
        m_webTab->BrowserIcon()->setIcon(icon);
        m_urlTab->LaunchIcon()->setIcon(icon);
        m_multimediaTab->LoadIcon()->setIcon(icon);
    };
    m_settings->PaintBrowserIcon(m_settings->ExeName);
    if (!start.TlsError.empty()) {
        std::string text = start.TlsError;
        QTimer::singleShot(0, this, [this, text] { Tell("Velbrin", text); });
    }
    SetErrorBoxView(std::make_unique<TPromptBoxView>(m_prompts));
    m_captureView = std::make_unique<TWindowCaptureView>(*m_captureTab, *m_multimediaTab, m_prompts);

    std::string mimeError;
    if (LoadMimeDef(m_globalMime, WorkPath(), &mimeError) == MimeDefStatus::DefaultsUsed) {
        std::string text = std::string(kMimeDefFileName) + ": " + mimeError;
        QTimer::singleShot(0, this, [this, text] { Tell("Velbrin", text); });
    }
    m_knownWebs = TKnownWebs(WorkPath());
    m_knownWebs.Load();
    RebuildRecentMenu();
    UpdateCaption();
}

TMainWin::~TMainWin()
{
    if (!m_settings)
        return;
    try {
        m_knownWebs.Save();
    } catch (const EVelbrinError&) {
        // Nobody is left to tell.
    }
    ReleaseWeb();
    SetErrorBoxView(nullptr);
    // m_settings writes "velbrin.ini" as it goes.
}

void TMainWin::BuildMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    AddCommand(m_fileMenu, TCommand::New, QStringLiteral("&New..."));
    AddCommand(m_fileMenu, TCommand::Open, QStringLiteral("&Open..."));
    AddCommand(m_fileMenu, TCommand::Save, QStringLiteral("&Save"));
    AddCommand(m_fileMenu, TCommand::SaveAs, QStringLiteral("Save &As..."));
    AddCommand(m_fileMenu, TCommand::Close, QStringLiteral("&Close"));
    m_recentSeparator = m_fileMenu->addSeparator();
    m_recentSeparator->setData(-1);
    m_exitSeparator = m_fileMenu->addSeparator();
    AddCommand(m_fileMenu, TCommand::Exit, QStringLiteral("&Exit"));

    m_webMenu = menuBar()->addMenu(QStringLiteral("&Web"));
    AddCommand(m_webMenu, TCommand::Reset, QStringLiteral("&Reset"));
    AddCommand(m_webMenu, TCommand::Copy, QStringLiteral("&Copy..."));
    AddCommand(m_webMenu, TCommand::Move, QStringLiteral("&Move..."));
    AddCommand(m_webMenu, TCommand::Delete, QStringLiteral("&Delete"));
    m_webMenu->addSeparator();
    AddCommand(m_webMenu, TCommand::ImageMap, QStringLiteral("&Image MAP..."));
    AddCommand(m_webMenu, TCommand::AddUrl, QStringLiteral("&Add URL..."));
    AddCommand(m_webMenu, TCommand::AddBookmark, QStringLiteral("Add &Bookmark"));

    m_captureMenu = menuBar()->addMenu(QStringLiteral("&Capture"));
    AddCommand(m_captureMenu, TCommand::Start, QStringLiteral("&Start"));
    AddCommand(m_captureMenu, TCommand::Stop, QStringLiteral("Sto&p"));
    m_captureMenu->addSeparator();
    AddCommand(m_captureMenu, TCommand::ResolveLinks, QStringLiteral("&Resolve links"));

    m_htmlMenu = menuBar()->addMenu(QStringLiteral("&HTML"));
    AddCommand(m_htmlMenu, TCommand::LocalsWeb, QStringLiteral("&Locals web"));
    AddCommand(m_htmlMenu, TCommand::Home, QStringLiteral("H&ome"));
    AddCommand(m_htmlMenu, TCommand::HtmlPages, QStringLiteral("&HTML Pages"));
    AddCommand(m_htmlMenu, TCommand::Images, QStringLiteral("&Images"));

    m_preferencesMenu = menuBar()->addMenu(QStringLiteral("&Preferences"));
    AddCommand(m_preferencesMenu, TCommand::Setup, QStringLiteral("&Setup..."));
    AddCommand(m_preferencesMenu, TCommand::SaveOptions, QStringLiteral("S&ave options"));

    m_helpMenu = menuBar()->addMenu(QStringLiteral("He&lp"));
    AddCommand(m_helpMenu, TCommand::HelpIndex, QStringLiteral("&Index"));
    AddCommand(m_helpMenu, TCommand::Glossary, QStringLiteral("&Glossary"));
    AddCommand(m_helpMenu, TCommand::Faq, QStringLiteral("&FAQ"));
    AddCommand(m_helpMenu, TCommand::OtherProducts, QStringLiteral("&Other Tavo products"));
    m_helpMenu->addSeparator();
    AddCommand(m_helpMenu, TCommand::About, QStringLiteral("&About..."));
}

QAction* TMainWin::AddCommand(QMenu* menu, TCommand command, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(CommandName(command)));
    connect(action, &QAction::triggered, this, [this, command] { Run(command); });
    m_actions[command] = action;
    return action;
}

void TMainWin::BuildPanels()
{
    m_stack = new QStackedWidget(this);
    m_stack->setFixedSize(kClientWidth, kClientHeight);
    QPalette black = m_stack->palette();
    black.setColor(QPalette::Window, Qt::black);
    m_stack->setPalette(black);
    m_stack->setAutoFillBackground(true);
    setCentralWidget(m_stack);

    m_startScreen = new TStartScreen(m_stack);
    m_newButton = m_startScreen->NewButton();
    m_startQuitButton = m_startScreen->QuitButton();
    connect(m_newButton, &QPushButton::clicked, this, [this] { Run(TCommand::New); });
    connect(m_startQuitButton, &QPushButton::clicked, this, [this] { Run(TCommand::Exit); });
    m_stack->addWidget(m_startScreen);

    m_panel = new QWidget(m_stack);
    // The panel has the usual colours of the desktop, not the window's black.
    QPalette usual = QApplication::palette();
    usual.setColor(QPalette::Window, usual.color(QPalette::Window));
    m_panel->setPalette(usual);
    m_panel->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    m_tabs = new QTabWidget(m_panel);
    m_tabs->setObjectName(QStringLiteral("WebNotebook"));
    m_webTab = new TWebTab;
    m_optionsTab = new TOptionsTab;
    m_fileTab = new TFileTab;
    m_captureTab = new TCaptureTab;
    m_urlTab = new TUrlTab;
    m_multimediaTab = new TMultimediaTab;
    m_tabs->addTab(m_webTab, QStringLiteral("W&eb"));
    m_tabs->addTab(m_optionsTab, QStringLiteral("&Options"));
    m_tabs->addTab(m_fileTab, QStringLiteral("F&ile"));
    m_tabs->addTab(m_captureTab, QStringLiteral("C&apture"));
    m_tabs->addTab(m_urlTab, QStringLiteral("&URL"));
    m_tabs->addTab(m_multimediaTab, QStringLiteral("&Multimedia"));
    layout->addWidget(m_tabs, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_startButton = new QPushButton(QStringLiteral("Start"), m_panel);
    m_stopButton = new QPushButton(QStringLiteral("Stop"), m_panel);
    m_quitButton = new QPushButton(QStringLiteral("Quit"), m_panel);
    m_startButton->setObjectName(QStringLiteral("StartButton"));
    m_stopButton->setObjectName(QStringLiteral("StopButton"));
    m_quitButton->setObjectName(QStringLiteral("QuitButton"));
    for (QPushButton* button : {m_startButton, m_stopButton, m_quitButton}) {
        button->setMinimumWidth(75);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    connect(m_startButton, &QPushButton::clicked, this, [this] { Run(TCommand::Start); });
    connect(m_stopButton, &QPushButton::clicked, this, [this] { Run(TCommand::Stop); });
    connect(m_quitButton, &QPushButton::clicked, this, [this] { Run(TCommand::Exit); });
    m_stack->addWidget(m_panel);

    connect(m_webTab->HomeButton(), &QPushButton::clicked, this, [this] { Run(TCommand::Home); });
    connect(m_webTab->HtmlPagesButton(), &QPushButton::clicked, this, [this] { Run(TCommand::HtmlPages); });
    connect(m_webTab->ImagesButton(), &QPushButton::clicked, this, [this] { Run(TCommand::Images); });
    connect(m_webTab->BookmarkFolderButton(), &QPushButton::clicked, this, [this] { Run(TCommand::LocalsWeb); });
    connect(m_webTab->BrowserIcon(), &QToolButton::clicked, this, [this] {
        if (!WebHeld())
            EditSettings(kBrowserSettingsPage);
    });
    connect(m_webTab, &TWebTab::TitleEdited, this, [this] { TitleEdited(); });
    connect(m_urlTab, &TUrlTab::CreateWebRequested, this, [this](const std::string& address) {
        CreateWebFromLink(address);
    });
    connect(m_urlTab, &TUrlTab::ForceCaptureRequested, this, [this](const std::string& address) {
        ForceCaptureOf(address);
    });
    connect(m_urlTab, &TUrlTab::LaunchRequested, this, [this](const std::string& target) {
        if (m_prompts.Show)
            m_prompts.Show(target, false);
    });

    m_stack->setCurrentWidget(m_startScreen);
    // The window keeps the size of its client area and menu bar.
    layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    this->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TMainWin::BindDefaultPrompts()
{
    m_prompts.Message = [this](std::string_view caption, std::string_view text, TBoxButtons buttons) {
        return ShowMessageBox(this, caption, text, buttons);
    };
    m_prompts.Box = [this](const TBox& box) {
        TErrorDlg dialog(box, this);
        dialog.exec();
        return dialog.Result();
    };
    m_prompts.SaveFile = [this](const QString& caption, const std::string& directory,
                                const std::string& fileName) -> std::optional<std::string> {
        QFileDialog dialog(this, caption, PathText(directory));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("Web file (*.web *.WEB)"));
        dialog.setDefaultSuffix(QStringLiteral("Web"));
        if (!fileName.empty())
            dialog.selectFile(PathText(fileName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return PathBytes(dialog.selectedFiles().constFirst());
    };
    m_prompts.OpenFile = [this](const std::string& directory) -> std::optional<std::string> {
        QFileDialog dialog(this, QStringLiteral("Open a Web"), PathText(directory));
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("Web file(*.web *.WEB)"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return PathBytes(dialog.selectedFiles().constFirst());
    };
    m_prompts.NewWeb = [this](const std::string& address) -> std::optional<TNewWebAnswer> {
        TNewForm form(*m_settings, this);
        form.SetAddress(address);
        TNewFormResult result = form.Run();
        if (result == TNewFormResult::Cancel)
            return std::nullopt;
        return TNewWebAnswer{form.Address(), form.Directory(), form.Title(),
                             result == TNewFormResult::CreateAndCapture};
    };
    m_prompts.NewWebFromLink = [this](const std::string& address) -> std::optional<TNewWebAnswer> {
        TNewForm form(*m_settings, this);
        form.SetFlags(nfPathFollowsAddress);
        form.setWindowTitle(QStringLiteral("Create new Web"));
        form.SetAddress(address);
        form.SetTitle({});
        if (form.Run() == TNewFormResult::Cancel)
            return std::nullopt;
        return TNewWebAnswer{form.Address(), form.Directory(), form.Title(), false};
    };
    m_prompts.DeleteFiles = [this](const std::string& directory, int count) {
        return AskDeleteFiles(this, directory, count);
    };
    m_prompts.Address = [this](const QString& caption, const std::string& initial) {
        return AskAddress(this, caption, initial, *m_settings);
    };
    m_prompts.StopCapture = [this] { return AskStopCapture(this); };
    m_prompts.EditSettings = [this](int page) { return velbrin::EditSettings(*m_settings, page, this); };
    m_prompts.ResolveLinks = [this](TWEB& web) {
        TResolveForm form(web, m_settings->IndexParams, ReadPictureSize, this);
        return form.Run();
    };
    m_prompts.Show = [this](const std::string& target, bool activate) {
        TBrowserPrompts prompts;
        prompts.ErrorBox = [](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
            return ErrorBox(kind, text, buttons);
        };
        prompts.EditSettings = [this](int page) { return m_prompts.EditSettings && m_prompts.EditSettings(page); };
        return OpenInBrowser(*m_settings, target, activate, prompts);
    };
}

void TMainWin::Tell(std::string_view caption, std::string_view text)
{
    if (m_prompts.Message)
        m_prompts.Message(caption, text, mbOk);
}

void TMainWin::Pump() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

// --- Command line -----------------------------------------------------------------

void TMainWin::OpenRequested(const TWebRequest& request)
{
    if (!m_settings || !request.HasWork() || WebHeld())
        return;
    if (std::string problem = WebRequestProblem(request); !problem.empty()) {
        Tell("Velbrin", problem);
        return;
    }
    if (!CloseWeb())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetBusy(true);
    TRequestedWeb opened = OpenRequestedWeb(request, *m_settings, m_globalMime, ProgramDir(), [this] { Pump(); });
    SetBusy(false);
    QApplication::restoreOverrideCursor();
    // One box says what the program found on the way, and why it failed.
    std::string said;
    for (const std::string& note : opened.Notes)
        said += (said.empty() ? "" : "\r\n") + note;
    for (const std::string* last : {&opened.OptionsApplied, &opened.Error}) {
        if (!last->empty())
            said += (said.empty() ? "" : "\r\n") + *last;
    }
    if (!said.empty())
        Tell("Velbrin", said);
    if (!opened.Web)
        return;
    if (opened.Created) {
        m_knownWebs.Add(opened.ProjectFile);
        RebuildRecentMenu();
    }
    ShowWeb(std::move(opened.Web), opened.Capture);
}

// --- Showing a Web --------------------------------------------------------------------

bool TMainWin::StartScreenShown() const { return m_stack->currentWidget() == m_startScreen; }

std::string TMainWin::Caption() const
{
    if (!m_web)
        return WindowCaption(nullptr);
    std::string name = WebName(m_web->Title, m_web->Path);
    return WindowCaption(&name);
}

void TMainWin::UpdateCaption() { setWindowTitle(ShownText(Caption())); }

void TMainWin::ShowWeb(std::unique_ptr<TWEB> web, bool capture)
{
    if (!web || WebHeld())
        return;
    m_stack->setCurrentWidget(m_panel);
    m_tabs->setCurrentIndex(kWebTab);
    m_urlTab->Follow(nullptr);
    m_web = std::move(web);
    m_urlTab->Follow(m_web.get());
    // The URL list and the Multimedia tab follow the records as they change.
    m_web->LinksChanged = [this](const TWebFile* record) {
        m_urlTab->LinkChanged(record);
        if (m_web)
            m_multimediaTab->LinkChanged(*m_web, record);
    };
    WebToControls();
    UpdateCaption();
    if (!m_web->FileName.empty()) {
        m_knownWebs.Add(m_web->FileName);
        RebuildRecentMenu();
    }
    m_capturing = false;
    UpdateCommands();
    Pump();
    if (capture)
        QTimer::singleShot(0, this, [this] { RunCapture(); });
}

void TMainWin::ShowStartScreen()
{
    m_multimediaTab->Clear();
    m_stack->setCurrentWidget(m_startScreen);
    UpdateCommands();
    UpdateCaption();
}

void TMainWin::WebToControls()
{
    if (!m_web)
        return;
    m_webTab->WebToControls(*m_web);
    m_optionsTab->WebToControls(*m_web);
    m_fileTab->WebToControls(*m_web);
    m_captureTab->WebToControls(*m_web);
    m_urlTab->WebToControls(*m_web);
    m_multimediaTab->WebToControls(*m_web);
}

void TMainWin::ControlsToWeb()
{
    if (!m_web)
        return;
    m_webTab->ControlsToWeb(*m_web);
    m_optionsTab->ControlsToWeb(*m_web);
    m_fileTab->ControlsToWeb(*m_web);
    m_urlTab->ControlsToWeb(*m_web);
    m_multimediaTab->ControlsToWeb(*m_web);
    WebToControls();
}

std::string TMainWin::WebFileIn(std::string_view name) const
{
    return m_web ? m_web->Path + std::string(name) : std::string();
}

void TMainWin::SetBusy(bool busy)
{
    m_busy = busy;
    UpdateCommands();
    if (m_stack->currentWidget() == m_panel)
        m_quitButton->setFocus();
}

void TMainWin::AllowOnlyCaptureTabs(bool capturing)
{
    for (int i = 0; i < m_tabs->count(); ++i)
        m_tabs->setTabEnabled(i, !capturing || i == kCaptureTab || i == kMultimediaTab);
}

void TMainWin::UpdateCommands()
{
    Action(TCommand::Glossary)->setEnabled(FileExists(ProgramDir() + "help/glossair.htm"));
    Action(TCommand::HelpIndex)->setEnabled(FileExists(ProgramDir() + "help/index.htm"));

    auto enable = [this](TCommand command, bool on) { Action(command)->setEnabled(on); };
    if (!m_web) {
        enable(TCommand::Save, false);
        enable(TCommand::SaveAs, false);
        enable(TCommand::Close, false);
        m_fileMenu->menuAction()->setEnabled(true);
        m_webMenu->menuAction()->setEnabled(false);
        m_captureMenu->menuAction()->setEnabled(false);
        m_htmlMenu->menuAction()->setEnabled(false);
        m_preferencesMenu->menuAction()->setEnabled(true);
        enable(TCommand::Setup, true);
        enable(TCommand::SaveOptions, false);
        AllowOnlyCaptureTabs(false);
        m_newButton->setFocus();
    } else if (m_capturing || m_running) {
        // The closing steps of a capture keep the capture's commands.
        m_stopButton->setEnabled(m_capturing);
        m_startButton->setEnabled(false);
        m_stopButton->setFocus();
        m_captureTab->SetCapturing(true);
        m_fileMenu->menuAction()->setEnabled(false);
        m_webMenu->menuAction()->setEnabled(false);
        m_htmlMenu->menuAction()->setEnabled(false);
        m_captureMenu->menuAction()->setEnabled(true);
        enable(TCommand::Start, false);
        enable(TCommand::Stop, m_capturing);
        enable(TCommand::ResolveLinks, false);
        m_preferencesMenu->menuAction()->setEnabled(false);
        AllowOnlyCaptureTabs(true);
    } else {
        m_startButton->setEnabled(true);
        m_stopButton->setEnabled(false);
        m_startButton->setFocus();
        m_captureTab->SetCapturing(false);
        m_fileMenu->menuAction()->setEnabled(true);
        enable(TCommand::Save, true);
        enable(TCommand::SaveAs, true);
        enable(TCommand::Close, true);
        m_webMenu->menuAction()->setEnabled(true);
        enable(TCommand::ImageMap, m_web->MapList.Count() > 0);
        m_htmlMenu->menuAction()->setEnabled(true);
        m_captureMenu->menuAction()->setEnabled(true);
        enable(TCommand::Start, true);
        enable(TCommand::Stop, false);
        const bool hasPage = m_web->CapturedCount > 0
                             && m_web->Tree.CountFiles([](const TWebFile& file) {
                                    return file.State == StateCapturedPage;
                                }) > 0;
        enable(TCommand::ResolveLinks, hasPage);
        m_preferencesMenu->menuAction()->setEnabled(true);
        enable(TCommand::Setup, true);
        enable(TCommand::SaveOptions, true);
        AllowOnlyCaptureTabs(false);
    }

    if (m_web) {
        const bool home = FileExists(WebFileIn(kHomePageName));
        const bool pages = FileExists(WebFileIn("_IxH.htm"));
        const bool images = FileExists(WebFileIn("_IxI.htm"));
        const bool bookmarks = !m_settings->BookmarkFile.empty() && FileExists(m_settings->BookmarkFile);
        enable(TCommand::Home, home);
        m_webTab->HomeButton()->setEnabled(home);
        enable(TCommand::HtmlPages, pages);
        m_webTab->HtmlPagesButton()->setEnabled(pages);
        enable(TCommand::Images, images);
        m_webTab->ImagesButton()->setEnabled(images);
        enable(TCommand::LocalsWeb, bookmarks);
        enable(TCommand::AddBookmark, bookmarks);
        m_webTab->BookmarkFolderButton()->setEnabled(bookmarks);
        QString folder = ShownText(m_settings->BookmarkFolder);
        Action(TCommand::LocalsWeb)->setText(QString(folder).replace(QLatin1Char('&'), QLatin1String("&&")));
        m_webTab->BookmarkFolderButton()->setText(QString(folder).replace(QLatin1Char('&'), QLatin1String("&&")));
    }

    // Loading or saving: the File, HTML and Preferences menus wait.
    if (m_busy || m_running) {
        m_fileMenu->menuAction()->setEnabled(false);
        m_htmlMenu->menuAction()->setEnabled(false);
        m_preferencesMenu->menuAction()->setEnabled(false);
    }
}

void TMainWin::RebuildRecentMenu()
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const TStringList& webs = m_knownWebs.Items();
    const int count = std::min<int>(static_cast<int>(webs.size()), kRecentEntries);
    for (int n = 1; n <= count; ++n) {
        auto* action = new QAction(RecentEntryCaption(n, RecentWebName(webs[n - 1])), m_fileMenu);
        action->setData(n);
        action->setObjectName(QStringLiteral("RecentItem%1").arg(n));
        connect(action, &QAction::triggered, this, [this, n] { OpenRecent(n); });
        m_fileMenu->insertAction(m_exitSeparator, action);
        m_recentActions.push_back(action);
    }
    m_exitSeparator->setVisible(count > 0);
    if (m_settings)
        UpdateCommands();
}

// --- Commands ---------------------------------------------------------------------------

void TMainWin::Run(TCommand command)
{
    if (!m_settings)
        return;
    switch (command) {
    case TCommand::New: NewWeb(); break;
    case TCommand::Open: OpenWeb(); break;
    case TCommand::Save:
        if (m_web && !WebHeld() && !m_capturing) {
            ControlsToWeb();
            SaveWeb();
        }
        break;
    case TCommand::SaveAs:
        if (m_web && !WebHeld() && !m_capturing)
            SaveWebAs();
        break;
    case TCommand::Close:
        if (!m_capturing)
            CloseWeb();
        break;
    case TCommand::Exit:
        if (!m_busy)
            close();
        break;
    case TCommand::Reset: ResetWeb(); break;
    case TCommand::Copy: CopyWeb(false); break;
    case TCommand::Move: CopyWeb(true); break;
    case TCommand::Delete: DeleteWeb(); break;
    case TCommand::ImageMap:
        if (m_web && !WebHeld() && !m_capturing) {
            TMapEditDlg editor(*m_web, this);
            editor.Run();
            WebToControls();
        }
        break;
    case TCommand::AddUrl: AddUrl(); break;
    case TCommand::AddBookmark:
        if (m_web && !WebHeld())
            AddBookmark();
        break;
    case TCommand::Start:
        if (!m_busy)
            RunCapture();
        break;
    case TCommand::Stop: StopCaptureCommand(); break;
    case TCommand::ResolveLinks: ResolveLinksCommand(); break;
    case TCommand::LocalsWeb: ShowLocalsWeb(); break;
    case TCommand::Home: ShowWebPage(kHomePageName, true); break;
    case TCommand::HtmlPages: ShowWebPage("_IxH.htm", false); break;
    case TCommand::Images: ShowWebPage("_IxI.htm", false); break;
    case TCommand::Setup:
        if (!WebHeld() && !m_capturing)
            EditSettings(0);
        break;
    case TCommand::SaveOptions: SaveOptions(); break;
    case TCommand::HelpIndex: ShowHelp("index.htm"); break;
    case TCommand::Glossary: ShowHelp("glossair.htm"); break;
    case TCommand::Faq: ShowHelp(kFaqPage); break;
    case TCommand::OtherProducts: ShowHelp("tavosoft.htm"); break;
    case TCommand::About: {
        TAboutDlg about(this);
        about.exec();
        break;
    }
    }
}

void TMainWin::NewWeb()
{
    if (WebHeld() || m_capturing || !CloseWeb())
        return;
    std::optional<TNewWebAnswer> answer = m_prompts.NewWeb ? m_prompts.NewWeb(m_settings->Url) : std::nullopt;
    if (!answer)
        return;
    std::string projectFile = ExpandFileName(ExtractFilePath(answer->Directory) + "Local.Web");
    std::string directory = ExtractFilePath(projectFile);
    std::string address = ResolveUrl(answer->Address, "");
    m_settings->Url = address;

    if (int count = CountEntries(directory); count > 0) {
        TDeleteFilesAnswer choice =
            m_prompts.DeleteFiles ? m_prompts.DeleteFiles(directory, count) : TDeleteFilesAnswer::Cancel;
        if (choice == TDeleteFilesAnswer::Cancel)
            return;
        if (choice == TDeleteFilesAnswer::Delete) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            Pump();
            DeleteFilesOf(directory);
            QApplication::restoreOverrideCursor();
        }
    }
    auto web = std::make_unique<TWEB>(*m_settings, ProgramDir());
    if (!web->Init(address, directory, m_globalMime)) {
        Tell("New Web", "Cannot create the capture directory " + directory);
        return;
    }
    web->FileName = projectFile;
    web->Title = answer->Title;
    ShowWeb(std::move(web), answer->Capture);
}

void TMainWin::OpenWeb()
{
    if (WebHeld() || m_capturing || !CloseWeb())
        return;
    std::optional<std::string> file = m_prompts.OpenFile ? m_prompts.OpenFile(WorkPath()) : std::nullopt;
    if (file && FileExists(*file))
        OpenProject(*file);
}

void TMainWin::OpenRecent(int n)
{
    const TStringList& webs = m_knownWebs.Items();
    if (n < 1 || n > static_cast<int>(webs.size()) || WebHeld() || m_capturing)
        return;
    std::string projectFile = webs[n - 1];
    if (!CloseWeb())
        return;
    OpenProject(projectFile);
}

void TMainWin::OpenProject(const std::string& projectFile)
{
    auto web = std::make_unique<TWEB>(*m_settings, ProgramDir());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetBusy(true);
    bool loaded = web->LoadFromFile(projectFile, [this] { Pump(); });
    SetBusy(false);
    QApplication::restoreOverrideCursor();
    if (!loaded) {
        Tell("Open a Web", "Cannot load the project file " + projectFile);
        return;
    }
    ShowWeb(std::move(web), false);
}

bool TMainWin::CloseWeb()
{
    if (WebHeld() || m_capturing)
        return false;
    if (m_web) {
        ControlsToWeb();
        if (!m_web->FileName.empty()) {
            if (!SaveWeb())
                return false;
        } else {
            TModalResult answer = m_prompts.Message ? m_prompts.Message("Close Web", "Save current Web?",
                                                                         mbYes | mbNo | mbCancel)
                                                    : TModalResult::Cancel;
            if (answer == TModalResult::Cancel || answer == TModalResult::None)
                return false;
            if (answer == TModalResult::Yes && !SaveWeb())
                return false;
        }
        ReleaseWeb();
    }
    ShowStartScreen();
    return true;
}

bool TMainWin::SaveWeb()
{
    if (!m_web)
        return false;
    if (m_web->FileName.empty())
        return SaveWebAs();
    return WriteWeb(*m_web);
}

bool TMainWin::SaveWebAs()
{
    if (!m_web)
        return false;
    std::string directory;
    std::string fileName;
    if (!m_web->FileName.empty()) {
        directory = ExtractFilePath(m_web->FileName);
        fileName = ExtractFileName(m_web->FileName);
    } else {
        directory = m_web->Path;
        fileName = GetShortName(m_web->Url) + ".WEB";
    }
    std::optional<std::string> chosen =
        m_prompts.SaveFile ? m_prompts.SaveFile(QStringLiteral("Saave Web tree"), directory, fileName) : std::nullopt;
    if (!chosen)
        return false;
    std::string previous = m_web->FileName;
    m_web->FileName = ExpandFileName(*chosen);
    if (!WriteWeb(*m_web)) {
        m_web->FileName = previous;
        return false;
    }
    UpdateCaption();
    return true;
}

bool TMainWin::WriteWeb(TWEB& web)
{
    std::string fileName = web.FileName;
    m_knownWebs.Remove(fileName);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetBusy(true);
    Pump();
    std::string error;
    try {
        web.SaveToFile(fileName, [this] { Pump(); });
    } catch (const EVelbrinError& e) {
        error = e.what();
    }
    SetBusy(false);
    QApplication::restoreOverrideCursor();
    // A Web that could not be written is still the one the user works with.
    m_knownWebs.Add(fileName);
    RebuildRecentMenu();
    if (!error.empty()) {
        Tell("Save Web", error);
        return false;
    }
    return true;
}

void TMainWin::ResetWeb()
{
    if (!m_web || WebHeld() || m_capturing || m_web->CapturedCount == 0)
        return;
    TModalResult answer =
        m_prompts.Message("Reset Web",
                          "This action will delete all created files as well as all links to URL\r\nContinue?",
                          mbYes | mbNo);
    if (answer != TModalResult::Yes)
        return;
    ControlsToWeb();
    SetBusy(true);
    Pump();
    m_web->Clean();
    SetBusy(false);
    WebToControls();
    UpdateCommands();
}

void TMainWin::CopyWeb(bool move)
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    const QString caption = move ? QStringLiteral("Move Web") : QStringLiteral("Copy Web");
    std::string source = m_web->FileName.empty() ? m_web->Path + std::string(kProjectFileName) : m_web->FileName;
    std::optional<std::string> chosen =
        m_prompts.SaveFile(caption, ExtractFilePath(source), ExtractFileName(source));
    if (!chosen)
        return;
    std::string destination = ExpandFileName(*chosen);
    if (move && !m_web->FileName.empty())
        m_knownWebs.Remove(m_web->FileName);
    std::string error;
    bool copied = false;
    {
        TCopyDlg progress(caption, LowerCase(source), LowerCase(destination), this);
        progress.show();
        SetBusy(true);
        Pump();
        copied = m_web->WebCopy(destination, move,
                                [this, &progress](const std::string& file, int done, int total) {
                                    progress.ShowProgress(file, done, total);
                                    Pump();
                                },
                                &error);
        SetBusy(false);
    }
    WebToControls();
    UpdateCaption();
    if (!m_web->FileName.empty())
        m_knownWebs.Add(m_web->FileName);
    RebuildRecentMenu();
    if (!copied)
        Tell(move ? "Move Web" : "Copy Web", error);
}

void TMainWin::DeleteWeb()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    const bool keepDirectory = IsProtectedDirectory(m_web->Path, ProtectedDirectories());
    TModalResult answer = TModalResult::No;
    if (!keepDirectory) {
        answer = m_prompts.Message("Delete the Web ", "Delete associated directory?", mbYes | mbNo | mbCancel);
        if (answer == TModalResult::Cancel || answer == TModalResult::None)
            return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetBusy(true);
    try {
        TBookMarks bookmarks;
        RemoveWebBookmark(bookmarks, *m_settings, m_web->Path);
    } catch (const EVelbrinError&) {
        // A bookmark file that cannot be written keeps the bookmark; the Web goes all the same.
    }
    Pump();
    m_web->Clean();
    std::string error;
    if (answer == TModalResult::Yes) {
        error = DeleteWebDirectory(m_web->Path);
    } else if (!m_web->FileName.empty()) {
        DeleteFile(m_web->FileName);
    }
    SetBusy(false);
    QApplication::restoreOverrideCursor();
    if (!error.empty()) {
        // The captured files are gone; the Web stays open.
        WebToControls();
        UpdateCommands();
        Tell("Delete the Web ", error);
        return;
    }
    if (!m_web->FileName.empty())
        m_knownWebs.Remove(m_web->FileName);
    ReleaseWeb();
    RebuildRecentMenu();
    CloseWeb();
}

void TMainWin::ReleaseWeb()
{
    m_urlTab->Follow(nullptr);
    m_web.reset();
}

void TMainWin::ForceCaptureOf(const std::string& address)
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    ForceCapture(*m_web, address);
}

void TMainWin::CreateWebFromLink(const std::string& address)
{
    if (!m_web || WebHeld() || m_capturing || !m_prompts.NewWebFromLink)
        return;
    const TWebFile* record = m_web->Tree.FindFile(address);
    if (!record || record->State != StateFiltered)
        return;
    std::optional<TNewWebAnswer> answer = m_prompts.NewWebFromLink(ResolveUrl(address, ""));
    if (!answer)
        return;
    std::string projectFile = ExpandFileName(ExtractFilePath(answer->Directory) + "Local.Web");
    std::string directory = ExtractFilePath(projectFile);
    // Another Web's project or directory (the open one's included) is never
    // taken over.
    if (FileExists(projectFile) || projectFile == m_web->FileName || directory == m_web->Path) {
        Tell("Create new Web", "The directory " + directory + " holds a Web already: " + projectFile);
        return;
    }
    TWEB web(*m_settings, ProgramDir());
    if (!web.Init(ResolveUrl(answer->Address, ""), directory, m_globalMime)) {
        Tell("Create new Web", "Cannot create the capture directory " + directory);
        return;
    }
    web.FileName = projectFile;
    web.Title = answer->Title;
    WriteWeb(web);
}

void TMainWin::AddUrl()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    std::optional<std::string> address =
        m_prompts.Address(QStringLiteral("Add URL to the web"), std::string("http://www."));
    if (!address)
        return;
    TLinkItem item;
    item.LinkType = LinkTypePage;
    item.Url = ResolveUrl(*address, "");
    m_web->NewLink(item, nullptr);
    WebToControls();
}

void TMainWin::ChangeWebAddress()
{
    if (!m_web)
        return;
    std::optional<std::string> address = m_prompts.Address(QStringLiteral("New web adress"), m_web->Url);
    if (!address)
        return;
    m_web->Reinit(ResolveUrl(*address, ""));
    WebToControls();
    m_tabs->setCurrentIndex(kWebTab);
    UpdateCaption();
    UpdateCommands();
}

void TMainWin::AddBookmark()
{
    if (!m_web)
        return;
    TBrowserPrompts prompts;
    prompts.ErrorBox = [](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
        return ErrorBox(kind, text, buttons);
    };
    prompts.EditSettings = [this](int page) { return m_prompts.EditSettings && m_prompts.EditSettings(page); };
    try {
        TBookMarks bookmarks;
        AddWebBookmark(bookmarks, *m_settings, TWebBookmark{m_web->Path, m_web->Title, m_web->Url}, prompts);
    } catch (const EVelbrinError& e) {
        Tell("Error", e.what());
    }
    UpdateCommands();
}

void TMainWin::TitleEdited()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    std::string title = StoredText(m_webTab->TitleEdit()->text());
    if (title == m_web->Title)
        return;
    m_web->Title = title;
    UpdateCaption();
    AddBookmark();
}

void TMainWin::ShowWebPage(std::string_view fileName, bool takeControls)
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    if (takeControls)
        ControlsToWeb();
    std::string page = WebFileIn(fileName);
    if (FileExists(page) && m_prompts.Show)
        m_prompts.Show(page, true);
}

void TMainWin::ShowLocalsWeb()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    ControlsToWeb();
    if (!m_settings->BookmarkFile.empty() && FileExists(m_settings->BookmarkFile) && m_prompts.Show)
        m_prompts.Show(m_settings->BookmarkFile, true);
}

void TMainWin::ShowHelp(std::string_view fileName)
{
    std::string page = ProgramDir() + "help/" + std::string(fileName);
    if (FileExists(page) && m_prompts.Show)
        m_prompts.Show(page, true);
}

void TMainWin::EditSettings(int page)
{
    if (m_prompts.EditSettings)
        m_prompts.EditSettings(page);
    RebuildRecentMenu();
}

void TMainWin::SaveOptions()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    ControlsToWeb();
    m_settings->DefaultOptions = m_web->Options;
    try {
        m_settings->WriteSettings();
    } catch (const EVelbrinError& e) {
        Tell("Save options", e.what());
    }
}

// --- Capture -------------------------------------------------------------------------

void TMainWin::RunCapture()
{
    if (!m_web || m_busy || m_running || m_capturing)
        return;
    ControlsToWeb();
    m_captureTab->ResetRows();
    const int page = m_tabs->currentIndex();
    m_tabs->setCurrentIndex(kCaptureTab);
    m_running = true;
    m_capturing = true;
    m_quitRequested = false;
    m_closeRequests = 0;
    UpdateCommands();

    TWEB& web = *m_web;
    TCaptureSteps steps;
    steps.SessionChanged = [this](TCapture* session) {
        m_session = session;
        if (!session)
            m_capturing = false;
    };
    steps.SaveWeb = [this] { return SaveWeb(); };
    steps.ResolveLinks = [this] { ResolveLinksStep(); };
    steps.AddBookmark = [this] { AddBookmark(); };
    steps.ShowHomePage = [this] {
        std::string home = WebFileIn(kHomePageName);
        if (FileExists(home) && m_prompts.Show)
            m_prompts.Show(home, true);
    };
    TCaptureEnd end = velbrin::RunCapture(web, *m_settings, m_globalMime, *m_captureView, steps);
    m_session = nullptr;
    m_capturing = false;
    m_running = false;

    RebuildRecentMenu();
    WebToControls();
    m_tabs->setCurrentIndex(page);
    UpdateCaption();
    UpdateCommands();
    if (m_quitRequested) {
        m_closeRequests = 0;
        close();
        return;
    }
    if (end.RenameRequested)
        ChangeWebAddress();
}

void TMainWin::StopCaptureCommand()
{
    if (!m_capturing || !m_session)
        return;
    std::optional<bool> abortAll = m_prompts.StopCapture ? m_prompts.StopCapture() : std::nullopt;
    // The session may have ended while the question was open.
    if (abortAll && m_session)
        m_session->StopSession(*abortAll);
}

void TMainWin::ResolveLinksStep()
{
    if (!m_web || !m_prompts.ResolveLinks)
        return;
    SetBusy(true);
    m_prompts.ResolveLinks(*m_web);
    SetBusy(false);
}

void TMainWin::ResolveLinksCommand()
{
    if (!m_web || WebHeld() || m_capturing)
        return;
    ControlsToWeb();
    if (m_web->Tree.CountFiles([](const TWebFile& file) { return file.State == StateCapturedPage; }) > 0)
        ResolveLinksStep();
    SaveWeb();
    WebToControls();
    UpdateCommands();
}

// --- Closing the window ---------------------------------------------------------------

void TMainWin::closeEvent(QCloseEvent* event)
{
    if (!m_settings) {
        event->accept();
        return;
    }
    if (m_busy) {
        event->ignore();
        return;
    }
    if (m_capturing) {
        if (m_closeRequests < 2) {
            TModalResult answer =
                m_prompts.Message("Quit Velbrin", "There is a capture in progress. Abort?", mbOk | mbCancel);
            if (answer == TModalResult::Ok && m_capturing) {
                if (m_session)
                    m_session->StopCapture();
                m_quitRequested = true;
                ++m_closeRequests;
            }
        } else {
            // Asked twice: no more questions. The session holds the Web until
            // it has ended; the window closes then.
            if (m_session)
                m_session->StopCapture();
            m_quitRequested = true;
        }
        event->ignore();
        return;
    }
    if (m_running) {
        // The closing steps of a capture hold the Web: close after them.
        m_quitRequested = true;
        event->ignore();
        return;
    }
    m_closeRequests = 0;
    if (CloseWeb())
        event->accept();
    else
        event->ignore();
}

} // namespace velbrin
