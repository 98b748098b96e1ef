#include "net/NetTestSupport.h"
#include "net/Request.h"
#include "net/SocketChannel.h"
#include "net/TlsSettings.h"

#include "core/Files.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace velbrin;
using namespace velbrin::testing;

namespace {

const std::string kRequestHead = "GET /a.htm HTTP/1.1\r\nAccept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\n";
const std::string kIssuerUnknown = "The issuer certificate of a locally looked up certificate could not be found";

// A throw-away authority and server certificate, made once for the suite
// with the test script; empty when openssl is missing.
const std::string& TestAuthorityDir()
{
    static QTemporaryDir dir;
    static std::string made = [] {
        std::string path = dir.path().toStdString();
        std::string command = "sh '" VELBRIN_FIXTURES "/../support/make-test-ca.sh' '" + path + "'";
        return std::system(command.c_str()) == 0 ? path + "/" : std::string();
    }();
    return made;
}

QByteArray ReadPem(const std::string& name)
{
    QFile file(QString::fromStdString(TestAuthorityDir() + name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A TLS server on 127.0.0.1 with the test server certificate: answers every
// request with one response, then closes. Counts the connections that began
// a handshake and keeps the requests it received.
class TTlsServer {
public:
    explicit TTlsServer(std::string response)
        : m_response(std::move(response))
    {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(QSslCertificate(ReadPem("server.pem"), QSsl::Pem));
        configuration.setPrivateKey(QSslKey(ReadPem("server.key"), QSsl::Ec, QSsl::Pem));
        m_server.setSslConfiguration(configuration);
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QSslServer::startedEncryptionHandshake, &m_server,
                         [this](QSslSocket*) { ++m_handshakes; });
        QObject::connect(&m_server, &QTcpServer::pendingConnectionAvailable, &m_server, [this] { Accept(); });
    }

    quint16 Port() const { return m_server.serverPort(); }
    std::string Url(const std::string& host) const
    {
        return "https://" + host + ":" + std::to_string(Port()) + "/a.htm";
    }
    int Handshakes() const { return m_handshakes; }
    const std::vector<std::string>& Requests() const { return m_requests; }

private:
    void Accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            auto received = std::make_shared<std::string>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                *received += socket->readAll().toStdString();
                std::size_t end = received->find("\r\n\r\n");
                if (end == std::string::npos)
                    return;
                m_requests.push_back(received->substr(0, end + 4));
                socket->write(m_response.data(), static_cast<qint64>(m_response.size()));
                socket->disconnectFromHost();
            });
        }
    }

    QSslServer m_server;
    std::string m_response;
    std::vector<std::string> m_requests;
    int m_handshakes = 0;
};

class TlsRequestTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (TestAuthorityDir().empty() || !QSslSocket::supportsSsl())
            GTEST_SKIP() << "no openssl to make the test authority, or no TLS in Qt";
        TRequest::HostCache().Clear();
        ASSERT_TRUE(m_dir.isValid());
        BodyPath = m_dir.path().toStdString() + "/body.htm";
        Resolver->Add("localhost", "127.0.0.1");
        Request.Socket().SetResolver(Resolver);
        Request.OnHeader = [this](TRequest& sender) {
            sender.BodyFileName = BodyPath;
            return true;
        };
        Request.OnComplete = [this](TRequest&) { ++Completes; };
        Request.OnError = [this](TRequest& sender, bool retry) {
            Errors.push_back(retry);
            ErrorKind = sender.ErrorKind();
        };
        Request.OnLog = [this](TRequest&, const std::string& line) { Logs += line + "\n"; };
    }

    TTlsSettings Settings(bool withAuthority, bool ignoreErrors)
    {
        TTlsSettings settings;
        std::string caFile = withAuthority ? TestAuthorityDir() + "ca.pem" : "";
        EXPECT_EQ(LoadTlsSettings(caFile, ignoreErrors, settings), "");
        return settings;
    }
    bool WaitFinished()
    {
        return WaitUntil([this] { return Completes + static_cast<int>(Errors.size()) > 0 && Request.Busy() == 0; });
    }

    QTemporaryDir m_dir;
    std::string BodyPath;
    std::shared_ptr<TFakeResolver> Resolver = std::make_shared<TFakeResolver>();
    TTlsServer Server{"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 9\r\n\r\nover tls!"};
    TRequest Request{1};
    int Completes = 0;
    std::vector<bool> Errors;
    TRequestError ErrorKind = TRequestError::None;
    std::string Logs;
};

} // namespace

