// velbrin: the desktop program.
#include "CommandLine.h"
#include "ProcessHeap.h"
#include "ui/MainWin.h"
#include "ui/MessageBoxes.h"
#include "ui/Screenshots.h"
#include "ui/WorkPathDlg.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: velbrin [--workpath DIR] [ADDRESS] [PROJECT.WEB] [OPTIONS.INI] [CAPTURE]\n"
    "\n"
    "  ADDRESS          an http:// or https:// address: opens (or makes) its Web in the capture\n"
    "                   directory of the settings, one directory per site, and captures it\n"
    "  PROJECT.WEB      a Web's project file: opens it, and captures it with CAPTURE\n"
    "  OPTIONS.INI      options for the Web, new or not: key MIMES and the capture\n"
    "                   options of its section OPTIONS\n"
    "  --workpath DIR   the working directory (settings, list of Webs)\n";

} // namespace

int main(int argc, char** argv)
{
    velbrin::UseOneHeapForAllThreads();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velbrin"));
    QApplication::setDesktopFileName(QStringLiteral("velbrin"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("velbrin")));
    // Day and month names of the log and the index pages come from the user's locale.
    std::setlocale(LC_TIME, "");

    std::vector<std::string> arguments(argv + 1, argv + argc);
    velbrin::TCommandLine line = velbrin::ParseCommandLine(arguments);
    if (line.Version) {
        std::printf("velbrin %s\n", VELBRIN_VERSION);
        return 0;
    }
    if (line.Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    // First start: the working path is asked before any other window opens;
    // Cancel ends the program with nothing created.
    std::string workPath = line.WorkPath;
    if (workPath.empty() && velbrin::WorkPathNeeded()) {
        std::optional<std::string> chosen = velbrin::AskWorkPath(nullptr);
        if (!chosen)
            return 0;
        workPath = *chosen;
    }

    velbrin::TMainWin window(workPath);
    if (!window.StartError().empty()) {
        velbrin::ShowMessageBox(nullptr, "Velbrin", window.StartError(), velbrin::mbOk, velbrin::TBoxIcon::Error);
        return 2;
    }
    window.show();
    if (QScreen* screen = window.screen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    if (!line.Error.empty())
        velbrin::ShowMessageBox(&window, "Velbrin", line.Error + "\r\n\r\n" + kUsage, velbrin::mbOk);
    else if (line.HasWork())
        window.OpenRequested(line.WebRequest());
    // The screenshot script: pictures of the window once it is up, then quit.
    if (QByteArray shots = qgetenv("VELBRIN_SCREENSHOTS"); !shots.isEmpty()) {
        QTimer::singleShot(800, &window, [&window, shots] {
            bool ok = velbrin::TakeScreenshots(window, shots.toStdString());
            QCoreApplication::exit(ok ? 0 : 1);
        });
    }
    return application.exec();
}
