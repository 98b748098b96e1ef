#include "net/NetTestSupport.h"
#include "net/SocketChannel.h"

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

// Every event of a channel, in order, as short words.
struct TChannelRecorder {
    explicit TChannelRecorder(TSCX& channel)
    {
        channel.OnNoHost = [this](TSCX&) { Events.push_back("nohost"); };
        channel.OnOkHost = [this](TSCX&) { Events.push_back("okhost"); };
        channel.OnFail = [this](TSCX&) { Events.push_back("fail"); };
        channel.OnCut = [this](TSCX&) { Events.push_back("cut"); };
        channel.OnConnect = [this](TSCX&, const std::string& address) { Events.push_back("connect " + address); };
        channel.OnData = [this](TSCX&, const char* bytes, std::int32_t count) { Data.append(bytes, count); };
    }
    bool Ended() const
    {
        return !Events.empty() && (Events.back() == "cut" || Events.back() == "fail" || Events.back() == "nohost");
    }
    std::vector<std::string> Events;
    std::string Data;
};

} // namespace

TEST(SocketChannel, NumericHostConnectsReceivesAndIsCut)
{
    TScriptedServer server;
    server.Add("HTTP/1.0 200 OK\r\n\r\nhi");
    TSCX channel;
    TChannelRecorder recorder(channel);

    std::int32_t handle = channel.Go("127.0.0.1", std::to_string(server.Port()), 5);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(channel.Handle(), handle);
    EXPECT_TRUE(recorder.Events.empty()); // nothing fires inside Go
    EXPECT_EQ(channel.Host(), "127.0.0.1");
    EXPECT_EQ(channel.TimeoutSecs(), 5);

    ASSERT_TRUE(WaitUntil([&] { return !recorder.Events.empty() && recorder.Events.back() == "connect 127.0.0.1"; }));
    EXPECT_EQ(channel.State(), scxConnect);
    channel.SendString("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"okhost", "connect 127.0.0.1", "cut"}));
    EXPECT_EQ(recorder.Data, "HTTP/1.0 200 OK\r\n\r\nhi");
    EXPECT_EQ(channel.State(), scxCut);
    EXPECT_EQ(channel.Handle(), 0);
}

TEST(SocketChannel, RefusesAnOrderWithoutHostOrPort)
{
    TSCX channel;
    EXPECT_EQ(channel.Go("", "80", 30), 0);
    EXPECT_EQ(channel.Go("127.0.0.1", "0", 30), 0);
    EXPECT_EQ(channel.Go("127.0.0.1", "65536", 30), 0);
    EXPECT_EQ(channel.Go("127.0.0.1", "8o", 30), 0);
    EXPECT_EQ(channel.Handle(), 0);
}

TEST(SocketChannel, NameThatDoesNotResolve)
{
    auto resolver = std::make_shared<TFakeResolver>();
    TSCX channel;
    channel.SetResolver(resolver);
    TChannelRecorder recorder(channel);
    EXPECT_NE(channel.Go("nowhere.invalid", "80", 5), 0);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"nohost"}));
    EXPECT_EQ(channel.State(), scxNoHost);
    EXPECT_EQ(resolver->Lookups("nowhere.invalid"), 1);
}

TEST(SocketChannel, TriesTheNextAddressOfAHost)
{
    TScriptedServer server;
    server.Add("x");
    auto resolver = std::make_shared<TFakeResolver>();
    resolver->Add("two.test", "127.0.0.2"); // nobody listens there
    resolver->Add("two.test", "127.0.0.1");
    TSCX channel;
    channel.SetResolver(resolver);
    TChannelRecorder recorder(channel);
    channel.Go("two.test", std::to_string(server.Port()), 5);
    ASSERT_TRUE(WaitUntil([&] { return !recorder.Events.empty() && recorder.Events.back().rfind("connect", 0) == 0; }));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"okhost", "connect 127.0.0.1"}));
}

TEST(SocketChannel, ConnectionRefusedFails)
{
    TSCX channel;
    TChannelRecorder recorder(channel);
    channel.Go("127.0.0.1", std::to_string(ClosedPort()), 5);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"okhost", "fail"}));
    EXPECT_FALSE(channel.TimedOut());
}

TEST(SocketChannel, TimeOutCoversNameResolution)
{
    auto resolver = std::make_shared<TFakeResolver>();
    resolver->Hang("slow.test");
    TSCX channel;
    channel.SetResolver(resolver);
    TChannelRecorder recorder(channel);
    channel.Go("slow.test", "80", 1);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }, 4000));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"fail"}));
    EXPECT_TRUE(channel.TimedOut());
}

TEST(SocketChannel, TimeOutCoversSilenceOfAnOpenConnection)
{
    TScriptedServer server;
    server.Add(TScript{{}, true});
    TSCX channel;
    TChannelRecorder recorder(channel);
    channel.Go("127.0.0.1", std::to_string(server.Port()), 1);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Events.size() == 2; }));
    channel.SendString("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }, 4000));
    EXPECT_EQ(recorder.Events.back(), "fail");
    EXPECT_TRUE(channel.TimedOut());
}

TEST(SocketChannel, NothingFiresAfterAbort)
{
    TScriptedServer server;
    server.Add(TScript{{"first", "second"}, false, 100});
    TSCX channel;
    TChannelRecorder recorder(channel);
    channel.OnData = [&](TSCX& sender, const char* bytes, std::int32_t count) {
        recorder.Data.append(bytes, count);
        sender.Abort();
    };
    channel.Go("127.0.0.1", std::to_string(server.Port()), 5);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Events.size() == 2; }));
    channel.SendString("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(WaitUntil([&] { return !recorder.Data.empty(); }));
    RunEventsFor(300);
    EXPECT_EQ(recorder.Data, "first");
    EXPECT_EQ(recorder.Events.size(), 2u);
    EXPECT_EQ(channel.Handle(), 0);
}

TEST(SocketChannel, OwnerMayDestroyTheChannelInsideItsEvent)
{
    TScriptedServer server;
    server.Add(TScript{{"data"}, true});
    auto channel = std::make_unique<TSCX>();
    bool destroyed = false;
    channel->OnConnect = [&](TSCX& sender, const std::string&) { sender.SendString("GET / HTTP/1.0\r\n\r\n"); };
    channel->OnData = [&](TSCX&, const char*, std::int32_t) {
        channel.reset();
        destroyed = true;
    };
    channel->Go("127.0.0.1", std::to_string(server.Port()), 5);
    ASSERT_TRUE(WaitUntil([&] { return destroyed; }));
    RunEventsFor(100);
}

TEST(SocketChannel, NextGoReplacesTheConnection)
{
    TScriptedServer server;
    server.Add("second");
    TSCX channel;
    TChannelRecorder recorder(channel);
    std::int32_t first = channel.Go("127.0.0.1", std::to_string(server.Port()), 5);
    std::int32_t second = channel.Go("127.0.0.1", std::to_string(server.Port()), 5);
    EXPECT_NE(first, second);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Events.size() == 2; }));
    channel.SendString("GET / HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(WaitUntil([&] { return recorder.Ended(); }));
    EXPECT_EQ(recorder.Events, (std::vector<std::string>{"okhost", "connect 127.0.0.1", "cut"}));
    EXPECT_EQ(recorder.Data, "second");
    EXPECT_EQ(server.Connections(), 1);
}
