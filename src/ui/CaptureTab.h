#pragma once

#include "capture/CaptureView.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QLineEdit;
class QProgressBar;

namespace velbrin {

class TWEB;

inline constexpr int kSocketRows = 9;

// "C&apture": the Web's counts, "HD occupancy:" and "Free disk space:", the
// nine socket rows (Web1..9, Url1..9, State1..9, Size1..9, Meter1..9), the
// received size and the clock (TimePanel). The capture session draws into it
// as its view.
class TCaptureTab : public QWidget, public TCaptureView {
    Q_OBJECT
public:
    explicit TCaptureTab(QWidget* parent = nullptr);

    // The counts and disk figures of a Web at rest.
    void WebToControls(const TWEB& web);
    // Every row: empty fields, "Idle", meter 0.
    void ResetRows();
    // The received size and the clock are shown only while capturing.
    void SetCapturing(bool capturing);

    // TCaptureView
    void ShowSocketRow(int socket, const TSocketRow& row) override;
    void ShowCounts(const TCaptureCounts& counts) override;
    void ShowReceived(std::int64_t kilobytes) override;
    void ShowTotals(std::int64_t totalSize, std::int64_t freeDisk) override;
    void ShowClock(const std::string& duration) override;

private:
    struct TRow {
        QLineEdit* Host = nullptr;
        QLineEdit* Path = nullptr;
        QLineEdit* State = nullptr;
        QLineEdit* Size = nullptr;
        QProgressBar* Meter = nullptr;
    };
    std::array<TRow, kSocketRows> m_rows;
    QLineEdit* m_linkCount = nullptr;
    QLineEdit* m_todoCount = nullptr;
    QLineEdit* m_capturedCount = nullptr;
    QLineEdit* m_filteredCount = nullptr;
    QLineEdit* m_notFoundCount = nullptr;
    QLineEdit* m_errorCount = nullptr;
    QLineEdit* m_totalSize = nullptr;
    QLineEdit* m_freeDisk = nullptr;
    QLineEdit* m_received = nullptr;
    QLabel* m_clock = nullptr;
};

} // namespace velbrin
