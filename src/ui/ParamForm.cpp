#include "ui/ParamForm.h"

#include "browser/BookmarkFileLocation.h"
#include "browser/Bookmarks.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "config/XdgDirs.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "net/TlsSettings.h"
#include "ui/BrowserIcon.h"
#include "ui/DirectoryDlg.h"
#include "ui/MessageBoxes.h"
#include "ui/ShownText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include <limits>

namespace velbrin {

namespace {

constexpr const char* kDefaultBookmarkFolder = "Local webs";
constexpr const char* kBookmarkFileTitleError = "It is not a valid bookmarks file!";
// Kept texts are cut at 255 bytes; the fields do not take more.
constexpr int kFieldMax = 255;

QString PathText(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }
std::string PathBytes(const QString& path) { return QFile::encodeName(path).toStdString(); }

QSpinBox* NumberField(QWidget* parent, const char* name, int minimum, int maximum, int step = 1)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setRange(minimum, maximum);
    field->setSingleStep(step);
    const int digits = static_cast<int>(QString::number(maximum).size());
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString(std::max(digits, 3), QLatin1Char('0'))) + 36);
    return field;
}

QLineEdit* TextField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(kFieldMax);
    return field;
}

QCheckBox* CheckField(QWidget* parent, const QString& caption, const char* name)
{
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromLatin1(name));
    return check;
}

QPushButton* Button(QWidget* parent, const QString& caption, const char* name)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// A field and its button side by side.
QHBoxLayout* Row(QWidget* field, QWidget* button)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

// "~" and "~/..." name the home directory.
std::string ExpandHome(std::string path)
{
    if (path == "~" || path.starts_with("~/")) {
        std::string home = HomeDirectory();
        if (!home.empty())
            path = home + (path.size() > 2 ? path.substr(2) : std::string());
    }
    return path;
}

// The directory of a file name, or the name itself when it names a directory.
std::string StartDirectory(const std::string& fileName)
{
    if (fileName.empty())
        return {};
    if (DirectoryExists(fileName))
        return fileName;
    return ExtractFilePath(fileName);
}

} // namespace

TSetupPage SetupPageOf(int page)
{
    const int index = (page & 0x7F) - 1;
    if (page == 0 || index < 0 || index >= kSetupPageCount)
        return TSetupPage::Communication;
    return static_cast<TSetupPage>(index);
}

