#include "ui/FileTab.h"

namespace velbrin {

TFileTab::TFileTab(QWidget* parent) : QWidget(parent) { m_mimeArea = new QWidget(this); }
void TFileTab::WebToControls(const TWEB&) {}
void TFileTab::ControlsToWeb(TWEB&) const {}

} // namespace velbrin
