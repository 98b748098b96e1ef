#include "ui/NewForm.h"

#include "browser/BrowserDde.h"
#include "config/Param.h"
#include "core/Files.h"
#include "core/Url.h"
#include "ui/DirectoryDlg.h"
#include "ui/ShownText.h"
#include "ui/UrlVerifDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velbrin {

namespace {

enum : int { kResultCreate = 1, kResultCapture = 2 };

// Browser answers are cut as every kept text is.
constexpr std::size_t kBrowserTextMax = 255;

QGroupBox* Group(const QString& title, QWidget* parent, std::initializer_list<QWidget*> widgets)
{
    auto* group = new QGroupBox(title, parent);
    auto* row = new QHBoxLayout(group);
    bool first = true;
    for (QWidget* widget : widgets) {
        row->addWidget(widget, first ? 1 : 0);
        first = false;
    }
    return group;
}

} // namespace

std::string NewWebDirectory(const std::string& defaultDirectory, const std::string& url)
{
    std::string directory = defaultDirectory;
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    // Only the Web's own name is upper case: the default directory is a path
    // of a case-sensitive file system and stays as it is written.
    std::string name = GetShortName(url);
    std::erase(name, '/');
    if (name.empty() || name == "." || name == "..")
        return directory;
    return directory + name + '/';
}

TNewForm::TNewForm(const TParam& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_url(new QLineEdit(this)), m_path(new QLineEdit(this)),
      m_title(new QLineEdit(this)), m_create(new QPushButton(tr("&Create"), this)),
      m_capture(new QPushButton(tr("Create &and Capture"), this))
{
    setWindowTitle(tr("New Web"));
    m_url->setObjectName(QStringLiteral("UrlEdit"));
    m_path->setObjectName(QStringLiteral("PathEdit"));
    m_title->setObjectName(QStringLiteral("TitleEdit"));
    m_create->setObjectName(QStringLiteral("CreateButton"));
    m_capture->setObjectName(QStringLiteral("CaptureButton"));
    m_url->setMaxLength(255);
    m_path->setMaxLength(255);
    m_title->setMaxLength(255);
    m_url->setMinimumWidth(300);

    auto* check = new QPushButton(tr("C&heck..."), this);
    check->setObjectName(QStringLiteral("CheckButton"));
    auto* browse = new QPushButton(tr("&Browse..."), this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    auto* cancel = new QPushButton(tr("Ca&ncel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    m_create->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_create);
    buttons->addWidget(cancel);
    buttons->addWidget(m_capture);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Group(tr(" Internet address "), this, {m_url, check}));
    layout->addWidget(Group(tr(" Capture path "), this, {m_path, browse}));
    layout->addWidget(Group(tr(" Web title "), this, {m_title}));
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_create, &QPushButton::clicked, this, [this] { done(kResultCreate); });
    connect(m_capture, &QPushButton::clicked, this, [this] { done(kResultCapture); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(check, &QPushButton::clicked, this, [this] { Check(); });
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    // Typing in the address moves the directory along with it.
    connect(m_url, &QLineEdit::textEdited, this, [this] { FollowAddress(); });
    ApplyFlags();
}

void TNewForm::SetFlags(unsigned flags)
{
    m_flags = flags;
    ApplyFlags();
}

void TNewForm::SetAddress(const std::string& url)
{
    m_url->setText(ShownText(url));
    FollowAddress();
}

void TNewForm::SetTitle(const std::string& title) { m_title->setText(ShownText(title)); }

std::string TNewForm::Address() const { return StoredText(m_url->text().trimmed()); }
std::string TNewForm::Directory() const
{
    // A directory typed without its final "/" is still the directory meant,
    // not the one above it.
    std::string directory = StoredText(m_path->text().trimmed());
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    return directory;
}
std::string TNewForm::Title() const { return StoredText(m_title->text()); }

TNewFormResult TNewForm::Run()
{
    switch (exec()) {
    case kResultCreate: return TNewFormResult::Create;
    case kResultCapture: return TNewFormResult::CreateAndCapture;
    default: return TNewFormResult::Cancel;
    }
}

void TNewForm::done(int result)
{
    // Without a host or a directory there is nothing to create: the dialog
    // stays open until the user corrects them or cancels.
    if (result != QDialog::Rejected && (Directory().empty() || GetHost(Address()).empty()))
        return;
    QDialog::done(result);
}

void TNewForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (m_flags & nfAskBrowser) {
        std::string address;
        std::string title;
        // A browser that does not answer, or shows something we cannot fetch,
        // leaves the caller's address and title.
        if (GetBrowserWindowInfo(m_settings.ExeName, address, kBrowserTextMax, title, kBrowserTextMax) &&
            IsFetchableProtocol(GetProtocol(address))) {
            m_url->setText(ShownText(address));
            m_title->setText(ShownText(title));
        }
    }
    FollowAddress();
    ApplyFlags();
}

void TNewForm::FollowAddress()
{
    if (m_flags & nfPathFollowsAddress)
        m_path->setText(ShownText(NewWebDirectory(m_settings.Path, Address())));
}

void TNewForm::ApplyFlags()
{
    m_capture->setEnabled(m_flags & nfCaptureButton);
    m_url->setReadOnly(m_flags & nfReadOnlyAddress);
}

void TNewForm::Browse()
{
    // The chooser opens where the Web would go: the directory shown when it
    // exists, else the default capture directory (the program's own
    // directory is rarely writable here).
    std::string start = Directory();
    if (start.empty() || !DirectoryExists(start))
        start = m_settings.Path;
    if (std::optional<std::string> chosen = ChooseDirectory(this, tr("Select new capture path"), start)) {
        std::string directory = *chosen;
        if (directory.empty() || directory.back() != '/')
            directory += '/';
        m_path->setText(ShownText(directory));
    }
}

void TNewForm::Check()
{
    TUrlVerifDlg check(Address(), this);
    check.exec();
}

} // namespace velbrin
