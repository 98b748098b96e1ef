#include "ui/CaptureTab.h"

#include "capture/Web.h"
#include "config/ProgramDir.h"
#include "core/Text.h"
#include "ui/ShownText.h"

#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace velbrin {

namespace {

constexpr int kRowHeight = 18;

// The clock's face: "FX800G" of "Velbrin.fon" in the program's data
// directory, loaded once; the theme's monospace font without it.
QFont ClockFont()
{
    static const QString family = [] {
        const std::string file = ProgramDir().empty() ? std::string() : ProgramDir() + "Velbrin.fon";
        if (file.empty() || !QFile::exists(QFile::decodeName(file.c_str())))
            return QString();
        const int id = QFontDatabase::addApplicationFont(QFile::decodeName(file.c_str()));
        if (id < 0)
            return QString();
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (families.contains(QStringLiteral("FX800G")))
            return QStringLiteral("FX800G");
        return families.isEmpty() ? QString() : families.first();
    }();
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(family);
    font.setPointSize(std::max(font.pointSize(), 12));
    return font;
}

QLineEdit* MakeField(QWidget* parent, const QString& name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFixedHeight(kRowHeight + 2);
    return field;
}

QString SizeText(std::int64_t bytes)
{
    return bytes < 0 ? QString() : ShownText(FormatBytes(bytes));
}

} // namespace

TCaptureTab::TCaptureTab(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);

    auto* counts = new QGridLayout;
    counts->setVerticalSpacing(2);
    counts->setHorizontalSpacing(4);
    const auto addCount = [&](const QString& caption, const QString& name, int row, int column, int span = 1) {
        QLineEdit* field = MakeField(this, name);
        counts->addWidget(new QLabel(caption, this), row, column);
        counts->addWidget(field, row, column + 1, 1, span);
        return field;
    };
    m_linkCount = addCount(QStringLiteral("Number of links:"), QStringLiteral("LinkCountEdit"), 0, 0);
    m_todoCount = addCount(QStringLiteral("To be explored:"), QStringLiteral("TodoCountEdit"), 1, 0);
    m_capturedCount = addCount(QStringLiteral("Captured pages:"), QStringLiteral("CapturedCountEdit"), 0, 2);
    m_filteredCount = addCount(QStringLiteral("Ignored:"), QStringLiteral("FilteredCountEdit"), 1, 2);
    m_notFoundCount = addCount(QStringLiteral("Not found:"), QStringLiteral("NotFoundCountEdit"), 0, 4);
    m_errorCount = addCount(QStringLiteral("Errors:"), QStringLiteral("ErrorCountEdit"), 1, 4);
    m_totalSize = addCount(QStringLiteral("HD occupancy:"), QStringLiteral("TotalSizeEdit"), 2, 0, 3);
    m_freeDisk = addCount(QStringLiteral("Free disk space:"), QStringLiteral("FreeDiskSizeEdit"), 3, 0, 3);
    for (int column : {1, 3, 5})
        counts->setColumnStretch(column, 1);

    // Beside the disk figures: the received size and the clock of a running capture.
    auto* receivedLabel = new QLabel(QStringLiteral("Received:"), this);
    receivedLabel->setObjectName(QStringLiteral("ReceivedSizeLabel"));
    m_received = MakeField(this, QStringLiteral("ReceivedSizeEdit"));
    m_clock = new QLabel(QStringLiteral("00:00:00"), this);
    m_clock->setObjectName(QStringLiteral("TimePanel"));
    m_clock->setFont(ClockFont());
    m_clock->setAlignment(Qt::AlignCenter);
    m_clock->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    counts->addWidget(receivedLabel, 2, 4);
    counts->addWidget(m_received, 2, 5);
    counts->addWidget(m_clock, 3, 4, 1, 2);
    layout->addLayout(counts);

    auto* rows = new QGridLayout;
    rows->setVerticalSpacing(1);
    rows->setHorizontalSpacing(3);
    const QStringList headers{QStringLiteral("Domain"), QStringLiteral("Url"), QStringLiteral("State"),
                              QStringLiteral("Size")};
    for (int column = 0; column < headers.size(); ++column)
        rows->addWidget(new QLabel(headers[column], this), 0, column);
    for (int i = 0; i < kSocketRows; ++i) {
        const QString suffix = QString::number(i + 1);
        TRow& row = m_rows[i];
        row.Host = MakeField(this, QStringLiteral("Web") + suffix);
        row.Path = MakeField(this, QStringLiteral("Url") + suffix);
        row.State = MakeField(this, QStringLiteral("State") + suffix);
        row.Size = MakeField(this, QStringLiteral("Size") + suffix);
        row.Size->setAlignment(Qt::AlignRight);
        row.Meter = new QProgressBar(this);
        row.Meter->setObjectName(QStringLiteral("Meter") + suffix);
        row.Meter->setRange(0, 100);
        row.Meter->setTextVisible(false);
        row.Meter->setFixedHeight(kRowHeight - 4);
        rows->addWidget(row.Host, i + 1, 0);
        rows->addWidget(row.Path, i + 1, 1);
        rows->addWidget(row.State, i + 1, 2);
        rows->addWidget(row.Size, i + 1, 3);
        rows->addWidget(row.Meter, i + 1, 4);
    }
    rows->setColumnStretch(0, 3);
    rows->setColumnStretch(1, 5);
    rows->setColumnStretch(2, 2);
    rows->setColumnStretch(3, 2);
    rows->setColumnStretch(4, 2);
    layout->addLayout(rows);
    layout->addStretch(1);

    ResetRows();
    SetCapturing(false);
}