TParamForm::TParamForm(TParam& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setWindowTitle(tr("Velbrin Setup"));
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("Pages"));
    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("PageTabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);

    AddPage(MakeCommunicationPage(), tr("&Communication"));
    AddPage(MakeDirectoriesPage(), tr("&Directories"));
    AddPage(MakeBrowserPage(), tr("&Browser"));
    AddPage(MakeHtmlPage(), tr("&HTML Pages"));
    // Either side may move: the tab set and the page stack follow each other.
    connect(m_tabs, &QTabBar::currentChanged, m_pages, &QStackedWidget::setCurrentIndex);
    connect(m_pages, &QStackedWidget::currentChanged, m_tabs, &QTabBar::setCurrentIndex);

    auto* ok = Button(this, tr("&OK"), "OKButton");
    ok->setDefault(true);
    auto* cancel = Button(this, tr("&Cancel"), "CancelButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_tabs);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Prompts.Message = [this](std::string_view caption, std::string_view text, TBoxButtons buttons) {
        return ShowMessageBox(this, caption, text, buttons, TBoxIcon::Error);
    };
    Prompts.OpenFile = [this](const QString& caption, const QString& filter, const std::string& start,
                              bool mustExist) -> std::optional<std::string> {
        QFileDialog dialog(this, caption, PathText(StartDirectory(start)), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (!start.empty() && !DirectoryExists(start))
            dialog.selectFile(PathText(ExtractFileName(start)));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return PathBytes(dialog.selectedFiles().constFirst());
    };
    Prompts.ChooseDirectory = [this](const std::string& initial) {
        return velbrin::ChooseDirectory(this, tr("Default capture directory"), initial, true);
    };

    SettingsToControls();
}

TParamForm::~TParamForm() = default;

void TParamForm::AddPage(QWidget* page, const QString& tab)
{
    m_pages->addWidget(page);
    m_tabs->addTab(tab);
}

QWidget* TParamForm::MakeCommunicationPage()
{
    auto* page = new QWidget(this);
    auto* group = new QGroupBox(tr(" Communication &parameters "), page);
    m_maxSockets = NumberField(group, "MaxSocketsEdit", 1, kMaxSocketCount);
    m_timeout = NumberField(group, "TimeoutEdit", 0, std::numeric_limits<std::int32_t>::max());
    m_useProxy = CheckField(group, tr("&Use proxy "), "UseProxyCheck");
    m_proxyAddress = TextField(group, "ProxyAdressEdit");
    m_proxyPort = NumberField(group, "ProxyPortEdit", 0, 65535);
    m_tryCount = NumberField(group, "TryCountEdit", 1, kMaxTryCount);

    auto* timeout = new QHBoxLayout;
    timeout->addWidget(m_timeout);
    timeout->addWidget(new QLabel(tr("seconds"), group));
    timeout->addStretch(1);
    auto* form = new QFormLayout(group);
    form->addRow(tr("Sockets count:"), m_maxSockets);
    form->addRow(tr("Connection timeout:"), timeout);
    form->addRow(m_useProxy);
    form->addRow(tr("Address:"), m_proxyAddress);
    form->addRow(tr("Port:"), m_proxyPort);
    form->addRow(tr("Connection trials before error:"), m_tryCount);

    auto* secure = new QGroupBox(tr(" Secure connections (https) "), page);
    m_caCertificates = TextField(secure, "CaCertificatesEdit");
    auto* browse = Button(secure, tr("Brow&se..."), "CaCertificatesBrowseButton");
    m_ignoreCertificateErrors =
        CheckField(secure, tr("Accept any server certificate (&not safe)"), "IgnoreCertificateErrorsCheck");
    auto* caption = new QLabel(tr("Trusted certificate authorities (PEM file):"), secure);
    caption->setBuddy(m_caCertificates);
    auto* secureLayout = new QVBoxLayout(secure);
    secureLayout->addWidget(caption);
    secureLayout->addLayout(Row(m_caCertificates, browse));
    secureLayout->addWidget(m_ignoreCertificateErrors);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addWidget(secure);
    layout->addStretch(1);

    connect(m_useProxy, &QCheckBox::toggled, this, [this] { ApplyProxy(); });
    // A proxy without an address is no proxy.
    connect(m_proxyAddress, &QLineEdit::editingFinished, this, [this] {
        if (m_useProxy->isChecked() && m_proxyAddress->text().trimmed().isEmpty())
            m_useProxy->setChecked(false);
    });
    connect(browse, &QPushButton::clicked, this, [this] { BrowseCaCertificates(); });
    return page;
}

QWidget* TParamForm::MakeDirectoriesPage()
{
    auto* page = new QWidget(this);
    auto* group = new QGroupBox(tr(" &Save "), page);
    m_path = TextField(group, "PathEdit");
    m_path->setMinimumWidth(300);
    auto* browse = Button(group, tr("&Browse..."), "PathBrowseButton");
    auto* caption = new QLabel(tr("&Default capture directory:"), group);
    caption->setBuddy(m_path);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(caption);
    groupLayout->addLayout(Row(m_path, browse));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(group);
    layout->addStretch(1);
    connect(browse, &QPushButton::clicked, this, [this] { BrowseCaptureDirectory(); });
    return page;
}

QWidget* TParamForm::MakeBrowserPage()
{
    auto* page = new QWidget(this);
    auto* browser = new QGroupBox(tr(" Browser "), page);
    m_browserAuto = CheckField(browser, tr(" Automatic search for a browser."), "BrowserAutoCheck");
    m_exeName = new QComboBox(browser);
    m_exeName->setObjectName(QStringLiteral("ExeNameCombo"));
    m_exeName->setEditable(true);
    m_exeName->setInsertPolicy(QComboBox::NoInsert);
    m_exeName->lineEdit()->setMaxLength(kFieldMax);
    m_exeName->setMinimumWidth(260);
    m_exeName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_browseBrowser = Button(browser, tr("B&rowse..."), "ExeNameBrowseButton");
    m_browserIcon = new QLabel(browser);
    m_browserIcon->setObjectName(QStringLiteral("BrowserIconImage"));
    m_browserIcon->setFixedSize(kBrowserIconSize, kBrowserIconSize);
    m_browserIcon->setScaledContents(true);
    m_autoLaunch = CheckField(browser, tr(" Launch at end of capture."), "AutoLaunchCheck");

    auto* path = new QHBoxLayout;
    path->addWidget(new QLabel(tr("Path:"), browser));
    path->addWidget(m_exeName, 1);
    path->addWidget(m_browseBrowser);
    path->addWidget(m_browserIcon);
    auto* browserLayout = new QVBoxLayout(browser);
    browserLayout->addWidget(m_browserAuto);
    browserLayout->addLayout(path);
    browserLayout->addWidget(m_autoLaunch);

    auto* bookmarks = new QGroupBox(tr(" Bookmarks "), page);
    m_bookmarkFile = TextField(bookmarks, "BookmarkFileEdit");
    auto* browseBookmarks = Button(bookmarks, tr("Br&owse..."), "BookmarkFileBrowseButton");
    m_bookmarkFolder = TextField(bookmarks, "BookmarkFolderEdit");
    m_autoAddBookmark = CheckField(bookmarks, tr(" Add a bookmark automatically."), "AutoAddBookmarkCheck");
    auto* form = new QFormLayout(bookmarks);
    form->addRow(tr("Bookmark file:"), Row(m_bookmarkFile, browseBookmarks));
    form->addRow(tr("Folder name:"), m_bookmarkFolder);
    form->addRow(m_autoAddBookmark);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(browser);
    layout->addWidget(bookmarks);
    layout->addStretch(1);

    connect(m_browserAuto, &QCheckBox::clicked, this, [this](bool checked) { BrowserAutoClicked(checked); });
    connect(m_browseBrowser, &QPushButton::clicked, this, [this] { BrowseBrowser(); });
    connect(m_exeName, &QComboBox::activated, this,
            [this](int index) { AcceptBrowserPath(StoredText(m_exeName->itemText(index))); });
    connect(m_exeName->lineEdit(), &QLineEdit::textEdited, this, [this] { m_browserTyped = true; });
    connect(m_exeName->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        if (m_browserTyped)
            AcceptBrowserPath(BrowserText());
    });
    m_exeName->lineEdit()->installEventFilter(this);
    connect(browseBookmarks, &QPushButton::clicked, this, [this] { BrowseBookmarkFile(); });
    return page;
}

