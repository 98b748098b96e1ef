#include "ui/OptionsTab.h"

namespace velbrin {

TOptionsTab::TOptionsTab(QWidget* parent) : QWidget(parent) {}
void TOptionsTab::WebToControls(const TWEB&) {}
void TOptionsTab::ControlsToWeb(TWEB&) const {}
void TOptionsTab::UpdateExternalWebs() {}

} // namespace velbrin
