#include "CliProgram.h"

#include "net/HttpStatusText.h"
#include "core/SystemFiles.h"

#include "CommandLine.h"
#include "TerminalView.h"
#include "browser/BrowserLaunch.h"
#include "browser/Bookmarks.h"
#include "browser/WebBookmark.h"
#include "capture/ProgramStart.h"
#include "capture/ResolvePass.h"
#include "capture/SessionCapture.h"
#include "capture/SessionRun.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "config/ProgramDir.h"
#include "config/WorkPath.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/Text.h"
#include "core/Url.h"
#include "capture/KnownWebs.h"
#include "index/PictureHeader.h"
#include "store/MimeDefFile.h"
#include "store/MimeList.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace velbrin {

namespace {

constexpr const char* kUsage =
    "usage: velbrin-cli [options] ADDRESS | PROJECT.WEB [CAPTURE] [OPTIONS.INI]\n"
    "\n"
    "  ADDRESS          an http:// or https:// address: makes a new Web in the capture\n"
    "                   directory of the settings (or loads the one made before) and captures it\n"
    "  PROJECT.WEB      a Web's project file: prints its summary, or captures it with CAPTURE\n"
    "  OPTIONS.INI      options for the Web, new or not: key MIMES and the capture\n"
    "                   options of its section OPTIONS\n"
    "\n"
    "options:\n"
    "  --workpath DIR   the working directory (settings, list of Webs); asked for once\n"
    "  --bookmark       add or update the Web's bookmark after the capture\n"
    "  --open           show the Web's home page in the browser after the capture\n"
    "  --help           this text\n"
    "  --version        the program's version\n";

// Ctrl-C reaches the event loop through a socket pair: the handler only writes
// the signal's number, the loop does the rest.
int g_signalPipe[2] = {-1, -1};

extern "C" void OnInterrupt(int signal)
{
    char byte = static_cast<char>(signal);
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

// A file name as a POSIX shell reads it back.
std::string ShellWord(const std::string& text)
{
    if (!text.empty() && text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+:@%,=")
                             == std::string::npos)
        return text;
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

void Say(const std::string& text) { std::fprintf(stdout, "%s\n", TerminalSafe(text).c_str()); }
void Complain(const std::string& text) { std::fprintf(stderr, "velbrin-cli: %s\n", TerminalSafe(text).c_str()); }

std::string DateText(TDateTime date) { return date > 0 ? FormatLongDate(date) : std::string("never"); }

void PrintSummary(const TWEB& web)
{
    Say("Title:        " + web.Title);
    Say("Address:      " + web.Url);
    Say("Directory:    " + web.Path);
    Say("Project file: " + web.FileName);
    Say("Links:        " + std::to_string(web.GetLinkCount()) + " (captured " + std::to_string(web.CapturedCount)
        + ", to do " + std::to_string(web.GetTodoCount()) + ", errors " + std::to_string(web.ErrorCount)
        + ", not found " + std::to_string(web.NotFoundCount) + ", filtered " + std::to_string(web.FilteredCount)
        + ")");
    Say("Stored:       " + FormatBytes(web.TotalSize));
    const TCaptureInfo& last = web.LastCaptureInfo;
    if (last.StartDate > 0) {
        Say("Last session: " + DateText(last.StartDate) + " to " + DateText(last.EndDate));
        Say("              captured " + std::to_string(last.SessionCaptured) + ", filtered "
            + std::to_string(last.SessionFiltered) + ", not found " + std::to_string(last.SessionNotFound)
            + ", errors " + std::to_string(last.SessionErrors) + ", received " + std::to_string(last.ReceivedKb)
            + " Kb");
    } else {
        Say("Last session: never captured");
    }
    std::string home = web.Path + std::string(kHomePageName);
    if (FileExists(home))
        Say("Home page:    " + home);
}

} // namespace

int RunCommandLineProgram(const std::vector<std::string>& arguments, const std::string& version)
{
    TCommandLine line = ParseCommandLine(arguments);
    if (line.Version) {
        std::printf("velbrin-cli %s\n", version.c_str());
        return kExitCaptured;
    }
    if (line.Help) {
        std::fputs(kUsage, stdout);
        return kExitCaptured;
    }
    if (!line.Error.empty()) {
        Complain(line.Error);
        std::fputs(kUsage, stderr);
        return kExitUnusable;
    }
    if (!line.HasWork()) {
        std::fputs(kUsage, stderr);
        return kExitUnusable;
    }
    // The address and the options file are checked before anything is created.
    const TWebRequest request = line.WebRequest();
    if (std::string problem = WebRequestProblem(request); !problem.empty()) {
        Complain(problem);
        return kExitUnusable;
    }

    // The command line never opens a browser: it does not ask the desktop for one.
    TProgramStart start = StartProgramSettings(line.WorkPath, {});
    for (const std::string& note : start.Notes)
        Say(note);
    if (!start.Error.empty()) {
        Complain(start.Error);
        return kExitUnusable;
    }
    if (!start.TlsError.empty()) {
        Complain(start.TlsError);
        return kExitUnusable;
    }
    std::unique_ptr<TParam> settings = std::move(start.Settings);

    TMIMELIST globalMime;
    std::string mimeError;
    if (LoadMimeDef(globalMime, WorkPath(), &mimeError) == MimeDefStatus::DefaultsUsed)
        Complain("mime.def: " + mimeError + " (using the default MIME types)");
    TKnownWebs knownWebs(WorkPath());
    knownWebs.Load();

    TRequestedWeb opened = OpenRequestedWeb(request, *settings, globalMime, ProgramDir());
    for (const std::string& note : opened.Notes)
        Say(note);
    if (!opened.Web) {
        Complain(opened.Error);
        return kExitUnusable;
    }
    std::unique_ptr<TWEB> web = std::move(opened.Web);
    const std::string projectFile = opened.ProjectFile;
    const bool capture = opened.Capture;
    if (opened.Created)
        Say("New Web " + web->Url + " in " + web->Path);
    if (!opened.OptionsApplied.empty())
        Say(opened.OptionsApplied);
    knownWebs.Add(projectFile);
    auto saveKnownWebs = [&] {
        try {
            knownWebs.Save();
        } catch (const EVelbrinError& e) {
            Complain(e.what());
        }
    };

    if (!capture) {
        PrintSummary(*web);
        saveKnownWebs();
        return kExitCaptured;
    }

    if (GetHost(web->Url).find('.') == std::string::npos)
        Complain("warning: the host " + GetHost(web->Url)
                 + " has no \".\", so no link of its pages can be followed: only the start page is captured. "
                   "Use the numeric address (127.0.0.1 for localhost) to capture the whole site.");

    const bool interactive = ::isatty(::fileno(stdout)) != 0;
    TTerminalCaptureView view(stdout, interactive);

    // Ctrl-C stops the session (then the resolution pass); the Web is saved.
    TCapture* running = nullptr;
    TTerminalResolveView* resolving = nullptr;
    int interruptedBy = 0; // the signal that stopped the capture or its resolution pass
    std::unique_ptr<QSocketNotifier> interrupts;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) == 0) {
        interrupts = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(interrupts.get(), &QSocketNotifier::activated, [&] {
            char byte;
            if (::read(g_signalPipe[0], &byte, 1) != 1)
                return;
            if (running) {
                if (interruptedBy == 0)
                    view.ShowInterrupted();
                running->StopCapture();
            } else if (resolving) {
                resolving->Cancel();
            } else {
                return;
            }
            if (interruptedBy == 0)
                interruptedBy = static_cast<unsigned char>(byte);
        });
        std::signal(SIGINT, OnInterrupt);
        std::signal(SIGTERM, OnInterrupt);
    }