QWidget* TParamForm::MakeHtmlPage()
{
    auto* page = new QWidget(this);
    auto* images = new QGroupBox(tr(" Images index "), page);
    m_imgColByPage = NumberField(images, "ImgColByPageEdit", 2, 10);
    m_imgLigByPage = NumberField(images, "ImgLigByPageEdit", 2, 10);
    m_imgSize = NumberField(images, "ImgSizeEdit", 16, 128, 2);
    m_imgSizeMin = NumberField(images, "ImgSizeMinEdit", 0, 800, 2);
    m_imgRatio = CheckField(images, tr("Save image ratio."), "ImgRatioCheck");
    auto* imageForm = new QFormLayout(images);
    imageForm->addRow(tr("Columns count:"), m_imgColByPage);
    imageForm->addRow(tr("Rows count:"), m_imgLigByPage);
    imageForm->addRow(tr("Image size N x N:"), m_imgSize);
    imageForm->addRow(tr("Lowest size filter:"), m_imgSizeMin);
    imageForm->addRow(m_imgRatio);

    auto* others = new QGroupBox(tr(" Other pages... "), page);
    m_ligByPage = NumberField(others, "LigByPageEdit", 2, 50);
    auto* otherForm = new QFormLayout(others);
    otherForm->addRow(tr("Rows by page:"), m_ligByPage);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(images);
    layout->addWidget(others);
    layout->addStretch(1);
    return page;
}

void TParamForm::SettingsToControls()
{
    const TParam& s = m_settings;
    m_maxSockets->setValue(s.MaxSockets);
    m_timeout->setValue(s.Timeout);
    m_useProxy->setChecked(s.UseProxy);
    m_proxyAddress->setText(ShownText(s.ProxyAdress));
    m_proxyPort->setValue(s.ProxyPort);
    m_tryCount->setValue(s.TryCount);
    m_caCertificates->setText(PathText(s.CaCertificates));
    m_ignoreCertificateErrors->setChecked(s.IgnoreCertificateErrors);

    m_path->setText(PathText(s.Path));

    m_browserAuto->setChecked(s.BrowserAuto);
    // The list is offered from its last entry to its first.
    for (auto entry = s.BrowserList.rbegin(); entry != s.BrowserList.rend(); ++entry) {
        if (m_exeName->count() == kMaxBrowserListEntries)
            break;
        if (!entry->empty())
            m_exeName->addItem(PathText(*entry));
    }
    SetBrowserText(s.ExeName);
    m_autoLaunch->setChecked(s.AutoLaunch);
    m_bookmarkFile->setText(PathText(s.BookmarkFile));
    m_bookmarkFolder->setText(ShownText(s.BookmarkFolder));
    m_autoAddBookmark->setChecked(s.AutoAddBookmark);

    m_imgColByPage->setValue(s.IndexParams.ImgColByPage);
    m_imgLigByPage->setValue(s.IndexParams.ImgLigByPage);
    m_imgSize->setValue(s.IndexParams.ImgSize);
    m_imgSizeMin->setValue(s.IndexParams.ImgSizeMin);
    m_imgRatio->setChecked(s.IndexParams.ImgRatio);
    m_ligByPage->setValue(s.IndexParams.LigByPage);

    ApplyProxy();
    ApplyBrowserAuto();
    ShowBrowserIcon();
}