void TCaptureTab::WebToControls(const TWEB& web)
{
    ShowCounts(TCaptureCounts{web.GetLinkCount(), web.GetTodoCount(), web.CapturedCount,
                              web.ErrorCount,     web.NotFoundCount, web.FilteredCount});
    std::int64_t freeDisk = -1;
    if (!web.Path.empty()) {
        std::error_code error;
        const std::filesystem::space_info space = std::filesystem::space(web.Path, error);
        if (!error)
            freeDisk = static_cast<std::int64_t>(space.available);
    }
    ShowTotals(web.TotalSize, freeDisk);
}

void TCaptureTab::ResetRows()
{
    for (int socket = 1; socket <= kSocketRows; ++socket)
        ShowSocketRow(socket, TSocketRow{{}, {}, "Idle", -1, 0});
}

void TCaptureTab::SetCapturing(bool capturing)
{
    if (capturing) {
        m_received->setText(QStringLiteral("0 Kb"));
        m_clock->setText(QStringLiteral("00:00:00"));
    }
    findChild<QLabel*>(QStringLiteral("ReceivedSizeLabel"))->setVisible(capturing);
    m_received->setVisible(capturing);
    m_clock->setVisible(capturing);
}

void TCaptureTab::ShowSocketRow(int socket, const TSocketRow& row)
{
    if (socket < 1 || socket > kSocketRows)
        return;
    TRow& shown = m_rows[socket - 1];
    shown.Host->setText(ShownText(row.Host));
    shown.Host->setCursorPosition(0);
    shown.Path->setText(ShownText(row.Path));
    shown.Path->setCursorPosition(0);
    shown.State->setText(ShownText(row.State));
    shown.Size->setText(row.Size < 0 ? QString() : QString::number(row.Size));
    shown.Meter->setValue(std::clamp(row.Percent, 0, 100));
}

void TCaptureTab::ShowCounts(const TCaptureCounts& counts)
{
    m_linkCount->setText(QString::number(counts.Links));
    m_todoCount->setText(QString::number(counts.Todo));
    m_capturedCount->setText(QString::number(counts.Captured));
    m_filteredCount->setText(QString::number(counts.Filtered));
    m_notFoundCount->setText(QString::number(counts.NotFound));
    m_errorCount->setText(QString::number(counts.Errors));
}

void TCaptureTab::ShowReceived(std::int64_t kilobytes)
{
    m_received->setText(QString::number(kilobytes) + QStringLiteral(" Kb"));
}

void TCaptureTab::ShowTotals(std::int64_t totalSize, std::int64_t freeDisk)
{
    m_totalSize->setText(SizeText(totalSize));
    m_freeDisk->setText(SizeText(freeDisk));
}

void TCaptureTab::ShowClock(const std::string& duration)
{
    m_clock->setText(ShownText(duration));
}

} // namespace velbrin
