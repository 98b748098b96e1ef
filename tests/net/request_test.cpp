#include "net/NetTestSupport.h"
#include "net/Request.h"
#include "net/SocketChannel.h"

#include "core/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

const std::string kAgent = "Accept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\n";
const std::string kEncoding = "Accept-Encoding: gzip, br\r\n";

class RequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRequest::HostCache().Clear();
        TRequest::SetTraceMode(false);
        ASSERT_TRUE(m_dir.isValid());
        BodyPath = m_dir.path().toStdString() + "/body.htm";
        Bind(*Request);
    }
    void TearDown() override { TRequest::SetTraceMode(false); }

    // Records every event of request; the header handler accepts the body
    // into BodyPath unless AcceptHeader says otherwise.
    void Bind(TRequest& request)
    {
        request.Socket().SetResolver(Resolver);
        request.OnHeader = [this](TRequest& sender) {
            ++Headers;
            HeaderSeen = sender.Header();
            if (OnHeaderHook)
                return OnHeaderHook(sender);
            sender.BodyFileName = BodyPath;
            return true;
        };
        request.OnComplete = [this](TRequest& sender) {
            ++Completes;
            CompletedLength = sender.Header().ContentLength;
            if (OnCompleteHook)
                OnCompleteHook(sender);
        };
        request.OnError = [this](TRequest& sender, bool retry) {
            Errors.push_back(retry);
            ErrorKind = sender.ErrorKind();
            if (OnErrorHook)
                OnErrorHook(sender);
        };
        request.OnProgress = [this](TRequest& sender) {
            ProgressLengths.push_back(sender.Header().ContentLength);
            if (OnProgressHook)
                OnProgressHook(sender);
        };
        request.OnStateChange = [this](TRequest& sender) { States.push_back(sender.SocketState()); };
        request.OnLog = [this](TRequest&, const std::string& line) { Logs.push_back(line); };
        request.OnBytes = [this](std::int32_t count) { Bytes += count; };
    }

    bool Finished() const { return Completes + static_cast<int>(Errors.size()) > 0; }
    bool WaitFinished(int timeoutMs = 5000) { return WaitUntil([this] { return Finished(); }, timeoutMs); }
    bool WaitIdle()
    {
        return WaitUntil([this] { return Request->Busy() == 0 && Request->SocketState() == ssClosed; });
    }
    std::string Body() const { return ReadWholeFile(BodyPath); }
    bool LogHas(const std::string& tail) const
    {
        for (const std::string& line : Logs) {
            if (line.size() >= tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0)
                return true;
        }
        return false;
    }

    QTemporaryDir m_dir;
    std::shared_ptr<TFakeResolver> Resolver = std::make_shared<TFakeResolver>();
    TScriptedServer Server;
    std::unique_ptr<TRequest> Request = std::make_unique<TRequest>(1);
    std::string BodyPath;

    std::function<bool(TRequest&)> OnHeaderHook;
    std::function<void(TRequest&)> OnCompleteHook;
    std::function<void(TRequest&)> OnErrorHook;
    std::function<void(TRequest&)> OnProgressHook;
    int Headers = 0;
    THTTPHEADER HeaderSeen;
    int Completes = 0;
    std::int32_t CompletedLength = -1;
    std::vector<bool> Errors;
    TRequestError ErrorKind = TRequestError::None;
    std::vector<std::int32_t> ProgressLengths;
    std::vector<int> States;
    std::vector<std::string> Logs;
    std::int64_t Bytes = 0;
};

} // namespace

TEST(HttpRequestPieces, DirectRequestWithoutPort)
{
    auto pieces = HttpRequestPieces("http://srv.site.tld/docs/a.htm?x=1", false, "");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], "GET /docs/a.htm?x=1 HTTP/1.1\r\n");
    EXPECT_EQ(pieces[1], "Accept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\nHost: srv.site.tld\r\n");
    EXPECT_EQ(pieces[2], "Accept-Encoding: gzip, br\r\n");
    EXPECT_EQ(pieces[3], "\r\n");
}