TEST_F(TlsRequestTest, WithTheTestAuthorityTheBodyArrivesOverTls)
{
    Request.SetTlsSettings(Settings(true, false));
    Request.Get(Server.Url("localhost"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Completes, 1);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(ReadWholeFile(BodyPath), "over tls!");
    ASSERT_EQ(Server.Requests().size(), 1u);
    EXPECT_EQ(Server.Requests()[0], kRequestHead + "Host: localhost:" + std::to_string(Server.Port())
                                        + "\r\nAccept-Encoding: gzip, br\r\n\r\n");
    EXPECT_TRUE(Request.AcceptedCertificateErrors().empty());
    EXPECT_EQ(Request.ErrorText(), "");
}

TEST_F(TlsRequestTest, WithoutTheAuthorityTheCertificateIsRefusedWithoutRetry)
{
    // The host has two addresses: a refused certificate is not tried again
    // at the second.
    Resolver->Add("localhost", "127.0.0.1");
    Request.SetTlsSettings(Settings(false, false));
    Request.Get(Server.Url("localhost"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Completes, 0);
    EXPECT_EQ(Errors, std::vector<bool>{false});
    EXPECT_EQ(ErrorKind, TRequestError::Tls);
    EXPECT_NE(Request.ErrorText().find(kIssuerUnknown), std::string::npos) << Request.ErrorText();
    EXPECT_NE(Logs.find("localhost : erreur TLS : " + kIssuerUnknown), std::string::npos) << Logs;
    EXPECT_FALSE(FileExists(BodyPath));
    EXPECT_TRUE(Server.Requests().empty());
    RunEventsFor(100);
    EXPECT_EQ(Server.Handshakes(), 1);
    EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(TlsRequestTest, AuthoritiesThatDoNotVouchLeaveTheServerToTheSystems)
{
    // The given authorities judge a server first; when they do not vouch
    // for it, the system's judge it in a second handshake at the same
    // address, and their verdict stands.
    TTlsSettings settings;
    const QByteArray unrelated = QSslCertificate(ReadPem("server.pem"), QSsl::Pem).toDer();
    settings.CaCertificates.emplace_back(unrelated.constData(), static_cast<std::size_t>(unrelated.size()));
    Request.SetTlsSettings(settings);
    Request.Get(Server.Url("localhost"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Errors, std::vector<bool>{false});
    EXPECT_EQ(ErrorKind, TRequestError::Tls);
    EXPECT_NE(Request.ErrorText().find(kIssuerUnknown), std::string::npos) << Request.ErrorText();
    RunEventsFor(100);
    EXPECT_EQ(Server.Handshakes(), 2);
    EXPECT_TRUE(Server.Requests().empty());
}

TEST_F(TlsRequestTest, TheCertificateMustNameTheHostOfTheAddress)
{
    // srv.test resolves to 127.0.0.1, which the certificate does carry: the
    // name checked is the one the address wrote.
    Resolver->Add("srv.test", "127.0.0.1");
    Request.SetTlsSettings(Settings(true, false));
    Request.Get(Server.Url("srv.test"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Errors, std::vector<bool>{false});
    EXPECT_EQ(ErrorKind, TRequestError::Tls);
    EXPECT_NE(Request.ErrorText().find("host name did not match"), std::string::npos) << Request.ErrorText();
    EXPECT_TRUE(Server.Requests().empty());
}

TEST_F(TlsRequestTest, IgnoredCertificateErrorsAreAcceptedAndReported)
{
    Request.SetTlsSettings(Settings(false, true));
    Request.Get(Server.Url("127.0.0.1"), "", 80);
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Completes, 1);
    EXPECT_TRUE(Errors.empty());
    EXPECT_EQ(ReadWholeFile(BodyPath), "over tls!");
    const std::vector<std::string>& accepted = Request.AcceptedCertificateErrors();
    EXPECT_NE(std::find(accepted.begin(), accepted.end(), kIssuerUnknown), accepted.end());
    EXPECT_NE(Logs.find("127.0.0.1 : certificat accept\xE9 malgr\xE9 l'erreur : " + kIssuerUnknown), std::string::npos)
        << Logs;
}

TEST_F(TlsRequestTest, HttpsThroughAProxyFailsWithoutAConnection)
{
    TScriptedServer proxy;
    Request.Get(Server.Url("localhost"), "127.0.0.1", proxy.Port());
    EXPECT_TRUE(Errors.empty()); // reported from the event loop, not inside Get
    ASSERT_TRUE(WaitFinished());

    EXPECT_EQ(Errors, std::vector<bool>{false});
    EXPECT_EQ(ErrorKind, TRequestError::TlsThroughProxy);
    EXPECT_EQ(Request.ErrorText(), "https through a proxy is not supported");
    EXPECT_NE(Logs.find("localhost : https through a proxy is not supported"), std::string::npos);
    EXPECT_EQ(proxy.Connections(), 0);
    EXPECT_EQ(Server.Handshakes(), 0);
}

TEST(HttpRequestPieces, HttpsHostLineLeavesOutPort443Only)
{
    auto hostLine = [](const std::string& url) {
        std::string agentAndHost = HttpRequestPieces(url, false, "")[1];
        return agentAndHost.substr(agentAndHost.find("Host:"));
    };
    EXPECT_EQ(hostLine("https://h.tld:443/a"), "Host: h.tld\r\n");
    EXPECT_EQ(hostLine("https://h.tld/a"), "Host: h.tld\r\n");
    EXPECT_EQ(hostLine("https://h.tld:8443/a"), "Host: h.tld:8443\r\n");
    EXPECT_EQ(hostLine("http://h.tld:443/a"), "Host: h.tld:443\r\n");
}

TEST(LoadTlsSettings, AFileWithoutCertificatesIsRefusedByName)
{
    QTemporaryDir dir;
    const std::string missing = dir.path().toStdString() + "/missing.pem";
    TTlsSettings settings;
    std::string error = LoadTlsSettings(missing, false, settings);
    EXPECT_NE(error.find("Cannot read the certificate authorities file " + missing), std::string::npos) << error;

    const std::string empty = dir.path().toStdString() + "/empty.pem";
    WriteWholeFile(empty, "not a certificate\n");
    EXPECT_EQ(LoadTlsSettings(empty, true, settings),
              "The certificate authorities file " + empty + " holds no PEM certificate");
    EXPECT_TRUE(settings.CaCertificates.empty());

    if (TestAuthorityDir().empty())
        return;
    const std::string two = dir.path().toStdString() + "/two.pem";
    WriteWholeFile(two, ReadPem("ca.pem").toStdString() + ReadPem("server.pem").toStdString());
    EXPECT_EQ(LoadTlsSettings(two, true, settings), "");
    EXPECT_EQ(settings.CaCertificates.size(), 2u);
    EXPECT_TRUE(settings.IgnoreCertificateErrors);
    EXPECT_EQ(LoadTlsSettings("", false, settings), "");
    EXPECT_TRUE(settings.CaCertificates.empty());
}
