// window_responsiveness URL [SOCKETS]
//
// How long the desktop window goes without serving its events while it
// captures a site: a 10 ms timer of the window's thread notes the longest gap
// between two of its ticks, separately for the capture session and for the
// closing steps (saving, the resolution pass, the index pages). The window is
// the real TMainWin in a home of its own (a temporary directory), capturing
// URL with SOCKETS sockets (5 by default); every question is answered No.
// Prints the figures and exits 0 when the session kept something.
#include "capture/Web.h"
#include "config/Param.h"
#include "ui/MainWin.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct TGaps {
    qint64 Longest = 0;
    qint64 Total = 0;
    std::vector<qint64> All;

    void Add(qint64 gap)
    {
        Longest = std::max(Longest, gap);
        Total += gap;
        All.push_back(gap);
    }
    qint64 Percentile(double p)
    {
        if (All.empty())
            return 0;
        std::sort(All.begin(), All.end());
        return All[std::min(All.size() - 1, static_cast<std::size_t>(p * All.size()))];
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_responsiveness URL [SOCKETS]\n");
        return 2;
    }
    const std::string url = argv[1];
    const int sockets = argc > 2 ? std::atoi(argv[2]) : 5;

    std::string scratch = (std::filesystem::temp_directory_path() / "velbrin-gaps-XXXXXX").string();
    if (!::mkdtemp(scratch.data()))
        return 2;
    ::setenv("HOME", (scratch + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    std::filesystem::create_directories(scratch + "/home");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int status = 1;
    {
        velbrin::TMainWin window(scratch + "/home/work/");
        if (!window.StartError().empty()) {
            std::fprintf(stderr, "%s\n", window.StartError().c_str());
            return 2;
        }
        window.Settings().MaxSockets = sockets;
        velbrin::TMainWinPrompts& prompts = window.Prompts();
        prompts.Message = [](std::string_view, std::string_view, velbrin::TBoxButtons buttons) {
            return (buttons & velbrin::mbNo) ? velbrin::TModalResult::No : velbrin::TModalResult::Ok;
        };
        prompts.Box = [](const velbrin::TBox&) { return velbrin::TModalResult::No; };
        prompts.Show = [](const std::string&, bool) { return true; };
        window.show();

        TGaps session;
        TGaps closing;
        bool started = false;
        bool finished = false;
        QElapsedTimer clock;
        QElapsedTimer total;
        QTimer ticks;
        ticks.setTimerType(Qt::PreciseTimer);
        ticks.setInterval(10);
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            qint64 gap = clock.restart();
            if (window.Capturing()) {
                started = true;
                session.Add(gap);
            } else if (window.CaptureRunning()) {
                closing.Add(gap);
            } else if (started) {
                finished = true;
                QCoreApplication::exit(0);
            }
        });
        clock.start();
        total.start();
        ticks.start();
        QTimer::singleShot(0, &window, [&] { window.OpenRequested(velbrin::TWebRequest{"", "", url, true}); });
        application.exec();

        const velbrin::TWEB* web = window.CurrentWeb();
        const int captured = web ? web->CapturedCount : 0;
        std::printf("captured files:                 %d\n", captured);
        std::printf("sockets:                        %d\n", sockets);
        std::printf("whole run:                      %.1f s\n", total.elapsed() / 1000.0);
        for (auto [name, gaps] : {std::pair<const char*, TGaps*>{"capture session", &session},
                                  std::pair<const char*, TGaps*>{"closing steps  ", &closing}}) {
            std::printf("%s: %.1f s, %zu ticks, longest gap %lld ms, median %lld ms, 99th percentile %lld ms\n",
                        name, gaps->Total / 1000.0, gaps->All.size(), static_cast<long long>(gaps->Longest),
                        static_cast<long long>(gaps->Percentile(0.5)), static_cast<long long>(gaps->Percentile(0.99)));
        }
        status = finished && captured > 0 ? 0 : 1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return status;
}
