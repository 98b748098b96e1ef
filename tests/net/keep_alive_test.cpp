// Persistent connections, the chunked transfer coding and compressed bodies,
// against a loopback server that answers several requests per connection.
#include "net/ChunkedDecoder.h"
#include "net/ContentDecoder.h"
#include "net/NetTestSupport.h"
#include "net/Request.h"
#include "net/SocketChannel.h"

#include "core/Files.h"

#include <QTemporaryDir>

#include <brotli/encode.h>
#include <zlib.h>

#include <gtest/gtest.h>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

// One answer: its chunks, each sent after a pause so that it arrives as a
// read of its own. Close: the server closes once it is sent. Drop: the
// server closes on receiving the request, without answering.
struct TAnswer {
    std::vector<std::string> Chunks;
    bool Close = false;
    bool Drop = false;
};

// Answers the requests of its n-th connection with the n-th list of answers,
// in order; records every request.
class TKeepAliveServer {
public:
    TKeepAliveServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { Accept(); });
    }
    ~TKeepAliveServer()
    {
        for (QPointer<QTcpSocket>& socket : m_sockets) {
            if (socket)
                socket->abort();
        }
    }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_server.serverPort()) + path;
    }
    void AddConnection(std::vector<TAnswer> answers) { m_plans.push_back(std::move(answers)); }
    const std::vector<std::string>& Requests() const { return m_requests; }
    int Connections() const { return static_cast<int>(m_sockets.size()); }
    // Closes every open connection, as a server does after its idle time.
    void CloseAll()
    {
        for (QPointer<QTcpSocket>& socket : m_sockets) {
            if (socket)
                socket->disconnectFromHost();
        }
    }

private:
    struct TConnection {
        std::deque<TAnswer> Answers;
        std::string Received;
    };

    void Accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            m_sockets.emplace_back(socket);
            auto connection = std::make_shared<TConnection>();
            if (!m_plans.empty()) {
                connection->Answers.assign(m_plans.front().begin(), m_plans.front().end());
                m_plans.pop_front();
            }
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection] {
                connection->Received += socket->readAll().toStdString();
                std::size_t end;
                while ((end = connection->Received.find("\r\n\r\n")) != std::string::npos) {
                    m_requests.push_back(connection->Received.substr(0, end + 4));
                    connection->Received.erase(0, end + 4);
                    if (connection->Answers.empty()) {
                        socket->disconnectFromHost();
                        return;
                    }
                    TAnswer answer = connection->Answers.front();
                    connection->Answers.pop_front();
                    if (answer.Drop) {
                        socket->disconnectFromHost();
                        return;
                    }
                    Send(socket, answer, 0);
                }
            });
        }
    }

    void Send(QPointer<QTcpSocket> socket, TAnswer answer, std::size_t next)
    {
        if (!socket)
            return;
        if (next == answer.Chunks.size()) {
            if (answer.Close)
                socket->disconnectFromHost();
            return;
        }
        socket->write(answer.Chunks[next].data(), static_cast<qint64>(answer.Chunks[next].size()));
        socket->flush();
        QTimer::singleShot(20, socket, [this, socket, answer, next] { Send(socket, answer, next + 1); });
    }

    QTcpServer m_server;
    std::deque<std::vector<TAnswer>> m_plans;
    std::vector<std::string> m_requests;
    std::vector<QPointer<QTcpSocket>> m_sockets;
};

TAnswer Ok11(const std::string& body, bool close = false)
{
    return {{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size())
             + "\r\n\r\n" + body},
            close};
}

std::string Gzip(const std::string& text)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, text.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::string Brotli(const std::string& text)
{
    std::size_t size = BrotliEncoderMaxCompressedSize(text.size());
    std::string out(size, '\0');
    BrotliEncoderCompress(5, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_TEXT, text.size(),
                          reinterpret_cast<const std::uint8_t*>(text.data()), &size,
                          reinterpret_cast<std::uint8_t*>(out.data()));
    out.resize(size);
    return out;
}

// A page long enough to compress well and to need several output steps.
std::string LongPage()
{
    std::string page = "<html><body>\n";
    for (int i = 0; i < 20000; ++i)
        page += "<p>Line " + std::to_string(i) + " of the page</p>\n";
    return page + "</body></html>\n";
}

class KeepAliveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TRequest::HostCache().Clear();
        ASSERT_TRUE(m_dir.isValid());
        Request.OnHeader = [this](TRequest& sender) {
            ++Headers;
            HeaderLengths.push_back(sender.Header().ContentLength);
            sender.BodyFileName = Path(++Files);
            return AcceptBodies;
        };
        Request.OnComplete = [this](TRequest& sender) {
            Bodies.push_back(ReadWholeFile(sender.BodyFileName));
            CompletedLengths.push_back(sender.Header().ContentLength);
            if (!Next.empty()) {
                std::string url = Next.front();
                Next.erase(Next.begin());
                sender.Get(url, "", 80);
            }
        };
        Request.OnError = [this](TRequest& sender, bool retry) {
            Errors.push_back(sender.ErrorKind());
            Retries.push_back(retry);
        };
        Request.OnLog = [this](TRequest&, const std::string& line) { Logs.push_back(line); };
        Request.OnBytes = [this](std::int32_t count) { Bytes += count; };
    }

    std::string Path(int n) const { return m_dir.path().toStdString() + "/body" + std::to_string(n); }
    bool WaitBodies(std::size_t count)
    {
        return WaitUntil([&] { return Bodies.size() >= count || !Errors.empty(); });
    }
    bool WaitError() { return WaitUntil([&] { return !Errors.empty(); }); }

    QTemporaryDir m_dir;
    TKeepAliveServer Server;
    TRequest Request{1};
    std::vector<std::string> Next; // fetched one after the other from OnComplete
    bool AcceptBodies = true;
    int Files = 0;
    int Headers = 0;
    std::vector<std::int32_t> HeaderLengths; // ContentLength as OnHeader saw it
    std::vector<std::string> Bodies;
    std::vector<std::int32_t> CompletedLengths;
    std::vector<TRequestError> Errors;
    std::vector<bool> Retries;
    std::vector<std::string> Logs;
    std::int64_t Bytes = 0;
};

} // namespace

TEST_F(KeepAliveTest, SeveralRequestsGoOverOneConnection)
{
    Server.AddConnection({Ok11("first"), Ok11("second"), Ok11("third")});
    Request.SetCredentials("user", "pw");
    Next = {Server.Url("/b.htm"), Server.Url("/c.htm")};
    Request.Get(Server.Url("/a.htm"), "", 80);
    ASSERT_TRUE(WaitBodies(3));
    EXPECT_EQ(Bodies, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(Server.Connections(), 1);
    ASSERT_EQ(Server.Requests().size(), 3u);
    // Every request carries its own request line, Host and credentials.
    const std::string host = Server.Url("").substr(7);
    EXPECT_EQ(Server.Requests()[1], "GET /b.htm HTTP/1.1\r\nAccept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\n"
                                    "Host: " + host + "\r\nAccept-Encoding: gzip, br\r\n"
                                    "Authorization: Basic dXNlcjpwdw==\r\n\r\n");
    EXPECT_EQ(Request.Busy(), 0);
    EXPECT_TRUE(Request.HoldsConnection());
    EXPECT_TRUE(Request.KeepsConnectionFor(Server.Url("/other.htm"), "", 80));
    EXPECT_FALSE(Request.KeepsConnectionFor("http://elsewhere.test/", "", 80));
    EXPECT_TRUE(Errors.empty());
}

TEST_F(KeepAliveTest, ChunkedBodyWithExtensionsTrailerAndSplitSizes)
{
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;name=\"va", "lue\"\r\nhel",
                            "lo\r\n1", "0\r\n0123456789abcdef\r", "\n0\r\nX-Check: 1\r\n", "\r\n"}},
                          Ok11("after")});
    Next = {Server.Url("/next")};
    Request.Get(Server.Url("/chunked"), "", 80);
    ASSERT_TRUE(WaitBodies(2));
    EXPECT_EQ(Bodies[0], "hello0123456789abcdef");
    EXPECT_EQ(CompletedLengths[0], 21);
    EXPECT_EQ(HeaderLengths, (std::vector<std::int32_t>{0, 5})); // not known before the last chunk
    EXPECT_EQ(Bodies[1], "after"); // the trailer was read whole: the connection stayed usable
    EXPECT_EQ(Server.Connections(), 1);
}

