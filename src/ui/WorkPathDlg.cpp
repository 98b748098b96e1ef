#include "ui/WorkPathDlg.h"

#include "config/WorkPath.h"
#include "config/XdgDirs.h"
#include "core/Files.h"
#include "core/SystemFiles.h"
#include "ui/DirectoryDlg.h"
#include "ui/MessageBoxes.h"
#include "ui/ShownText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <unistd.h>

namespace velbrin {

std::string TypedWorkPath(const std::string& typed)
{
    std::string path = typed;
    if (path.empty())
        return {};
    if (path == "~" || path.starts_with("~/")) {
        std::string home = HomeDirectory();
        if (!home.empty())
            path = home + (path.size() > 2 ? path.substr(2) : std::string());
    }
    path = ExpandFileName(path);
    CheckDirectory(path);
    return path;
}

bool WorkPathNeeded()
{
    std::string known = ReadProfileWorkPath();
    return known.empty() || !FileExists(known + std::string(kSettingsFileName));
}

TWorkPathDlg::TWorkPathDlg(QWidget* parent)
    : QDialog(parent), m_path(new QLineEdit(this))
{
    setWindowTitle(tr("First Velbrin setup"));
    m_path->setObjectName(QStringLiteral("WorkPathEdit"));
    m_path->setMaxLength(255);
    m_path->setMinimumWidth(320);
    m_path->setText(ShownText(SuggestedWorkPath()));

    auto* caption = new QLabel(tr("Working path :"), this);
    caption->setBuddy(m_path);
    auto* browse = new QPushButton(tr("&Browse..."), this);
    browse->setObjectName(QStringLiteral("BrowseButton"));
    auto* ok = new QPushButton(tr("&OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));

    auto* explanation = new QLabel(
        tr("Velbrin keeps its settings and the list of your Webs in this directory.\n"
           "New Webs are captured under it unless you choose another place."),
        this);

    auto* field = new QHBoxLayout;
    field->addWidget(caption);
    field->addWidget(m_path, 1);
    field->addWidget(browse);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(field);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    Ask = [this](std::string_view caption, std::string_view text, TBoxButtons buttons) {
        return ShowMessageBox(this, caption, text, buttons, TBoxIcon::Warning);
    };
    Choose = [this](const std::string& initial) {
        return ChooseDirectory(this, tr("Select directory"), initial, false);
    };
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
}

void TWorkPathDlg::Browse()
{
    if (!Choose)
        return;
    if (std::optional<std::string> chosen = Choose(TypedWorkPath(StoredText(m_path->text().trimmed()))))
        m_path->setText(ShownText(WithTrailingSlash(*chosen)));
}

void TWorkPathDlg::accept()
{
    std::string path = TypedWorkPath(StoredText(m_path->text().trimmed()));
    if (path.empty()) {
        if (Ask)
            Ask("First Velbrin setup", "Please type the directory Velbrin may work in.", mbOk);
        return;
    }
    if (!DirectoryExists(path)) {
        if (!Ask || Ask("Directory no exist", "Create this directory?", mbYes | mbNo) != TModalResult::Yes)
            return;
        if (!ForceDirectories(path)) {
            if (Ask)
                Ask("Error", "Cannot create the directory " + path + ".", mbOk);
            return;
        }
    }
    // The settings are written there at once; a directory the program may
    // not write into would end the start with an error.
    if (::access(path.c_str(), W_OK | X_OK) != 0) {
        if (Ask)
            Ask("Error", "Velbrin cannot write in the directory " + path + ".", mbOk);
        return;
    }
    m_workPath = path;
    m_path->setText(ShownText(path));
    QDialog::accept();
}

std::optional<std::string> AskWorkPath(QWidget* parent)
{
    TWorkPathDlg dialog(parent);
    if (dialog.exec() != QDialog::Accepted || dialog.WorkPath().empty())
        return std::nullopt;
    return dialog.WorkPath();
}

} // namespace velbrin
