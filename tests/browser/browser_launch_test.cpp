#include "browser/BrowserLaunch.h"
#include "core/Files.h"

#include "BrowserTestSupport.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace velbrin;
using namespace velbrin::test;

namespace {

// A stand-in browser: records how many arguments it got, each argument in
// brackets, whether descriptor $WATCHED_FD was open in it, and its session,
// then renames the record into place so that a reader sees it whole.
constexpr const char* kStandIn = R"sh(#!/bin/sh
record="$(dirname "$0")/record"
{
    echo "count=$#"
    for argument in "$@"; do printf '[%s]\n' "$argument"; done
    if [ -e "/proc/$$/fd/$WATCHED_FD" ]; then echo "fd=open"; else echo "fd=closed"; fi
    echo "leader=$(sed 's/.*) //' /proc/$$/stat | cut -d' ' -f4)"
    echo "pid=$$"
} > "$record.tmp"
mv "$record.tmp" "$record"
)sh";

class BrowserLaunchTest : public ::testing::Test {
protected:
    BrowserLaunchTest()
    {
        WriteText(browser, kStandIn);
        ::chmod(browser.c_str(), 0755);
    }

    // The record of the stand-in, waited for up to ten seconds.
    std::string Record()
    {
        for (int i = 0; i < 1000 && !FileExists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadText(record);
    }

    TBrowserPrompts Prompts(TModalResult answer, std::function<bool()> edit = {})
    {
        TBrowserPrompts prompts;
        prompts.ErrorBox = [this, answer](TErrorKind kind, std::string_view text, TBoxButtons buttons) {
            asked.push_back(std::string(text));
            EXPECT_EQ(kind, TErrorKind::Browser);
            EXPECT_EQ(buttons, TBoxButtons(mbYes | mbNo));
            return answer;
        };
        prompts.EditSettings = [this, edit](int page) {
            pages.push_back(page);
            return edit && edit();
        };
        return prompts;
    }

    SettingsHome settings;
    const std::string browser = settings.dir.Path() + "bin/stand-in browser";
    const std::string record = settings.dir.Path() + "bin/record";
    std::vector<std::string> asked;
    std::vector<int> pages;
};

} // namespace

TEST_F(BrowserLaunchTest, TheTargetArrivesAsOneArgumentAndNothingLingers)
{
    // A socket of ours, open without close-on-exec, must not reach the browser.
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    EnvOverride watched("WATCHED_FD", std::to_string(socket));

    settings.param->ExeName = browser;
    const std::string target = settings.dir.Path() + "My \"Web\" it's $HOME `x` *;|/_Home.htm";
    EXPECT_TRUE(OpenInBrowser(*settings.param, target, true, Prompts(TModalResult::No)));
    const std::string got = Record();
    ::close(socket);

    EXPECT_NE(got.find("count=1\n[" + target + "]\n"), std::string::npos) << got;
    EXPECT_NE(got.find("fd=closed"), std::string::npos) << got;
    // A session of its own: the browser's process leads it.
    const std::size_t leader = got.find("leader=");
    const std::size_t pid = got.find("pid=");
    ASSERT_NE(leader, std::string::npos);
    ASSERT_NE(pid, std::string::npos);
    EXPECT_EQ(got.substr(leader + 7, got.find('\n', leader) - leader - 7),
              got.substr(pid + 4, got.find('\n', pid) - pid - 4));
    EXPECT_TRUE(asked.empty());

    // The browser is not our child: no zombie is left to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(BrowserLaunchTest, TheHomePageOfAWeb)
{
    settings.param->ExeName = browser;
    EXPECT_EQ(WebHomePage("/webs/site/"), "/webs/site/_Home.htm");
    EXPECT_EQ(WebHomePage("/webs/site"), "/webs/site/_Home.htm");
    EXPECT_TRUE(OpenWebHomePage(*settings.param, settings.dir.Path() + "site/", {}));
    EXPECT_NE(Record().find("count=1\n[" + settings.dir.Path() + "site/_Home.htm]\n"), std::string::npos);
}

TEST_F(BrowserLaunchTest, AMissingBrowserAsksToChooseOne)
{
    settings.param->ExeName = settings.dir.Path() + "bin/missing";
    EXPECT_FALSE(OpenInBrowser(*settings.param, "mailto:someone@example.org", true, Prompts(TModalResult::No)));
    EXPECT_EQ(asked, std::vector<std::string>{"Choose a browser?"});
    EXPECT_TRUE(pages.empty());

    // Yes, but the dialog leaves no browser: nothing happens.
    EXPECT_FALSE(OpenInBrowser(*settings.param, "mailto:someone@example.org", true, Prompts(TModalResult::Yes)));
    EXPECT_EQ(pages, std::vector<int>{kBrowserSettingsPage});

    // Yes, and a browser is chosen: the page goes to it.
    const auto choose = [this] {
        settings.param->ExeName = browser;
        return true;
    };
    EXPECT_TRUE(OpenInBrowser(*settings.param, "mailto:someone@example.org", false, Prompts(TModalResult::Yes, choose)));
    EXPECT_NE(Record().find("[mailto:someone@example.org]"), std::string::npos);

    // Without prompts the question is answered No.
    settings.param->ExeName.clear();
    EXPECT_FALSE(OpenInBrowser(*settings.param, "x", true, {}));
}

TEST_F(BrowserLaunchTest, LaunchFailuresAreReported)
{
    const std::string plain = settings.dir.Path() + "bin/not-a-program";
    WriteText(plain, "data");
    ::chmod(plain.c_str(), 0644);
    EXPECT_FALSE(LaunchBrowser(plain, "/w/_Home.htm"));
    EXPECT_FALSE(LaunchBrowser("", "/w/_Home.htm"));
    // A target the browser would take for one of its options.
    EXPECT_FALSE(LaunchBrowser(browser, "--new-instance"));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(FileExists(record));
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}