TEST_F(KeepAliveTest, BadChunkSizeFailsTheLinkWithoutRetry)
{
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n"}}});
    Request.Get(Server.Url("/bad"), "", 80);
    ASSERT_TRUE(WaitError());
    EXPECT_EQ(Errors, (std::vector<TRequestError>{TRequestError::BadChunks}));
    EXPECT_EQ(Retries, (std::vector<bool>{false}));
    EXPECT_FALSE(FileExists(Path(1)));
    EXPECT_FALSE(Request.HoldsConnection());
}

TEST_F(KeepAliveTest, ConnectionClosedWhileIdleIsReplacedQuietly)
{
    Server.AddConnection({Ok11("one")});
    Server.AddConnection({Ok11("two")});
    Request.Get(Server.Url("/1"), "", 80);
    ASSERT_TRUE(WaitBodies(1));
    Server.CloseAll();
    ASSERT_TRUE(WaitUntil([&] { return !Request.HoldsConnection(); }));
    Request.Get(Server.Url("/2"), "", 80);
    ASSERT_TRUE(WaitBodies(2));
    EXPECT_EQ(Bodies[1], "two");
    EXPECT_EQ(Server.Connections(), 2);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(KeepAliveTest, RequestLostOnAKeptConnectionIsSentOnceMoreOnANewOne)
{
    // The server takes the second request and closes without a byte of answer.
    Server.AddConnection({Ok11("one"), TAnswer{{}, false, true}});
    Server.AddConnection({Ok11("two")});
    Next = {Server.Url("/2")};
    Request.Get(Server.Url("/1"), "", 80);
    ASSERT_TRUE(WaitBodies(2));
    EXPECT_EQ(Bodies[1], "two");
    EXPECT_EQ(Server.Connections(), 2);
    EXPECT_EQ(Server.Requests().size(), 3u);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(KeepAliveTest, SecondLossOnTheNewConnectionIsReported)
{
    Server.AddConnection({Ok11("one"), TAnswer{{}, false, true}});
    Server.AddConnection({TAnswer{{}, false, true}});
    Next = {Server.Url("/2")};
    Request.Get(Server.Url("/1"), "", 80);
    ASSERT_TRUE(WaitError());
    EXPECT_EQ(Errors, (std::vector<TRequestError>{TRequestError::ConnectionLost}));
    EXPECT_EQ(Retries, (std::vector<bool>{true}));
    EXPECT_EQ(Server.Connections(), 2);
}

TEST_F(KeepAliveTest, CloseAndHttp10AnswersGetAConnectionEach)
{
    // "Connection: close" on HTTP/1.1, then an HTTP/1.0 server whose body ends
    // with the close and runs past its Content-Length.
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 3\r\n\r\nabc"}, true}});
    Server.AddConnection({{{"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nde", "fg"}, true}});
    Server.AddConnection({Ok11("last")});
    Next = {Server.Url("/2"), Server.Url("/3")};
    Request.Get(Server.Url("/1"), "", 80);
    ASSERT_TRUE(WaitBodies(3));
    EXPECT_EQ(Bodies, (std::vector<std::string>{"abc", "defg", "last"}));
    EXPECT_EQ(Server.Connections(), 3);
    EXPECT_TRUE(Errors.empty());
}

TEST_F(KeepAliveTest, RefusedAnswerWithItsWholeBodyKeepsTheConnection)
{
    Server.AddConnection({{{"HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found"}}, Ok11("found")});
    AcceptBodies = false;
    Request.Get(Server.Url("/missing"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Headers == 1 && Request.Busy() == 0; }));
    EXPECT_TRUE(Request.HoldsConnection());
    AcceptBodies = true;
    Request.Get(Server.Url("/there"), "", 80);
    ASSERT_TRUE(WaitBodies(1));
    EXPECT_EQ(Bodies[0], "found");
    EXPECT_EQ(Server.Connections(), 1);
}

TEST_F(KeepAliveTest, GzipAndBrotliBodiesAreStoredDecoded)
{
    const std::string page = LongPage();
    const std::string gz = Gzip(page);
    const std::string br = Brotli(page);
    ASSERT_LT(gz.size(), page.size() / 4);
    // The gzip body comes in pieces, the brotli one chunked.
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: " + std::to_string(gz.size())
                                + "\r\n\r\n" + gz.substr(0, 100),
                            gz.substr(100)}},
                          {{"HTTP/1.1 200 OK\r\nContent-Encoding: br\r\nTransfer-Encoding: chunked\r\n\r\n",
                            "10\r\n" + br.substr(0, 16) + "\r\n",
                            [&] {
                                char size[16];
                                std::snprintf(size, sizeof size, "%zx", br.size() - 16);
                                return std::string(size) + "\r\n" + br.substr(16) + "\r\n0\r\n\r\n";
                            }()}}});
    Next = {Server.Url("/br")};
    Request.Get(Server.Url("/gz"), "", 80);
    ASSERT_TRUE(WaitBodies(2));
    EXPECT_EQ(Bodies[0], page);
    EXPECT_EQ(Bodies[1], page);
    EXPECT_EQ(CompletedLengths, (std::vector<std::int32_t>{static_cast<std::int32_t>(page.size()),
                                                          static_cast<std::int32_t>(page.size())}));
    EXPECT_EQ(HeaderLengths, (std::vector<std::int32_t>{0, 0})); // the decoded length is not known before the end
    EXPECT_GT(Bytes, static_cast<std::int64_t>(2 * page.size())); // decoded bytes, headers besides
    EXPECT_EQ(Server.Connections(), 1);
}

