#include "ui/StopDlg.h"

#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace velbrin {

std::optional<bool> AskStopCapture(QWidget* parent)
{
    // TStopDlg
    QDialog dlg(parent);
    dlg.setObjectName(QStringLiteral("TStopDlg"));
    dlg.setWindowTitle(QObject::tr("Stop capture"));
    auto* complete = new QCheckBox(QObject::tr("Complete captures in progress"), &dlg);
    complete->setObjectName(QStringLiteral("CompleteCheck"));
    complete->setChecked(false);
    auto* ok = new QPushButton(QObject::tr("&OK"), &dlg);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QObject::tr("&Cancel"), &dlg);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(complete);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    // Completing the transfers in progress is the gentle stop; abort all otherwise.
    return !complete->isChecked();
}

} // namespace velbrin
