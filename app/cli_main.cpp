// velbrin-cli: captures web sites to the local disk from a terminal.
#include "CliProgram.h"
#include "ProcessHeap.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    velbrin::UseOneHeapForAllThreads();
    QCoreApplication application(argc, argv);
    // Day and month names of the log and the index pages come from the user's locale.
    std::setlocale(LC_TIME, "");
    // Each line reaches a log file or a pipe as it is said, not when a buffer fills.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    return velbrin::RunCommandLineProgram(arguments, VELBRIN_VERSION);
}