void TParamForm::ApplyProxy()
{
    const bool proxy = m_useProxy->isChecked();
    m_proxyAddress->setEnabled(proxy);
    m_proxyAddress->setReadOnly(!proxy);
    m_proxyPort->setEnabled(proxy);
}

void TParamForm::ApplyBrowserAuto()
{
    const bool manual = !m_browserAuto->isChecked();
    m_exeName->setEnabled(manual);
    m_browseBrowser->setEnabled(manual);
}

void TParamForm::BrowserAutoClicked(bool checked)
{
    // Takes effect at once, whatever button closes the dialog.
    m_settings.BrowserAuto = checked;
    ApplyBrowserAuto();
    if (checked) {
        m_settings.FindBrowser();
        SetBrowserText(m_settings.ExeName);
        m_browserTyped = false;
        ShowBrowserIcon();
    }
}

std::string TParamForm::BrowserText() const { return PathBytes(m_exeName->currentText().trimmed()); }

void TParamForm::SetBrowserText(const std::string& path) { m_exeName->setEditText(PathText(path)); }

void TParamForm::AcceptBrowserPath(const std::string& path)
{
    m_browserTyped = false;
    if (path.empty() || !FileExists(path)) {
        SetBrowserText(m_lastBrowser);
    } else {
        // The program accepted before goes into the list of those chosen before.
        if (!m_lastBrowser.empty() && m_lastBrowser != path && m_exeName->findText(PathText(m_lastBrowser)) < 0)
            m_exeName->addItem(PathText(m_lastBrowser));
        while (m_exeName->count() > kMaxBrowserListEntries)
            m_exeName->removeItem(m_exeName->count() - 1);
        // Set last: adding to an empty list replaces the field's text.
        SetBrowserText(path);
        m_lastBrowser = path;
    }
    ShowBrowserIcon();
}

void TParamForm::ShowBrowserIcon() { m_browserIcon->setPixmap(PaintBrowserIcon(BrowserText())); }

bool TParamForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_exeName->lineEdit() && event->type() == QEvent::MouseButtonDblClick && m_exeName->isEnabled())
        AcceptBrowserPath(BrowserText());
    return QDialog::eventFilter(watched, event);
}

void TParamForm::BrowseBrowser()
{
    if (!Prompts.OpenFile)
        return;
    std::string current = BrowserText();
    std::string start = !current.empty() && FileExists(current) ? current : std::string("/usr/bin/");
    if (std::optional<std::string> chosen =
            Prompts.OpenFile(tr("Browser program"), tr("All files (*)"), start, true))
        AcceptBrowserPath(*chosen);
}

void TParamForm::BrowseBookmarkFile()
{
    if (!Prompts.OpenFile)
        return;
    std::string field = PathBytes(m_bookmarkFile->text().trimmed());
    std::string derived = field.empty() ? FindBookmarkFile(BrowserText()) : std::string();
    std::string start = !field.empty() ? field : !derived.empty() ? derived : WorkPath() + "bookmark.htm";
    std::optional<std::string> chosen = Prompts.OpenFile(
        tr("Bookmark file"), tr("Bookmark files (*.htm *.html);;All files (*)"), start, false);
    if (!chosen || chosen->empty())
        return;
    const std::string& file = *chosen;
    if (DirectoryExists(file)) {
        Tell("Error", kBookmarkFileTitleError);
        return;
    }
    if (FileExists(file)) {
        TBookmarkLoad loaded = NotABookmarkFile;
        std::string reason;
        try {
            TBookMarks bookmarks;
            bookmarks.SetFileName(file);
            loaded = bookmarks.Load();
        } catch (const std::exception& e) {
            reason = e.what();
        }
        if (loaded != BookmarksLoaded) {
            Tell("Error", reason.empty() ? std::string(kBookmarkFileTitleError)
                                         : std::string(kBookmarkFileTitleError) + "\r\n" + reason);
            return;
        }
    } else {
        try {
            CreateBookmarkFile(file);
        } catch (const EVelbrinError& e) {
            Tell("Error", e.what());
            return;
        }
    }
    m_bookmarkFile->setText(PathText(file));
}

