#include "ui/StartScreen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadialGradient>

#include <cmath>

namespace velbrin {

namespace {

constexpr int kMargin = 5;

// A globe of meridians and parallels, with the pages of a site falling from it
// into a folder.
void PaintBackground(QPainter& painter, const QRect& area)
{
    painter.fillRect(area, Qt::black);
    painter.setRenderHint(QPainter::Antialiasing);

    const QPointF centre(area.width() * 0.5, area.height() * 0.34);
    const qreal radius = std::min(area.width(), area.height()) * 0.21;

    QRadialGradient glow(centre, radius * 1.6);
    glow.setColorAt(0.0, QColor(20, 60, 110));
    glow.setColorAt(1.0, QColor(0, 0, 0));
    painter.setBrush(glow);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(centre, radius * 1.6, radius * 1.6);

    QRadialGradient sphere(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
    sphere.setColorAt(0.0, QColor(70, 150, 230));
    sphere.setColorAt(1.0, QColor(10, 40, 90));
    painter.setBrush(sphere);
    painter.drawEllipse(centre, radius, radius);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(170, 215, 255, 150), 1.2));
    for (int i = 1; i < 6; ++i) {
        qreal w = radius * std::cos(i * M_PI / 12.0 * 2.0 - M_PI / 2.0);
        painter.drawEllipse(centre, std::abs(w), radius);
    }
    for (int i = -2; i <= 2; ++i) {
        qreal y = centre.y() + radius * i / 3.0;
        qreal half = std::sqrt(std::max<qreal>(0, radius * radius - (y - centre.y()) * (y - centre.y())));
        painter.drawLine(QPointF(centre.x() - half, y), QPointF(centre.x() + half, y));
    }

    // Pages on their way down.
    for (int i = 0; i < 3; ++i) {
        QRectF page(centre.x() - 27 + i * 16, centre.y() + radius + 6 + i * 6, 22, 28);
        painter.setPen(QPen(QColor(200, 200, 200), 1));
        painter.setBrush(QColor(245, 245, 240));
        painter.drawRect(page);
        painter.setPen(QPen(QColor(120, 140, 170), 1));
        for (int line = 0; line < 4; ++line)
            painter.drawLine(QPointF(page.left() + 4, page.top() + 6 + line * 5),
                             QPointF(page.right() - 4, page.top() + 6 + line * 5));
    }

    QFont title = painter.font();
    title.setPointSizeF(30);
    title.setBold(true);
    painter.setFont(title);
    QLinearGradient gold(0, area.height() * 0.78, 0, area.height() * 0.9);
    gold.setColorAt(0.0, QColor(255, 220, 120));
    gold.setColorAt(1.0, QColor(200, 130, 30));
    painter.setPen(QPen(QBrush(gold), 1));
    QRect titleArea(0, static_cast<int>(area.height() * 0.69), area.width(), 50);
    painter.drawText(titleArea, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("Velbrin"));

    QFont line = painter.font();
    line.setPointSizeF(10);
    line.setBold(false);
    painter.setFont(line);
    painter.setPen(QColor(180, 180, 180));
    painter.drawText(QRect(0, titleArea.bottom(), area.width(), 24), Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("Web sites on your disk, for reading offline"));
}

} // namespace

TStartScreen::TStartScreen(QWidget* parent)
    : QWidget(parent)
    , m_new(new QPushButton(QStringLiteral("New"), this))
    , m_quit(new QPushButton(QStringLiteral("Quit"), this))
{
    m_new->setObjectName(QStringLiteral("NewButton"));
    m_quit->setObjectName(QStringLiteral("StartQuitButton"));
    m_new->setDefault(true);
}

void TStartScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintBackground(painter, rect());
}

void TStartScreen::resizeEvent(QResizeEvent*)
{
    QSize size = m_new->sizeHint().expandedTo(QSize(75, 25));
    m_new->setGeometry(kMargin, height() - kMargin - size.height(), size.width(), size.height());
    m_quit->setGeometry(width() - kMargin - size.width(), height() - kMargin - size.height(), size.width(),
                        size.height());
}

} // namespace velbrin