TEST(HttpRequestPieces, ControlBytesCannotEndTheRequestLine)
{
    auto pieces = HttpRequestPieces("http://srv/a\r\nX-Evil: 1", false, "");
    EXPECT_EQ(pieces[0], "GET /a%0D%0AX-Evil: 1 HTTP/1.1\r\n");
}

TEST_F(RequestTest, HeaderAndBodyInOneBlock)
{
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    std::int64_t sizeAtFirstProgress = -1;
    OnProgressHook = [&](TRequest& r) {
        if (sizeAtFirstProgress < 0)
            sizeAtFirstProgress = r.BodyFile()->Size();
    };
    Request->Get(Server.Url("/a.htm"), "", 80);
    EXPECT_EQ(Request->Busy(), 1);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Completes, 1);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(HeaderSeen.Status, 200);
    EXPECT_EQ(HeaderSeen.ContentLength, 5);
    EXPECT_EQ(sizeAtFirstProgress, 5);
    EXPECT_EQ(Body(), "hello");
    EXPECT_EQ(CompletedLength, 5);
    EXPECT_EQ(Request->Busy(), 0);
    EXPECT_EQ(Request->Phase(), 0);
    EXPECT_EQ(Request->BodyFile(), nullptr);
    EXPECT_EQ(Request->HeaderLength(), 38);
    EXPECT_EQ(Bytes, 43);
    EXPECT_EQ(States, (std::vector<int>{ssLookup, ssConnect, ssConnected, ssRequest, ssReceiving, ssClosed}));
    EXPECT_EQ(Request->Header().Status, 200);
    EXPECT_EQ(Request->Url(), Server.Url("/a.htm"));
    EXPECT_TRUE(Logs.empty()); // trace mode is off
}

TEST_F(RequestTest, HeaderSplitOverBlocks)
{
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Ty", "pe: text/html; charset=utf-8\r\n", "\r", "\n", "<p>body</p>"}});
    int bytesAtHeader = -1;
    OnHeaderHook = [&](TRequest& r) {
        bytesAtHeader = static_cast<int>(Bytes);
        r.BodyFileName = BodyPath;
        return true;
    };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Headers, 1);
    EXPECT_EQ(HeaderSeen.ContentType, "text/html");
    EXPECT_EQ(bytesAtHeader, 59); // the header's last byte had arrived, the body not yet
    EXPECT_EQ(Request->HeaderLength(), 59);
    EXPECT_EQ(Body(), "<p>body</p>");
    EXPECT_EQ(CompletedLength, 11); // no Content-Length: the size of the file
}

TEST_F(RequestTest, NotFoundIsRefusedWithoutFileOrError)
{
    TRequest::SetTraceMode(true);
    Server.Add("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<h1>Not found</h1>");
    OnHeaderHook = [](TRequest&) { return false; };
    Request->Get(Server.Url("/missing.htm"), "", 80);
    ASSERT_TRUE(WaitIdle());
    RunEventsFor(100);

    EXPECT_EQ(HeaderSeen.Status, 404);
    EXPECT_EQ(Request->Header().Status, 404);
    EXPECT_EQ(Completes, 0);
    EXPECT_TRUE(Errors.empty());
    EXPECT_FALSE(FileExists(BodyPath));
    EXPECT_TRUE(LogHas(" 1: Open " + Server.Url("/missing.htm")));
    EXPECT_TRUE(LogHas(" 1: Send"));
    EXPECT_TRUE(LogHas(" 1: Filtered"));
}