void TParamForm::BrowseCaptureDirectory()
{
    if (!Prompts.ChooseDirectory)
        return;
    if (std::optional<std::string> chosen = Prompts.ChooseDirectory(ExpandHome(PathBytes(m_path->text().trimmed()))))
        m_path->setText(PathText(WithTrailingSlash(*chosen)));
}

void TParamForm::BrowseCaCertificates()
{
    if (!Prompts.OpenFile)
        return;
    std::string start = PathBytes(m_caCertificates->text().trimmed());
    if (start.empty())
        start = "/etc/ssl/certs/";
    if (std::optional<std::string> chosen = Prompts.OpenFile(
            tr("Trusted certificate authorities"), tr("Certificates (*.pem *.crt);;All files (*)"), start, true))
        m_caCertificates->setText(PathText(*chosen));
}

std::string TParamForm::CaptureDirectory() const
{
    std::string path = ExpandHome(PathBytes(m_path->text().trimmed()));
    if (path.empty() || path.front() != '/')
        return {};
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path + '/';
}

void TParamForm::SelectPage(TSetupPage page) { m_pages->setCurrentIndex(static_cast<int>(page)); }

TSetupPage TParamForm::CurrentPage() const { return static_cast<TSetupPage>(m_pages->currentIndex()); }

bool TParamForm::Run(TSetupPage page)
{
    SelectPage(page);
    return exec() == QDialog::Accepted;
}

void TParamForm::Tell(std::string_view caption, std::string_view text)
{
    if (Prompts.Message)
        Prompts.Message(caption, text, mbOk);
}

void TParamForm::Refuse(TSetupPage page, QWidget* field, std::string_view text)
{
    SelectPage(page);
    Tell("Velbrin Setup", text);
    field->setFocus();
}

void TParamForm::accept()
{
    // A browser path typed and not yet left is taken as leaving it would.
    if (m_browserTyped && m_exeName->isEnabled())
        AcceptBrowserPath(BrowserText());

    // Everything is checked before anything is taken: a refused page leaves
    // the settings as they were.
    const std::string path = CaptureDirectory();
    if (path.empty()) {
        Refuse(TSetupPage::Directories, m_path, "The default capture directory must be a full path, such as "
                                                + HomeDirectory() + "Webs/.");
        return;
    }
    const std::string caFile = PathBytes(m_caCertificates->text().trimmed());
    if (!caFile.empty()) {
        TTlsSettings tls;
        if (std::string error = LoadTlsSettings(caFile, m_ignoreCertificateErrors->isChecked(), tls);
            !error.empty()) {
            Refuse(TSetupPage::Communication, m_caCertificates, error);
            return;
        }
    }

    TParam& s = m_settings;
    s.MaxSockets = m_maxSockets->value();
    s.Timeout = m_timeout->value();
    s.ProxyAdress = StoredText(m_proxyAddress->text().trimmed());
    s.UseProxy = m_useProxy->isChecked() && !s.ProxyAdress.empty();
    s.ProxyPort = m_proxyPort->value();
    s.TryCount = m_tryCount->value();
    s.CaCertificates = caFile;
    s.IgnoreCertificateErrors = m_ignoreCertificateErrors->isChecked();

    s.BrowserList.clear();
    for (int i = 0; i < m_exeName->count(); ++i)
        s.BrowserList.push_back(PathBytes(m_exeName->itemText(i)));
    s.ExeName = BrowserText();
    s.BrowserAuto = m_browserAuto->isChecked();
    s.AutoLaunch = m_autoLaunch->isChecked();

    s.BookmarkFile = PathBytes(m_bookmarkFile->text().trimmed());
    s.BookmarkFolder = StoredText(m_bookmarkFolder->text());
    if (s.BookmarkFolder.empty())
        s.BookmarkFolder = kDefaultBookmarkFolder;
    s.AutoAddBookmark = m_autoAddBookmark->isChecked();

    s.Path = path;
    s.IndexParams.ImgColByPage = m_imgColByPage->value();
    s.IndexParams.ImgLigByPage = m_imgLigByPage->value();
    s.IndexParams.ImgSize = m_imgSize->value();
    s.IndexParams.ImgSizeMin = m_imgSizeMin->value();
    s.IndexParams.ImgRatio = m_imgRatio->isChecked();
    s.IndexParams.LigByPage = m_ligByPage->value();

    s.FindBrowser();
    try {
        s.WriteSettings();
    } catch (const EVelbrinError& e) {
        // The settings hold for this run all the same; the user learns that
        // they were not kept.
        Tell("Error", e.what());
    }
    QDialog::accept();
}

bool EditSettings(TParam& settings, int page, QWidget* parent)
{
    TParamForm form(settings, parent);
    return form.Run(SetupPageOf(page));
}

} // namespace velbrin
