#include "net/AddressCheck.h"
#include "net/NetTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

using namespace velbrin;
using namespace velbrin::testing;

TEST(AddressCheck, KnownHostIsReachable)
{
    auto resolver = std::make_shared<TFakeResolver>();
    resolver->Add("www.site.test", "127.0.0.1");
    TAddressCheck check(resolver);
    std::optional<bool> answer;
    check.Start("http://www.site.test/index.htm", [&](bool reachable) { answer = reachable; });
    EXPECT_EQ(check.WaitText(), "Please wait, checking www.site.test...");
    EXPECT_FALSE(answer);
    ASSERT_TRUE(WaitUntil([&] { return answer.has_value(); }));
    EXPECT_TRUE(*answer);
    EXPECT_EQ(check.ResultText(true), "Web www.site.test : connection possible");
}

TEST(AddressCheck, UnknownHostIsNot)
{
    TAddressCheck check(std::make_shared<TFakeResolver>());
    std::optional<bool> answer;
    check.Start("http://nowhere.invalid/", [&](bool reachable) { answer = reachable; });
    ASSERT_TRUE(WaitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
    EXPECT_EQ(check.ResultText(false), "nowhere.invalid : cannot connect to this Web");
}

TEST(AddressCheck, AddressWithoutHostAnswersFromTheEventLoop)
{
    TAddressCheck check(std::make_shared<TFakeResolver>());
    std::optional<bool> answer;
    check.Start("index.htm", [&](bool reachable) { answer = reachable; });
    EXPECT_FALSE(answer);
    ASSERT_TRUE(WaitUntil([&] { return answer.has_value(); }));
    EXPECT_FALSE(*answer);
}

TEST(AddressCheck, CancelledCheckNeverAnswers)
{
    auto resolver = std::make_shared<TFakeResolver>();
    resolver->Add("www.site.test", "127.0.0.1");
    int answers = 0;
    {
        TAddressCheck check(resolver);
        check.Start("http://www.site.test/", [&](bool) { ++answers; });
        check.Cancel();
        RunEventsFor(50);
        check.Start("http://www.site.test/", [&](bool) { ++answers; });
    }
    RunEventsFor(50);
    EXPECT_EQ(answers, 0);
}