TEST_F(RequestTest, EmptyBodyFileNameRefusesTheBody)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\nbody");
    OnHeaderHook = [](TRequest&) { return true; };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitIdle());
    RunEventsFor(100);
    EXPECT_EQ(Headers, 1);
    EXPECT_EQ(Completes, 0);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(RequestTest, RedirectionWithAndWithoutLocation)
{
    Server.Add("HTTP/1.0 302 Found\r\nLocation: http://srv.site.test/new.htm\r\n\r\n");
    Server.Add("HTTP/1.0 302 Found\r\nServer: x\r\n\r\n");
    OnHeaderHook = [](TRequest&) { return false; };

    Request->Get(Server.Url("/old.htm"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Headers == 1; }));
    EXPECT_EQ(HeaderSeen.Status, 302);
    EXPECT_EQ(HeaderSeen.Location, "http://srv.site.test/new.htm");
    ASSERT_TRUE(WaitIdle());

    Request->Get(Server.Url("/old.htm"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Headers == 2; }));
    EXPECT_EQ(HeaderSeen.Status, 302);
    EXPECT_EQ(HeaderSeen.Location, "");
}

TEST_F(RequestTest, UnauthorizedThenBasicCredentialsFromInsideTheHeaderEvent)
{
    Server.Add("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"\r\n\r\n");
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nsecret");
    OnHeaderHook = [&](TRequest& r) {
        if (r.Header().Status == 401) {
            r.Abort();
            r.SetCredentials("user", "pass");
            r.Get(Server.Url("/private/"), "", 80);
            return false;
        }
        r.BodyFileName = BodyPath;
        return true;
    };
    Request->Get(Server.Url("/private/"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Completes, 1);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Body(), "secret");
    ASSERT_EQ(Server.Requests().size(), 2u);
    std::string host = "Host: 127.0.0.1:" + std::to_string(Server.Port()) + "\r\n" + kEncoding;
    EXPECT_EQ(Server.Requests()[0], "GET /private/ HTTP/1.1\r\n" + kAgent + host + "\r\n");
    EXPECT_EQ(Server.Requests()[1],
              "GET /private/ HTTP/1.1\r\n" + kAgent + host + "Authorization: Basic dXNlcjpwYXNz\r\n\r\n");
}

TEST_F(RequestTest, ConnectionClosedBeforeTheHeaderEndsFailsWithRetry)
{
    // Otherwise the link would stay in progress, silently, until the next session.
    Server.Add("HTTP/1.0 200 OK\r\nContent-Le");
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitIdle());
    RunEventsFor(100);
    EXPECT_EQ(Headers, 0);
    EXPECT_EQ(Completes, 0);
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(Request->ErrorKind(), TRequestError::ConnectionLost);
    EXPECT_EQ(Request->Phase(), 0);
}

TEST_F(RequestTest, AbortDuringTheBodyDeletesThePartialFile)
{
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npart", "more"}, true, 200});
    OnProgressHook = [&](TRequest& r) {
        if (r.Phase() == 2) {
            EXPECT_TRUE(FileExists(BodyPath));
            r.Abort();
        }
    };
    Request->Get(Server.Url("/big.bin"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return ProgressLengths.size() == 2; }));
    RunEventsFor(300);

    EXPECT_EQ(ProgressLengths, (std::vector<std::int32_t>{100, 0}));
    EXPECT_FALSE(FileExists(BodyPath));
    EXPECT_EQ(Completes, 0);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(Request->Busy(), 0);
    EXPECT_EQ(Request->SocketState(), ssClosed);
}

TEST_F(RequestTest, BodyShorterThanItsContentLengthFails)
{
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", "de"}});
    Request->Get(Server.Url("/cut.htm"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 0);
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(ErrorKind, TRequestError::ShortBody);
    EXPECT_FALSE(FileExists(BodyPath));
}

TEST_F(RequestTest, BodyLongerThanItsContentLengthIsKeptWhole)
{
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nabcd");
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 1);
    EXPECT_EQ(Body(), "abcd");
    EXPECT_EQ(CompletedLength, 4);
}

