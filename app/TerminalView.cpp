#include "TerminalView.h"

#include "core/Text.h"

#include <algorithm>

namespace velbrin {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kInteractiveInterval = std::chrono::milliseconds(100);
constexpr auto kPlainInterval = std::chrono::seconds(1);

std::string Fit(std::string text, std::size_t width)
{
    if (text.size() > width)
        text = text.substr(0, width - 1) + "~";
    text.resize(width, ' ');
    return text;
}

} // namespace

std::string TerminalSafe(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = '?';
    }
    return out;
}

TTerminalCaptureView::TTerminalCaptureView(std::FILE* out, bool interactive)
    : m_out(out)
    , m_interactive(interactive)
{
}

void TTerminalCaptureView::ShowSocketRow(int socket, const TSocketRow& row)
{
    if (socket < 1)
        return;
    if (static_cast<std::size_t>(socket) > m_rows.size())
        m_rows.resize(static_cast<std::size_t>(socket));
    m_rows[static_cast<std::size_t>(socket - 1)] = row;
    Changed();
}

void TTerminalCaptureView::ShowCounts(const TCaptureCounts& counts)
{
    m_counts = counts;
    Changed();
}

void TTerminalCaptureView::ShowReceived(std::int64_t kilobytes)
{
    m_receivedKb = kilobytes;
    Changed();
}

void TTerminalCaptureView::ShowTotals(std::int64_t totalSize, std::int64_t freeDisk)
{
    m_totalSize = totalSize;
    m_freeDisk = freeDisk;
    Changed();
}

void TTerminalCaptureView::ShowClock(const std::string& duration)
{
    m_clock = duration;
    Changed();
}

void TTerminalCaptureView::Changed()
{
    auto now = Clock::now();
    if (now - m_lastDraw < (m_interactive ? Clock::duration(kInteractiveInterval) : Clock::duration(kPlainInterval)))
        return;
    m_lastDraw = now;
    Draw();
}

std::string TTerminalCaptureView::StatusLine() const
{
    return "[" + m_clock + "] links " + std::to_string(m_counts.Links) + ", to do " + std::to_string(m_counts.Todo)
           + ", captured " + std::to_string(m_counts.Captured) + ", errors " + std::to_string(m_counts.Errors)
           + ", not found " + std::to_string(m_counts.NotFound) + ", filtered " + std::to_string(m_counts.Filtered)
           + ", received " + std::to_string(m_receivedKb) + " Kb";
}

void TTerminalCaptureView::Draw()
{
    if (!m_interactive) {
        std::fprintf(m_out, "%s\n", StatusLine().c_str());
        std::fflush(m_out);
        return;
    }
    std::string screen;
    if (m_drawnLines > 0)
        screen += "\x1b[" + std::to_string(m_drawnLines) + "A";
    int lines = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const TSocketRow& row = m_rows[i];
        std::string size = row.Size >= 0 ? std::to_string(row.Size) : "";
        char head[16];
        std::snprintf(head, sizeof head, "%2zu ", i + 1);
        screen += "\x1b[2K" + std::string(head) + Fit(TerminalSafe(row.Host), 22) + " "
                  + Fit(TerminalSafe(row.Path), 34) + " " + Fit(row.State, 10) + " " + Fit(size, 10) + " "
                  + std::to_string(row.Percent) + "%\n";
        ++lines;
    }
    screen += "\x1b[2K" + StatusLine() + "\n";
    screen += "\x1b[2K   stored " + FormatBytes(m_totalSize)
              + (m_freeDisk >= 0 ? ", free on disk " + FormatBytes(m_freeDisk) : std::string()) + "\n";
    lines += 2;
    std::fputs(screen.c_str(), m_out);
    std::fflush(m_out);
    m_drawnLines = lines;
}

TModalResult TTerminalCaptureView::AskFailure(const TBox& box)
{
    return CurrentErrorBoxView().ShowBox(box);
}

void TTerminalCaptureView::Finish()
{
    Draw();
    m_lastDraw = Clock::now();
}

TTerminalResolveView::TTerminalResolveView(std::FILE* out, bool interactive)
    : m_out(out)
    , m_interactive(interactive)
{
}

void TTerminalResolveView::ShowSite(const std::string& site)
{
    m_site = TerminalSafe(site);
    m_done = 0;
    Draw(true);
}

void TTerminalResolveView::ShowFile(const std::string& fileName)
{
    m_file = TerminalSafe(fileName);
    Draw(false);
}

void TTerminalResolveView::ShowProgress(int done, int total)
{
    m_done = done;
    m_total = total;
    Draw(false);
}

void TTerminalResolveView::Draw(bool force)
{
    auto now = Clock::now();
    auto interval = m_interactive ? Clock::duration(kInteractiveInterval) : Clock::duration(kPlainInterval);
    if (!force && now - m_lastDraw < interval)
        return;
    m_lastDraw = now;
    std::string line = "Resolving links: " + m_site + "  " + std::to_string(m_done) + "/" + std::to_string(m_total);
    if (m_interactive) {
        line = "\r\x1b[2K" + line + "  " + m_file;
        std::fputs(line.c_str(), m_out);
    } else {
        std::fprintf(m_out, "%s\n", line.c_str());
    }
    std::fflush(m_out);
    m_drawn = true;
}

void TTerminalResolveView::Finish()
{
    Draw(true);
    if (m_interactive && m_drawn)
        std::fputs("\n", m_out);
    std::fflush(m_out);
}

} // namespace velbrin
