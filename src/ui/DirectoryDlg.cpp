#include "ui/DirectoryDlg.h"

#include "config/ProgramDir.h"
#include "ui/MessageBoxes.h"
#include "ui/ShownText.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace velbrin {

namespace {

// A directory without its trailing "/" (but the root).
QString WithoutSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// TInputDirectoryNameDlg
class TInputDirectoryNameDlg : public QDialog {
public:
    TInputDirectoryNameDlg(const QString& initial, QWidget* parent) : QDialog(parent), m_name(new QLineEdit(this))
    {
        setWindowTitle(tr("New directory..."));
        m_name->setObjectName(QStringLiteral("NameEdit"));
        m_name->setText(initial);
        m_name->setMinimumWidth(300);
        auto* ok = new QPushButton(tr("&OK"), this);
        ok->setObjectName(QStringLiteral("OkButton"));
        ok->setDefault(true);
        auto* cancel = new QPushButton(tr("&Cancel"), this);
        cancel->setObjectName(QStringLiteral("CancelButton"));
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(tr("Enter directory name:"), this));
        layout->addWidget(m_name);
        layout->addLayout(buttons);
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    QString Name() const { return m_name->text(); }

private:
    QLineEdit* m_name;
};

// TDirectoryDlg. This system has no drives: the tree starts at the file
// system's root, which takes the drive list's place.
class TDirectoryDlg : public QDialog {
public:
    TDirectoryDlg(const QString& caption, const QString& initial, bool allowNewDirectory, QWidget* parent)
        : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this)),
          m_selected(new QLineEdit(this))
    {
        setWindowTitle(caption);
        m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
        m_model->setReadOnly(true);
        m_model->setRootPath(QDir::rootPath());
        m_tree->setObjectName(QStringLiteral("DirTree"));
        m_tree->setModel(m_model);
        for (int column = 1; column < m_model->columnCount(); ++column)
            m_tree->hideColumn(column);
        m_tree->header()->hide();
        m_tree->setMinimumSize(300, 260);
        m_selected->setObjectName(QStringLiteral("DirEdit"));
        m_selected->setReadOnly(true);

        auto* label = new QLabel(tr("&Directories :"), this);
        label->setBuddy(m_tree);
        auto* ok = new QPushButton(tr("&OK"), this);
        ok->setObjectName(QStringLiteral("OkButton"));
        ok->setDefault(true);
        auto* cancel = new QPushButton(tr("&Cancel"), this);
        cancel->setObjectName(QStringLiteral("CancelButton"));
        auto* create = new QPushButton(tr("&New directory"), this);
        create->setObjectName(QStringLiteral("NewDirButton"));
        create->setVisible(allowNewDirectory);
        create->setEnabled(allowNewDirectory);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        connect(create, &QPushButton::clicked, this, [this] { NewDirectory(); });
        connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) {
                    if (current.isValid())
                        m_selected->setText(WithoutSlash(m_model->filePath(current)));
                });

        auto* buttons = new QVBoxLayout;
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        buttons->addWidget(create);
        buttons->addStretch(1);
        auto* left = new QVBoxLayout;
        left->addWidget(label);
        left->addWidget(m_selected);
        left->addWidget(m_tree, 1);
        auto* layout = new QHBoxLayout(this);
        layout->addLayout(left, 1);
        layout->addLayout(buttons);

        QString start = WithoutSlash(initial);
        if (start.isEmpty() || !QFileInfo(start).isDir())
            start = WithoutSlash(ShownText(ProgramDir()));
        if (start.isEmpty() || !QFileInfo(start).isDir())
            start = QDir::rootPath();
        Select(QFileInfo(start).absoluteFilePath());
    }

    QString Selected() const { return m_selected->text(); }

private:
    void Select(const QString& path)
    {
        const QString clean = WithoutSlash(QDir::cleanPath(path));
        m_selected->setText(clean);
        const QModelIndex index = m_model->index(clean);
        if (index.isValid()) {
            m_tree->setCurrentIndex(index);
            m_tree->scrollTo(index);
        }
    }

    void NewDirectory()
    {
        QString initial = Selected();
        if (!initial.endsWith(QLatin1Char('/')))
            initial += QLatin1Char('/');
        TInputDirectoryNameDlg prompt(initial, this);
        if (prompt.exec() != QDialog::Accepted)
            return;
        // A name typed without a leading "/" is taken in the selected directory.
        const QString typed = prompt.Name().trimmed();
        if (typed.isEmpty())
            return;
        const QString path = QDir::cleanPath(QDir(Selected()).absoluteFilePath(typed));
        QDir().mkpath(path);
        if (QFileInfo(path).isDir())
            Select(path);
        else
            ShowMessageBox(this, "Erreur", "Can not create the new folder!", mbOk, TBoxIcon::Error);
    }

    QFileSystemModel* m_model;
    QTreeView* m_tree;
    QLineEdit* m_selected;
};

} // namespace

std::optional<std::string> ChooseDirectory(QWidget* parent, const QString& caption, const std::string& initial,
                                           bool allowNewDirectory)
{
    TDirectoryDlg dlg(caption, ShownText(initial), allowNewDirectory, parent);
    if (dlg.exec() != QDialog::Accepted || dlg.Selected().isEmpty())
        return std::nullopt;
    return StoredText(dlg.Selected());
}

std::optional<QString> AskDirectoryName(QWidget* parent, const QString& initial)
{
    TInputDirectoryNameDlg prompt(initial, parent);
    if (prompt.exec() != QDialog::Accepted)
        return std::nullopt;
    return prompt.Name();
}

} // namespace velbrin
