#include "ui/UrlTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velbrin {

TUrlTab::TUrlTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Links of the Web"), this);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);
}

void TUrlTab::WebToControls(const TWEB&) {}

void TUrlTab::ControlsToWeb(TWEB&) const {}

} // namespace velbrin