TEST_F(RequestTest, HeaderThatDoesNotEndWithin64KiBFails)
{
    std::string filler = "X-Filler: " + std::string(1000, 'a') + "\r\n";
    std::vector<std::string> chunks{"HTTP/1.0 200 OK\r\n"};
    for (int i = 0; i < 70; ++i)
        chunks.push_back(filler);
    Server.Add(TScript{chunks, true, 1});
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Headers, 0);
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(ErrorKind, TRequestError::HeaderTooLong);
    EXPECT_LT(Bytes, 64 * 1024 + 2 * 1012);
}

TEST_F(RequestTest, CompleteHeaderLongerThan64KiBFails)
{
    std::string header = "HTTP/1.0 200 OK\r\nX-Filler: " + std::string(70000, 'a') + "\r\n\r\nbody";
    Server.Add(header);
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Headers, 0);
    EXPECT_EQ(ErrorKind, TRequestError::HeaderTooLong);
}

TEST_F(RequestTest, ExactRequestBytesWithPort)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\n");
    Request->Get(Server.Url("/docs/a.htm?x=1"), "", 80);
    ASSERT_TRUE(WaitFinished());
    ASSERT_EQ(Server.Requests().size(), 1u);
    EXPECT_EQ(Server.Requests()[0], "GET /docs/a.htm?x=1 HTTP/1.1\r\n" + kAgent + "Host: 127.0.0.1:"
                                        + std::to_string(Server.Port()) + "\r\n" + kEncoding + "\r\n");
}

TEST_F(RequestTest, ProxyGetsTheWholeUrlAndTheNameIsNotLookedUp)
{
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
    Request->Get("http://srv.site.test/a.htm", "127.0.0.1", Server.Port());
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 1);
    ASSERT_EQ(Server.Requests().size(), 1u);
    EXPECT_EQ(Server.Requests()[0], "GET http://srv.site.test/a.htm HTTP/1.1\r\n" + kAgent
                                        + "Host: srv.site.test\r\n" + kEncoding + "\r\n");
    EXPECT_EQ(Resolver->Lookups("srv.site.test"), 0);
    EXPECT_EQ(Request->Proxy(), "127.0.0.1");

    // The proxy address may be written as a URL; the credentials go to it too.
    Completes = 0;
    Request->SetCredentials("user", "");
    Request->Get("http://srv.site.test:8080/b.htm", "http://127.0.0.1/", Server.Port());
    ASSERT_TRUE(WaitUntil([&] { return Completes == 1; }));
    ASSERT_EQ(Server.Requests().size(), 2u);
    EXPECT_EQ(Server.Requests()[1], "GET http://srv.site.test:8080/b.htm HTTP/1.1\r\n" + kAgent
                                        + "Host: srv.site.test:8080\r\n" + kEncoding + "Authorization: Basic dXNlcjo=\r\n\r\n");
}

