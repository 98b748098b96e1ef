#include "ui/WebTab.h"

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace velbrin {

TWebTab::TWebTab(QWidget* parent) : QWidget(parent)
{
    m_title = new QLineEdit(this);
    m_home = new QPushButton(QStringLiteral("H&ome"), this);
    m_htmlPages = new QPushButton(QStringLiteral(" HTML Pages"), this);
    m_images = new QPushButton(QStringLiteral("Images"), this);
    m_bookmarkFolder = new QPushButton(this);
    m_browserIcon = new QToolButton(this);
}

void TWebTab::WebToControls(const TWEB&) {}
void TWebTab::ControlsToWeb(TWEB&) const {}

} // namespace velbrin
