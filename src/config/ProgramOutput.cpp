#include "config/ProgramOutput.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velbrin {

namespace {

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&m_actions); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&m_actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

// The child's exit status; a child still running at the deadline is killed
// first. -1 when it cannot be waited for.
int WaitFor(pid_t pid, std::chrono::steady_clock::time_point deadline, bool& timedOut)
{
    int status = 0;
    for (;;) {
        pid_t done = ::waitpid(pid, &status, timedOut ? 0 : WNOHANG);
        if (done == pid)
            return status;
        if (done < 0 && errno != EINTR)
            return -1;
        if (done == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                timedOut = true;
                ::kill(pid, SIGKILL);
            } else {
                ::usleep(2000);
            }
        }
    }
}

} // namespace

std::optional<std::string> ProgramOutput(const std::vector<std::string>& arguments, int timeoutMs, std::size_t maxBytes)
{
    if (arguments.empty() || arguments.front().empty())
        return std::nullopt;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return std::nullopt;
    SpawnActions actions;
    ::posix_spawn_file_actions_addopen(actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.Get(), pipeEnds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addopen(actions.Get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = ::posix_spawnp(&pid, argv[0], actions.Get(), nullptr, argv.data(), environ);
    ::close(pipeEnds[1]);
    if (spawned != 0) {
        ::close(pipeEnds[0]);
        return std::nullopt;
    }

    std::string output;
    bool timedOut = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            timedOut = true;
            break;
        }
        pollfd watch { pipeEnds[0], POLLIN, 0 };
        int ready = ::poll(&watch, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            break;
        if (ready == 0)
            continue; // the deadline check above ends the wait
        char buffer[4096];
        ssize_t count = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        std::size_t room = maxBytes - output.size();
        output.append(buffer, std::min(static_cast<std::size_t>(count), room));
    }
    ::close(pipeEnds[0]);
    if (timedOut)
        ::kill(pid, SIGKILL);
    int status = WaitFor(pid, deadline, timedOut);
    if (timedOut || status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return output;
}

} // namespace velbrin
