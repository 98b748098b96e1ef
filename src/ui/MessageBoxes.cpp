#include "ui/MessageBoxes.h"

#include "ui/ShownText.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace velbrin {

namespace {

// The message's lines are separated by CR LF; a lone CR or LF also ends a line.
QString MessageLines(std::string_view message)
{
    QString text = ShownText(message);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QIcon BoxIcon(TBoxIcon icon, const QStyle* style)
{
    return style->standardIcon(icon == TBoxIcon::Error ? QStyle::SP_MessageBoxCritical
                                                       : QStyle::SP_MessageBoxWarning);
}

QString ButtonObjectName(TModalResult result)
{
    switch (result) {
    case TModalResult::Yes: return QStringLiteral("YesButton");
    case TModalResult::No: return QStringLiteral("NoButton");
    case TModalResult::Ok: return QStringLiteral("OkButton");
    case TModalResult::Cancel: return QStringLiteral("CancelButton");
    case TModalResult::None: break;
    }
    return {};
}

} // namespace

TErrorDlg::TErrorDlg(const TBox& box, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(ShownText(box.Caption));
    setModal(true);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    image->setPixmap(BoxIcon(box.Icon, style()).pixmap(iconSize, iconSize));
    image->setAlignment(Qt::AlignTop);

    auto* msg = new QLabel(MessageLines(box.Message), this);
    msg->setObjectName(QStringLiteral("Msg"));
    msg->setTextFormat(Qt::PlainText);
    msg->setWordWrap(true);
    msg->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addWidget(msg, 1);

    // The buttons sit at the places LayoutBoxButtons gives them in a panel of
    // fixed size; high-DPI scaling makes them physical.
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PanelButtons"));
    panel->setFixedSize(kBoxPanelWidth, kBoxPanelHeight);
    bool first = true;
    for (const TBoxButtonPlace& place : LayoutBoxButtons(box.Buttons)) {
        auto* button = new QPushButton(QString::fromLatin1(place.Caption.data(), place.Caption.size()), panel);
        button->setObjectName(ButtonObjectName(place.Result));
        button->setGeometry(place.Left, 0, kBoxButtonWidth, kBoxPanelHeight);
        if (first)
            button->setDefault(true);
        first = false;
        const TModalResult result = place.Result;
        connect(button, &QPushButton::clicked, this, [this, result] {
            m_result = result;
            accept();
        });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(panel, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TErrorDlg::reject()
{
    // Closed by its window frame or Escape: as a dialog closed without a
    // button, Cancel.
    m_result = TModalResult::Cancel;
    QDialog::reject();
}

TQtErrorBoxView::TQtErrorBoxView(QWidget* parent) : m_parent(parent) {}

TModalResult TQtErrorBoxView::ShowBox(const TBox& box)
{
    TErrorDlg dlg(box, m_parent ? m_parent : QApplication::activeWindow());
    dlg.exec();
    return dlg.Result();
}

TModalResult ShowMessageBox(QWidget* parent, std::string_view caption, std::string_view text, TBoxButtons buttons,
                            TBoxIcon icon)
{
    TBox box;
    box.Icon = icon;
    box.Caption = std::string(caption);
    box.Message = std::string(text);
    box.Buttons = buttons ? buttons : mbOk;
    TErrorDlg dlg(box, parent);
    dlg.exec();
    return dlg.Result();
}

} // namespace velbrin