TEST_F(RequestTest, HostNameIsResolvedOnceAndItsAddressCached)
{
    Resolver->Add("www.site.test", "127.0.0.1");
    Server.Add("HTTP/1.0 200 OK\r\n\r\none");
    Server.Add("HTTP/1.0 200 OK\r\n\r\ntwo");
    std::string url = "http://www.site.test:" + std::to_string(Server.Port()) + "/";
    Request->Get(url, "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Resolver->Lookups("www.site.test"), 1);
    int known = TRequest::HostCache().IndexOfName("WWW.SITE.TEST");
    ASSERT_GE(known, 0);
    EXPECT_EQ(TRequest::HostCache().Values(known), "127.0.0.1");

    Request->Get(url, "", 80);
    EXPECT_EQ(Request->ConnectHost(), "127.0.0.1");
    ASSERT_TRUE(WaitUntil([&] { return Completes == 2; }));
    EXPECT_EQ(Resolver->Lookups("www.site.test"), 1);
    EXPECT_EQ(Body(), "two");
    EXPECT_EQ(Server.Requests()[1], "GET / HTTP/1.1\r\n" + kAgent + "Host: www.site.test:"
                                        + std::to_string(Server.Port()) + "\r\n" + kEncoding + "\r\n");
}

TEST_F(RequestTest, UnresolvableHostIsCachedAndFailsAtOnceTheSecondTime)
{
    std::string url = "http://nowhere.invalid:" + std::to_string(Server.Port()) + "/";
    Request->Get(url, "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Errors, (std::vector<bool>{false}));
    EXPECT_EQ(ErrorKind, TRequestError::NotFound);
    EXPECT_EQ(Resolver->Lookups("nowhere.invalid"), 1);
    EXPECT_TRUE(LogHas(" nowhere.invalid : WEB non trouv\xE9"));
    EXPECT_EQ(Request->SocketState(), ssError);
    EXPECT_EQ(Request->Busy(), 0);
    int known = TRequest::HostCache().IndexOfName("nowhere.invalid");
    ASSERT_GE(known, 0);
    EXPECT_EQ(TRequest::HostCache().Values(known), "");

    Request->Get(url, "", 80);
    EXPECT_EQ(Errors.size(), 1u); // the failure arrives from the event loop, not inside Get
    EXPECT_NE(Request->Busy(), 0);
    ASSERT_TRUE(WaitUntil([&] { return Errors.size() == 2; }));
    EXPECT_EQ(Errors[1], false);
    EXPECT_EQ(Resolver->Lookups("nowhere.invalid"), 1);
    EXPECT_EQ(Server.Connections(), 0);
    EXPECT_EQ(Request->Busy(), 0);
}

TEST_F(RequestTest, DottedAddressSkipsTheCacheButThreeNumbersDoNot)
{
    TRequest::HostCache().AddPair("127.0.0.1", ""); // would fail if it were looked up
    TRequest::HostCache().AddPair("1.2.3", "127.0.0.1");
    Server.Add("HTTP/1.0 200 OK\r\n\r\na");
    Server.Add("HTTP/1.0 200 OK\r\n\r\nb");
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 1);

    Request->Get("http://1.2.3:" + std::to_string(Server.Port()) + "/", "", 80);
    EXPECT_EQ(Request->ConnectHost(), "127.0.0.1");
    ASSERT_TRUE(WaitUntil([&] { return Completes == 2; }));
    EXPECT_EQ(Body(), "b");
}

TEST_F(RequestTest, SilentServerTimesOut)
{
    Server.Add(TScript{{}, true});
    Request->Timeout = 1;
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished(4000));
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(ErrorKind, TRequestError::TimedOut);
    EXPECT_EQ(Request->Busy(), 0);
}

TEST_F(RequestTest, RefusedConnectionIsNotFoundWithoutRetry)
{
    Request->Get("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Errors, (std::vector<bool>{false}));
    EXPECT_EQ(ErrorKind, TRequestError::NotFound);
}

TEST_F(RequestTest, ChannelRefusingTheOrderAllowsARetry)
{
    Request->Get("http://127.0.0.1:0/", "", 80);
    EXPECT_TRUE(Errors.empty());
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(ErrorKind, TRequestError::Refused);
    EXPECT_EQ(Request->SocketState(), ssError);
}

TEST_F(RequestTest, OtherProtocolsDoNothing)
{
    Request->Get("ftp://127.0.0.1/file.txt", "", 80);
    RunEventsFor(50);
    EXPECT_EQ(Request->Busy(), 0);
    EXPECT_TRUE(States.empty());
    EXPECT_EQ(Request->Url(), "ftp://127.0.0.1/file.txt");
}

TEST_F(RequestTest, UnsavedBodyIsReceivedAndCounted)
{
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nabc", "defgh"}});
    OnHeaderHook = [&](TRequest& r) {
        r.BodyFileName = BodyPath;
        r.SaveBody = false;
        return true;
    };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 1);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(CompletedLength, 8);
    EXPECT_FALSE(FileExists(BodyPath));
}