TEST_F(KeepAliveTest, CorruptOrTruncatedGzipFailsCleanly)
{
    std::string gz = Gzip(LongPage());
    std::string corrupt = gz;
    corrupt[gz.size() / 2] ^= 0x55;
    corrupt[gz.size() / 2 + 1] ^= 0x55;
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: "
                            + std::to_string(corrupt.size()) + "\r\n\r\n" + corrupt}}});
    // Whole as sent, but the compressed stream stops in the middle.
    Server.AddConnection({{{"HTTP/1.1 200 OK\r\nContent-Encoding: gzip\r\nContent-Length: 200\r\n\r\n"
                            + gz.substr(0, 200)}}});
    Request.Get(Server.Url("/corrupt"), "", 80);
    ASSERT_TRUE(WaitError());
    Request.Get(Server.Url("/truncated"), "", 80);
    ASSERT_TRUE(WaitUntil([&] { return Errors.size() == 2; }));
    EXPECT_EQ(Errors, (std::vector<TRequestError>{TRequestError::BadEncoding, TRequestError::BadEncoding}));
    EXPECT_EQ(Retries, (std::vector<bool>{false, false}));
    EXPECT_TRUE(Bodies.empty());
    EXPECT_FALSE(FileExists(Path(1)));
    EXPECT_FALSE(FileExists(Path(2)));
    ASSERT_FALSE(Logs.empty());
    EXPECT_NE(Logs[0].find("127.0.0.1 : contenu gzip illisible"), std::string::npos);
}

TEST(ChunkedDecoder, AnySplitGivesTheSameDataAndEnd)
{
    const std::string body = "4\r\nWiki\r\n6;a=b\r\npedia \r\nE\r\nin \r\n\r\nchunks.\r\n0\r\nT: v\r\n\r\nNEXT";
    std::string whole;
    std::size_t consumed = 0;
    TChunkedDecoder once;
    ASSERT_EQ(once.Feed(body, whole, consumed), TChunkedDecoder::TResult::Done);
    EXPECT_EQ(whole, "Wikipedia in \r\n\r\nchunks.");
    EXPECT_EQ(body.substr(consumed), "NEXT");
    for (std::size_t step = 1; step < 8; ++step) {
        TChunkedDecoder decoder;
        std::string out;
        TChunkedDecoder::TResult result = TChunkedDecoder::TResult::More;
        std::size_t pos = 0;
        for (; pos < body.size() && result == TChunkedDecoder::TResult::More; pos += step)
            result = decoder.Feed(body.substr(pos, step), out, consumed);
        EXPECT_EQ(result, TChunkedDecoder::TResult::Done) << step;
        EXPECT_EQ(out, whole) << step;
        EXPECT_EQ(pos - step + consumed, body.size() - 4) << step;
    }
}

TEST(ChunkedDecoder, MalformedFramingIsAnError)
{
    for (const std::string bad : {"x\r\n", "5\r\nhelloX\r\n", "\r\n", "1234567890abcdef0\r\n"}) {
        TChunkedDecoder decoder;
        std::string out;
        std::size_t consumed = 0;
        EXPECT_EQ(decoder.Feed(bad, out, consumed), TChunkedDecoder::TResult::Error) << bad;
    }
}
