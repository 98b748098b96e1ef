#include "ui/MultimediaTab.h"

#include <QLabel>
#include <QVBoxLayout>

namespace velbrin {

TMultimediaTab::TMultimediaTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(QStringLiteral("Pictures, videos and sounds"), this);
    caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(caption);
}

void TMultimediaTab::WebToControls(const TWEB&) {}

void TMultimediaTab::ControlsToWeb(TWEB&) const {}

} // namespace velbrin