TEST_F(RequestTest, BodyFileThatCannotBeCreatedFails)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\nbody");
    OnHeaderHook = [&](TRequest& r) {
        r.BodyFileName = m_dir.path().toStdString() + "/no/such/dir/body.htm";
        return true;
    };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 0);
    EXPECT_EQ(Errors, (std::vector<bool>{true}));
    EXPECT_EQ(ErrorKind, TRequestError::WriteFailed);
}

TEST_F(RequestTest, FullDiskFailsWithoutRetryAndIsReportedAsSuch)
{
    // A link to the device that is always full; deleting the partial body
    // removes the link, never the device.
    std::string link = m_dir.path().toStdString() + "/full.htm";
    ASSERT_EQ(::symlink("/dev/full", link.c_str()), 0);
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nbody");
    OnHeaderHook = [&](TRequest& r) {
        r.BodyFileName = link;
        return true;
    };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(Completes, 0);
    EXPECT_EQ(Errors, (std::vector<bool>{false}));
    EXPECT_EQ(ErrorKind, TRequestError::DiskFull);
    struct stat info {};
    EXPECT_NE(::lstat(link.c_str(), &info), 0);
    EXPECT_EQ(::stat("/dev/full", &info), 0);
}

TEST_F(RequestTest, GetAgainFromInsideOnComplete)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\nfirst");
    Server.Add("HTTP/1.0 200 OK\r\n\r\nsecond");
    OnCompleteHook = [&](TRequest& r) {
        if (Completes == 1)
            r.Get(Server.Url("/2"), "", 80);
    };
    Request->Get(Server.Url("/1"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Completes == 2; }));
    EXPECT_EQ(Body(), "second");
    EXPECT_EQ(Request->Busy(), 0);
    EXPECT_EQ(Request->Phase(), 0);
}

TEST_F(RequestTest, GetAgainFromInsideOnError)
{
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nab"}});
    Server.Add("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
    OnErrorHook = [&](TRequest& r) { r.Get(Server.Url("/again"), "", 80); };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Completes == 1; }));
    EXPECT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Body(), "ok");
}

TEST_F(RequestTest, DestroyedInsideItsOwnEvents)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\nx");
    OnCompleteHook = [&](TRequest&) { Request.reset(); };
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return !Request; }));

    Request = std::make_unique<TRequest>(2);
    Bind(*Request);
    OnCompleteHook = nullptr;
    OnHeaderHook = [&](TRequest&) {
        Request.reset();
        return true;
    };
    Server.Add("HTTP/1.0 200 OK\r\n\r\ny");
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return !Request; }));

    Request = std::make_unique<TRequest>(3);
    Bind(*Request);
    OnHeaderHook = nullptr;
    OnProgressHook = [&](TRequest&) { Request.reset(); };
    Server.Add(TScript{{"HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\npartial"}, true});
    Request->Get(Server.Url("/"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return !Request; }));
    EXPECT_FALSE(FileExists(BodyPath)); // the partial body goes with the request

    Request = std::make_unique<TRequest>(4);
    Bind(*Request);
    OnProgressHook = nullptr;
    OnErrorHook = [&](TRequest&) { Request.reset(); };
    Request->Get("http://nowhere.invalid/", "", 80);
    ASSERT_TRUE(WaitUntil([&] { return !Request; }));
    RunEventsFor(100);
}

TEST_F(RequestTest, TraceSwitchInTheUrlTurnsTraceModeOn)
{
    Server.Add("HTTP/1.0 200 OK\r\n\r\nx");
    Request->Get(Server.Url("/a^^^^^^"), "", 80);
    ASSERT_TRUE(WaitFinished());
    EXPECT_TRUE(TRequest::TraceMode());
    EXPECT_TRUE(Logs.empty()); // switched on only after this transfer
}
