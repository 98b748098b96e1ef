#include "ui/DeleteFilesDlg.h"

#include "ui/ShownText.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velbrin {

namespace {
enum : int { kDelete = 1, kKeep = 2 };
}

TDeleteFilesAnswer AskDeleteFiles(QWidget* parent, const std::string& directory, int count)
{
    // TdelfileDlg: the question, the directory, and Delete / Cancel / Keep.
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("TdelfileDlg"));
    dlg.setWindowTitle(QObject::tr("Create new web"));

    auto* text = new QPlainTextEdit(&dlg);
    text->setObjectName(QStringLiteral("Memo"));
    text->setReadOnly(true);
    text->setPlainText(QObject::tr("This directory has %1 files\nDelete files?").arg(count));
    text->setFixedHeight(text->fontMetrics().lineSpacing() * 3 + 2 * text->frameWidth() + 8);

    auto* path = new QLineEdit(ShownText(directory), &dlg);
    path->setObjectName(QStringLiteral("DirectoryEdit"));
    path->setReadOnly(true);
    path->setMinimumWidth(320);

    auto* remove = new QPushButton(QObject::tr("&Delete"), &dlg);
    remove->setObjectName(QStringLiteral("DeleteButton"));
    auto* cancel = new QPushButton(QObject::tr("&Cancel"), &dlg);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* keep = new QPushButton(QObject::tr("&Keep"), &dlg);
    keep->setObjectName(QStringLiteral("KeepButton"));
    // Deleting is never the default: Return must not throw files away.
    cancel->setDefault(true);
    QObject::connect(remove, &QPushButton::clicked, &dlg, [&dlg] { dlg.done(kDelete); });
    QObject::connect(keep, &QPushButton::clicked, &dlg, [&dlg] { dlg.done(kKeep); });
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(remove);
    buttons->addWidget(cancel);
    buttons->addWidget(keep);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(text);
    layout->addWidget(path);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    switch (dlg.exec()) {
    case kDelete: return TDeleteFilesAnswer::Delete;
    case kKeep: return TDeleteFilesAnswer::Keep;
    default: return TDeleteFilesAnswer::Cancel;
    }
}

} // namespace velbrin
