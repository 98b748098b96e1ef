#include "browser/BrowserLaunch.h"
#include "core/SystemFiles.h"

#include "browser/BrowserDde.h"
#include "config/Param.h"
#include "core/Files.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velbrin {

namespace {

constexpr int kMaxDescriptorSweep = 65536;

// The highest descriptor number worth sweeping when close_range is missing.
int DescriptorLimit()
{
    const long limit = ::sysconf(_SC_OPEN_MAX);
    return limit <= 0 || limit > kMaxDescriptorSweep ? kMaxDescriptorSweep : static_cast<int>(limit);
}

// Runs in the forked child, so it only makes async-signal-safe calls: every
// descriptor above standard error closes when the program starts.
void CloseOnExecAbove2(int limit)
{
#ifdef CLOSE_RANGE_CLOEXEC
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0)
        return;
#endif
    for (int fd = 3; fd < limit; ++fd)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Also in the child: the program starts with no signal blocked or ignored.
void ResetSignals()
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigemptyset(&action.sa_mask);
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &action, nullptr);
}

void WriteError(int fd, int code)
{
    while (::write(fd, &code, sizeof code) < 0 && errno == EINTR) {
    }
}

} // namespace

bool LaunchBrowser(const std::string& exeName, std::string_view target)
{
    if (exeName.empty() || target.starts_with('-'))
        return false;

    // Everything the children need is made before forking: a child of a
    // program with threads may only make async-signal-safe calls.
    std::string program = exeName;
    std::string argument(target);
    char* argv[] = {program.data(), argument.data(), nullptr};
    const int limit = DescriptorLimit();
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0)
        return false;

    // Two forks: the middle child exits at once and is reaped here, so the
    // program, orphaned, is reaped by the system and never waits as our zombie.
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(errorPipe[0]);
        ::close(errorPipe[1]);
        return false;
    }
    if (middle == 0) {
        ::close(errorPipe[0]);
        const pid_t browser = ::fork();
        if (browser < 0)
            WriteError(errorPipe[1], errno);
        if (browser != 0)
            ::_exit(0);
        ::setsid();
        ResetSignals();
        const int null = ::open("/dev/null", O_RDONLY);
        if (null > 0) {
            ::dup2(null, 0);
            ::close(null);
        }
        CloseOnExecAbove2(limit);
        ::execv(program.c_str(), argv);
        WriteError(errorPipe[1], errno);
        ::_exit(127);
    }

    ::close(errorPipe[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes without a word when the program started (close-on-exec);
    // otherwise it carries the failure's errno.
    int code = 0;
    ssize_t got = 0;
    do {
        got = ::read(errorPipe[0], &code, sizeof code);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    return got == 0;
}

bool OpenInBrowser(const TParam& param, std::string_view target, bool activate, const TBrowserPrompts& prompts)
{
    if (!FileExists(param.ExeName)) {
        if (prompts.Ask(TErrorKind::Browser, "Choose a browser?", mbYes | mbNo) == TModalResult::Yes)
            prompts.Edit(kBrowserSettingsPage);
        if (!FileExists(param.ExeName))
            return false;
    }
    if (DdeOpenUrl(param.ExeName, target, activate))
        return true;
    return LaunchBrowser(param.ExeName, target);
}

std::string WebHomePage(std::string_view webDirectory)
{
    return WithTrailingSlash(std::string(webDirectory)) + std::string(kHomePageName);
}

bool OpenWebHomePage(const TParam& param, std::string_view webDirectory, const TBrowserPrompts& prompts)
{
    return OpenInBrowser(param, WebHomePage(webDirectory), true, prompts);
}

} // namespace velbrin
