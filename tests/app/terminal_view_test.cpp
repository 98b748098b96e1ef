#include "TerminalView.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace velbrin;

namespace {

// A file the views write to, read back whole.
class Output {
public:
    Output()
        : m_file(std::tmpfile(), &std::fclose)
    {
    }
    std::FILE* File() { return m_file.get(); }
    std::string Text()
    {
        std::fflush(m_file.get());
        std::rewind(m_file.get());
        std::string text;
        char buffer[4096];
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, m_file.get()))
            text.append(buffer, n);
        return text;
    }

private:
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> m_file;
};

// The lowest line a terminal's cursor comes back to after the first line
// that holds mark, following line ends and cursor-up sequences; -1 when the
// cursor never goes above the line below the mark.
int OverwrittenAbove(const std::string& text, const std::string& mark)
{
    int line = 0;
    int markLine = -1;
    int lowest = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (markLine < 0 && text.compare(i, mark.size(), mark) == 0)
            markLine = line;
        if (text[i] == '\n') {
            ++line;
        } else if (text.compare(i, 2, "\x1b[") == 0) {
            std::size_t end = text.find_first_not_of("0123456789", i + 2);
            if (end != std::string::npos && text[end] == 'A') {
                line -= std::stoi(text.substr(i + 2, end - i - 2));
                if (markLine >= 0 && line <= markLine)
                    lowest = lowest < 0 ? line : std::min(lowest, line);
            }
        }
    }
    return lowest;
}

} // namespace

TEST(TerminalView, StoppingLineStaysAboveTheRowsDrawnAfterIt)
{
    Output out;
    TTerminalCaptureView view(out.File(), true);
    view.ShowSocketRow(1, TSocketRow{"h.tld", "/a.htm", "Receiving", 100, 50});
    view.ShowSocketRow(2, TSocketRow{"h.tld", "/b.htm", "Receiving", 100, 20});
    view.Finish();
    view.ShowInterrupted();
    view.ShowSocketRow(1, TSocketRow{"h.tld", "/a.htm", "Idle", -1, 0});
    view.Finish();
    view.ShowCounts(TCaptureCounts{3, 0, 1, 0, 0, 0});
    view.Finish();

    const std::string text = out.Text();
    ASSERT_NE(text.find("Stopping the capture...\n"), std::string::npos);
    EXPECT_EQ(OverwrittenAbove(text, "Stopping the capture..."), -1) << text;
    // The rows are still redrawn in place below it, and say what happened.
    EXPECT_NE(text.rfind("\x1b[4A"), std::string::npos);
    EXPECT_NE(text.rfind("] interrupted: links 3, to do 0, captured 1"), std::string::npos);
}

TEST(TerminalView, ResolutionPassIsOneLineWhenNotOnATerminal)
{
    Output out;
    TTerminalResolveView view(out.File(), false);
    view.ShowSite("Recherche...");
    view.ShowProgress(0, 14);
    for (const char* site : {"127.0.0.1:8080", "www.example.invalid", "other.example.invalid"}) {
        view.ShowSite(site);
        view.ShowProgress(0, 0);
    }
    view.ShowProgress(0, 2);
    view.ShowProgress(1, 2);
    view.ShowProgress(2, 2);
    view.ShowSite("last.example.invalid");
    view.ShowProgress(1, 1);
    view.Finish();
    EXPECT_EQ(out.Text(), "Resolving links: 3 pages rewritten\n");

    Output cut;
    TTerminalResolveView cancelled(cut.File(), false);
    cancelled.ShowSite("127.0.0.1:8080");
    cancelled.ShowProgress(1, 5);
    cancelled.Cancel();
    cancelled.Finish();
    EXPECT_EQ(cut.Text(), "Resolving links: 1 page rewritten, interrupted\n");
}
