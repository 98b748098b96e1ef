#include "ui/AboutDlg.h"

#include "browser/BrowserLaunch.h"
#include "capture/ErrorBox.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace velbrin {

namespace {

// The product's picture: a globe whose pages fall into a folder.
QPixmap AboutPicture()
{
    constexpr int kSize = 64;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The globe.
    painter.setPen(QPen(QColor(0x1e, 0x3a, 0x8a), 2));
    painter.setBrush(QColor(0x3b, 0x82, 0xf6));
    painter.drawEllipse(QRectF(14, 2, 36, 36));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xdb, 0xea, 0xfe), 1.5));
    painter.drawEllipse(QRectF(24, 2, 16, 36));
    painter.drawLine(QPointF(14, 20), QPointF(50, 20));
    painter.drawLine(QPointF(17, 11), QPointF(47, 11));
    painter.drawLine(QPointF(17, 29), QPointF(47, 29));
    // The arrow down.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xf5, 0x9e, 0x0b));
    QPainterPath arrow;
    arrow.moveTo(28, 36);
    arrow.lineTo(36, 36);
    arrow.lineTo(36, 44);
    arrow.lineTo(42, 44);
    arrow.lineTo(32, 53);
    arrow.lineTo(22, 44);
    arrow.lineTo(28, 44);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    // The folder on the disk.
    painter.setBrush(QColor(0x1e, 0x40, 0xaf));
    painter.drawRoundedRect(QRectF(6, 52, 52, 10), 2, 2);
    return pixmap;
}

// The mail address: blue under the mouse, black elsewhere; a click opens a
// new mail to it.
class TContactLabel : public QLabel {
public:
    TContactLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
        : QLabel(text, parent), m_onClick(std::move(onClick))
    {
        setObjectName(QStringLiteral("ContactLabel"));
        setToolTip(tr("Click here to send an E-Mail"));
        setCursor(Qt::PointingHandCursor);
        SetHover(false);
    }

protected:
    void enterEvent(QEnterEvent* event) override
    {
        SetHover(true);
        QLabel::enterEvent(event);
    }
    void leaveEvent(QEvent* event) override
    {
        SetHover(false);
        QLabel::leaveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && m_onClick)
            m_onClick();
        QLabel::mouseReleaseEvent(event);
    }

private:
    void SetHover(bool hover)
    {
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, hover ? Qt::blue : Qt::black);
        setPalette(colours);
    }

    std::function<void()> m_onClick;
};

} // namespace

TAboutDlg::TAboutDlg(QWidget* parent, const TParam* settings) : QDialog(parent)
{
    setWindowTitle(tr("About Velbrin"));
    if (settings) {
        OpenMail = [settings](const std::string& target) {
            TBrowserPrompts prompts;
            prompts.ErrorBox = [](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
                return ErrorBox(kind, text, buttons);
            };
            OpenInBrowser(*settings, target, true, prompts);
        };
    }

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture"));
    picture->setPixmap(AboutPicture());
    auto* product = new QLabel(QStringLiteral("Velbrin"), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel(tr("Version %1").arg(QLatin1String(kVelbrinVersion)), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* contact = new TContactLabel(QLatin1String(kContactAddress), [this] {
        if (OpenMail)
            OpenMail(std::string("mailto:") + kContactAddress);
    }, this);
    auto* ok = new QPushButton(tr("&OK"), this);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(contact);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Centred on the screen, not over the window.
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace velbrin
