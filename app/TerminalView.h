#pragma once

#include "capture/CaptureView.h"
#include "capture/ResolvePass.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace velbrin {

// Texts from a captured site go to the terminal with their control bytes
// replaced, so that a hostile address cannot send escape sequences.
std::string TerminalSafe(std::string_view text);

// The capture display on a terminal: one row per socket (host, path, state,
// size, percent), the six counters, the received size and the clock, redrawn
// in place at most ten times a second. When the output is not a terminal, a
// plain progress line at most once a second instead.
class TTerminalCaptureView final : public TCaptureView {
public:
    TTerminalCaptureView(std::FILE* out, bool interactive);

    void ShowSocketRow(int socket, const TSocketRow& row) override;
    void ShowCounts(const TCaptureCounts& counts) override;
    void ShowReceived(std::int64_t kilobytes) override;
    void ShowTotals(std::int64_t totalSize, std::int64_t freeDisk) override;
    void ShowClock(const std::string& duration) override;
    // The box is asked on the console (or whatever box view the program set).
    TModalResult AskFailure(const TBox& box) override;

    // Draws the last state once more, whatever the time, and leaves the cursor below it.
    void Finish();

    const TCaptureCounts& Counts() const { return m_counts; }

private:
    void Changed();
    void Draw();
    std::string StatusLine() const;

    std::FILE* m_out;
    bool m_interactive;
    std::vector<TSocketRow> m_rows;
    TCaptureCounts m_counts;
    std::int64_t m_receivedKb = 0;
    std::int64_t m_totalSize = 0;
    std::int64_t m_freeDisk = -1;
    std::string m_clock = "00:00:00";
    int m_drawnLines = 0;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// The resolution pass's progress on a terminal: the site, the page count.
class TTerminalResolveView final : public TResolveView {
public:
    TTerminalResolveView(std::FILE* out, bool interactive);

    void ShowSite(const std::string& site) override;
    void ShowFile(const std::string& fileName) override;
    void ShowProgress(int done, int total) override;
    bool Cancelled() override { return m_cancelled; }

    void Cancel() { m_cancelled = true; }
    void Finish();

private:
    void Draw(bool force);

    std::FILE* m_out;
    bool m_interactive;
    bool m_cancelled = false;
    std::string m_site;
    std::string m_file;
    int m_done = 0;
    int m_total = 0;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

} // namespace velbrin