    TBrowserPrompts prompts;
    prompts.ErrorBox = [](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
        return ErrorBox(kind, text, buttons);
    };
    // What the session counted, also when it kept nothing (the Web's last
    // session figures are only replaced when it holds captured files).
    struct {
        int Filtered = 0;
        int NotFound = 0;
        int Errors = 0;
    } counted;
    TCaptureSteps steps;
    steps.SessionChanged = [&](TCapture* session) {
        if (!session && running)
            counted = {running->SessionFiltered(), running->SessionNotFound(), running->SessionErrors()};
        running = session;
        if (!session)
            view.Finish();
    };
    steps.SaveWeb = [&] {
        try {
            web->SaveToFile(web->FileName.empty() ? projectFile : web->FileName);
            knownWebs.Add(web->FileName);
            return true;
        } catch (const EVelbrinError& e) {
            Complain(std::string("the Web could not be saved: ") + e.what());
            return false;
        }
    };
    steps.ResolveLinks = [&] {
        TTerminalResolveView progress(stdout, interactive);
        resolving = &progress;
        ResolveLinks(*web, settings->IndexParams, ReadPictureSize, progress,
                     [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        resolving = nullptr;
        progress.Finish();
        // What the pass computed (the total size, map entries) is kept.
        steps.SaveWeb();
    };
    steps.AddBookmark = [&] {
        try {
            TBookMarks bookmarks;
            TBookmarkChange change =
                AddWebBookmark(bookmarks, *settings, TWebBookmark{web->Path, web->Title, web->Url}, prompts);
            if (change == TBookmarkChange::Added)
                Say("Bookmark added to " + settings->BookmarkFile);
            else if (change == TBookmarkChange::Retitled)
                Say("Bookmark retitled in " + settings->BookmarkFile);
        } catch (const EVelbrinError& e) {
            Complain(std::string("the bookmark could not be written: ") + e.what());
        }
    };
    steps.ShowHomePage = [&] { OpenWebHomePage(*settings, web->Path, prompts); };

    Say("Capturing " + web->Url + " into " + web->Path);
    TCaptureEnd end = RunCapture(*web, *settings, globalMime, view, steps, line.AddBookmark, line.OpenBrowser);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    interrupts.reset();

    saveKnownWebs();
    if (end.DiskFull)
        Complain("the disk is full: the capture stopped");
    if (end.NothingCaptured && end.LastStatus != 0) {
        std::string answer = HttpStatusText(end.LastStatus);
        if (answer.empty())
            answer = "status " + std::to_string(end.LastStatus);
        Complain(end.LastUrl + " was answered " + answer);
    }
    Say(std::string("Session") + (interruptedBy != 0 ? " interrupted" : "") + ": captured "
        + std::to_string(end.SessionCaptured) + ", filtered " + std::to_string(counted.Filtered) + ", not found "
        + std::to_string(counted.NotFound) + ", errors " + std::to_string(counted.Errors));
    Say("Capture log:  " + web->Path + std::string(kLogFileName));
    std::string home = web->Path + std::string(kHomePageName);
    if (FileExists(home))
        Say("Open the copy: " + MakeFileUrl(home));
    if (interruptedBy != 0) {
        Say("The capture was interrupted. To go on with it:");
        Say("  velbrin-cli " + ShellWord(web->FileName.empty() ? projectFile : web->FileName) + " CAPTURE");
        return kExitInterrupted + interruptedBy;
    }
    // A capture again of a Web that is complete keeps nothing new and still
    // leaves a usable copy: what counts is what the Web holds.
    return web->CapturedCount > 0 ? kExitCaptured : kExitNothing;
}

} // namespace velbrin
