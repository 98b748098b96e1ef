#include "ui/CaptureTab.h"

namespace velbrin {

TCaptureTab::TCaptureTab(QWidget* parent) : QWidget(parent) {}
void TCaptureTab::WebToControls(const TWEB&) {}
void TCaptureTab::ResetRows() {}
void TCaptureTab::SetCapturing(bool) {}
void TCaptureTab::ShowSocketRow(int, const TSocketRow&) {}
void TCaptureTab::ShowCounts(const TCaptureCounts&) {}
void TCaptureTab::ShowReceived(std::int64_t) {}
void TCaptureTab::ShowTotals(std::int64_t, std::int64_t) {}
void TCaptureTab::ShowClock(const std::string&) {}

} // namespace velbrin
