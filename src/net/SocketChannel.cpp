#include "net/SocketChannel.h"

#include "core/CaseFold.h"
#include "core/ShortString.h"
#include "core/Text.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>
#include <QTcpSocket>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace velbrin {

namespace {

constexpr std::size_t kAddressTextMax = 80;
// The most bytes a socket reads ahead of us.
constexpr qint64 kSocketReadBuffer = 64 * 1024;

// Handles are unique in the process, so an answer meant for an earlier
// connection never matches a later one.
std::int32_t NextHandle()
{
    static std::int32_t last = 0;
    if (last == INT32_MAX)
        last = 0;
    return ++last;
}

QString Latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// A dotted IPv4 address of four numbers, or an IPv6 address: no name service.
bool ParseNumericHost(const std::string& host, QHostAddress& address)
{
    bool colons = host.find(':') != std::string::npos;
    return (IsDottedAddress(host) || colons) && address.setAddress(Latin1(host));
}

std::string ToText(const QString& text)
{
    return text.toLatin1().toStdString();
}

// The system's authorities, read once: only a session that accepts
// certificate errors anyway trusts them together with given ones.
const QList<QSslCertificate>& SystemAuthorities()
{
    static const QList<QSslCertificate> authorities = QSslConfiguration::systemCaCertificates();
    return authorities;
}

// The servers, by name, port and trust, whose certificates the given
// authorities did not vouch for and the system's did: their connections
// are judged by the system's authorities at once.
std::set<std::string>& SystemTrustedServers()
{
    static std::set<std::string> servers;
    return servers;
}

// Errors that only say that no trusted authority vouches for the chain.
bool IsTrustError(const QSslError& error)
{
    switch (error.error()) {
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::CertificateUntrusted:
        return true;
    default:
        return false;
    }
}

// The session tickets servers gave, by server and trust: a later connection
// to the same server with the same trust resumes the session instead of a
// full handshake.
std::map<std::string, QByteArray>& SessionTickets()
{
    static std::map<std::string, QByteArray> tickets;
    return tickets;
}

bool IsTlsError(int error)
{
    return error == QAbstractSocket::SslHandshakeFailedError || error == QAbstractSocket::SslInternalError
           || error == QAbstractSocket::SslInvalidUserDataError;
}

} // namespace

TSCX::TSCX(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { TimedOutNow(); });
}

TSCX::~TSCX()
{
    Release();
}

template <typename Event, typename... Args>
bool TSCX::Fire(const Event& event, Args&&... args)
{
    std::int32_t handle = m_handle;
    if (event) {
        QPointer<TSCX> self(this);
        Event handler = event; // the handler may destroy this channel, and the member with it
        handler(*this, std::forward<Args>(args)...);
        if (!self)
            return false;
    }
    return handle != 0 && m_handle == handle;
}

std::int32_t TSCX::Go(std::string_view host, std::string_view port, std::int32_t timeoutSecs)
{
    return Start(host, port, timeoutSecs, false, {});
}

std::int32_t TSCX::GoTls(std::string_view host, std::string_view port, std::int32_t timeoutSecs,
                         std::string_view peerName)
{
    return Start(host, port, timeoutSecs, true, peerName);
}

void TSCX::SetTlsSettings(const TTlsSettings& settings)
{
    m_ignoreCertificateErrors = settings.IgnoreCertificateErrors;
    std::string trust = settings.IgnoreCertificateErrors ? "any" : "checked";
    for (const std::string& der : settings.CaCertificates) {
        trust += ' ';
        trust += std::to_string(std::hash<std::string>{}(der));
    }
    m_trust = std::move(trust);
    if (settings.CaCertificates.empty()) {
        m_tlsConfiguration.reset();
        return;
    }
    // Authorities set in a configuration replace the system's, which the
    // library otherwise looks up as a handshake needs them: the given ones
    // judge a server first, the system's when they do not vouch for it
    // (reading every authority of the system costs more than a capture of
    // hundreds of pages). A session that accepts certificate errors trusts
    // both at once, so that it reports only what neither vouches for.
    QList<QSslCertificate> authorities;
    if (settings.IgnoreCertificateErrors)
        authorities = SystemAuthorities();
    for (const std::string& der : settings.CaCertificates) {
        QSslCertificate certificate(QByteArray(der.data(), static_cast<qsizetype>(der.size())), QSsl::Der);
        if (!certificate.isNull())
            authorities.append(certificate);
    }
    m_tlsConfiguration = std::make_unique<QSslConfiguration>(QSslConfiguration::defaultConfiguration());
    m_tlsConfiguration->setCaCertificates(authorities);
}

std::int32_t TSCX::Start(std::string_view host, std::string_view port, std::int32_t timeoutSecs, bool tls,
                         std::string_view peerName)
{
    Release();
    m_host = ShortString(host);
    m_port = ShortString(port);
    m_timeoutSecs = timeoutSecs;
    m_timedOut = false;
    m_tls = tls;
    m_peerName = ShortString(peerName.empty() ? host : peerName);
    m_tlsError.clear();
    m_acceptedErrors.clear();
    m_systemTrust = false;
    m_retryWithSystem = false;

    std::int64_t portNumber = 0;
    if (m_host.empty() || !TryParseInt(m_port, portNumber) || portNumber < 1 || portNumber > 65535)
        return 0;
    m_portNumber = static_cast<quint16>(portNumber);
    m_handle = NextHandle();
    std::int32_t handle = m_handle;
    RestartTimer();

    QHostAddress numeric;
    if (ParseNumericHost(m_host, numeric)) {
        QTimer::singleShot(0, this, [this, handle, numeric] {
            if (handle == m_handle)
                Resolved({numeric});
        });
    } else {
        std::shared_ptr<THostResolver> resolver = m_resolver ? m_resolver : DefaultHostResolver();
        resolver->Lookup(m_host, this, [this, handle](const QList<QHostAddress>& addresses) {
            if (handle != m_handle)
                return;
            if (addresses.isEmpty())
                Finish(scxNoHost, OnNoHost);
            else
                Resolved(addresses);
        });
    }
    return handle;
}

void TSCX::Send(const char* bytes, std::int32_t count)
{
    if (m_handle != 0 && m_socket && m_socket->state() == QAbstractSocket::ConnectedState && count > 0) {
        // A connection kept idle may have used up most of its time: the
        // answer to this request gets the whole time-out.
        RestartTimer();
        m_socket->write(bytes, count);
    }
}

void TSCX::SendString(std::string_view text)
{
    Send(text.data(), static_cast<std::int32_t>(text.size()));
}

void TSCX::Abort()
{
    Release();
}

void TSCX::Resolved(const QList<QHostAddress>& addresses)
{
    m_addresses = addresses;
    m_nextAddress = 0;
    m_state = scxOkHost;
    if (Fire(OnOkHost))
        ConnectNext();
}

void TSCX::ConnectNext()
{
    DisposeSocket();
    if (m_nextAddress >= m_addresses.size()) {
        Finish(scxFail, OnFail);
        return;
    }
    QSslSocket* tls = m_tls ? new QSslSocket(this) : nullptr;
    m_socket = tls ? tls : new QTcpSocket(this);
    m_socket->setProxy(QNetworkProxy::NoProxy); // the request goes through its own proxy setting
    if (tls) {
        const std::string server = LowerCase(m_peerName) + ":" + m_port + " " + m_trust;
        if (m_tlsConfiguration && !m_ignoreCertificateErrors && SystemTrustedServers().contains(server))
            m_systemTrust = true;
        const bool given = m_tlsConfiguration && !m_systemTrust;
        QSslConfiguration configuration = given ? *m_tlsConfiguration : QSslConfiguration::defaultConfiguration();
        configuration.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
        const std::string ticketKey = server + (m_systemTrust ? " system" : "");
        if (auto known = SessionTickets().find(ticketKey); known != SessionTickets().end())
            configuration.setSessionTicket(known->second);
        tls->setSslConfiguration(configuration);
        const auto keepTicket = [tls, ticketKey] {
            QByteArray ticket = tls->sslConfiguration().sessionTicket();
            if (!ticket.isEmpty())
                SessionTickets()[ticketKey] = ticket;
        };
        QObject::connect(tls, &QSslSocket::newSessionTicketReceived, this, keepTicket);
        // The connection counts as open once the handshake is done; until
        // then the time-out runs again from the TCP connection.
        QObject::connect(tls, &QSslSocket::connected, this, [this] { RestartTimer(); });
        QObject::connect(tls, &QSslSocket::encrypted, this, [this, keepTicket, server] {
            if (m_systemTrust && m_tlsConfiguration)
                SystemTrustedServers().insert(server);
            keepTicket();
            SocketConnected();
        });
        QObject::connect(tls, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
            SocketSslErrors(errors);
        });
    } else {
        QObject::connect(m_socket, &QTcpSocket::connected, this, [this] { SocketConnected(); });
    }
    // What the socket holds for us between two reads is bounded: the rest
    // waits in the system's buffers rather than in ours (over TLS, both the
    // encrypted and the decrypted bytes).
    m_socket->setReadBufferSize(kSocketReadBuffer);
    QObject::connect(m_socket, &QTcpSocket::readyRead, this, [this] { SocketReadyRead(); });
    QObject::connect(m_socket, &QTcpSocket::bytesWritten, this, [this] { SocketBytesWritten(); });
    QObject::connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The peer's close ends the connection through disconnected.
        if (error != QAbstractSocket::RemoteHostClosedError)
            SocketFailed(error);
    });
    QObject::connect(m_socket, &QTcpSocket::disconnected, this, [this] { SocketDisconnected(); });
    const QHostAddress& address = m_addresses[m_nextAddress++];
    if (tls)
        tls->connectToHostEncrypted(address.toString(), m_portNumber, Latin1(m_peerName));
    else
        m_socket->connectToHost(address, m_portNumber);
}

void TSCX::SocketConnected()
{
    RestartTimer();
    m_state = scxConnect;
    std::string address = m_socket->peerAddress().toString().toLatin1().toStdString();
    Fire(OnConnect, address.substr(0, kAddressTextMax));
}

void TSCX::SocketReadyRead()
{
    QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    RestartTimer();
    Fire(OnData, bytes.constData(), static_cast<std::int32_t>(bytes.size()));
}

void TSCX::SocketBytesWritten()
{
    RestartTimer();
    if (m_socket->bytesToWrite() == 0)
        Fire(OnCanWrite);
}

void TSCX::SocketSslErrors(const QList<QSslError>& errors)
{
    std::vector<std::string> texts;
    for (const QSslError& error : errors)
        texts.push_back(ShortString(ToText(error.errorString())));
    if (m_ignoreCertificateErrors) {
        for (std::string& text : texts) {
            if (std::find(m_acceptedErrors.begin(), m_acceptedErrors.end(), text) == m_acceptedErrors.end())
                m_acceptedErrors.push_back(std::move(text));
        }
        static_cast<QSslSocket*>(m_socket)->ignoreSslErrors();
        return;
    }
    // The socket fails the handshake next. When the given authorities alone
    // judged the certificate and did not vouch for it, the system's judge it
    // again; otherwise the error names the first fault only.
    if (m_tlsConfiguration && !m_systemTrust && std::any_of(errors.begin(), errors.end(), IsTrustError)) {
        m_retryWithSystem = true;
        return;
    }
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "; ") + text;
    m_tlsError = ShortString(joined);
}

void TSCX::TlsFailed(std::string text)
{
    if (m_tlsError.empty())
        m_tlsError = ShortString(text);
    Finish(scxFail, OnFail);
}

bool TSCX::RetryWithSystemTrust()
{
    if (!m_retryWithSystem)
        return false;
    m_retryWithSystem = false;
    m_systemTrust = true;
    --m_nextAddress; // the same address again
    ConnectNext();
    return true;
}

void TSCX::SocketFailed(int error)
{
    if (RetryWithSystemTrust())
        return;
    if (m_tls && m_state != scxConnect && (IsTlsError(error) || !m_tlsError.empty()))
        TlsFailed(ToText(m_socket->errorString()));
    else if (m_state == scxConnect)
        Finish(scxFail, OnFail);
    else
        ConnectNext(); // the next address of the host, if any
}

void TSCX::SocketDisconnected()
{
    if (RetryWithSystemTrust())
        return;
    if (m_tls && m_state != scxConnect) {
        // The TCP connection closed before the handshake ended.
        TlsFailed("The server closed the connection during the TLS handshake");
        return;
    }
    QByteArray rest = m_socket->readAll();
    if (!rest.isEmpty() && !Fire(OnData, rest.constData(), static_cast<std::int32_t>(rest.size())))
        return;
    Finish(scxCut, OnCut);
}

void TSCX::TimedOutNow()
{
    if (m_handle == 0)
        return;
    m_timedOut = true;
    Finish(scxFail, OnFail);
}

void TSCX::Finish(TSCX_State state, const TNotifyEvent& event)
{
    m_state = state;
    Release();
    if (event) {
        TNotifyEvent handler = event;
        handler(*this);
    }
}

void TSCX::Release()
{
    m_timer.stop();
    DisposeSocket();
    m_addresses.clear();
    m_handle = 0;
}

void TSCX::DisposeSocket()
{
    if (!m_socket)
        return;
    // The socket may be in the middle of emitting one of its signals: cut it
    // off from this channel and let the event loop delete it.
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    QObject::disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->setParent(nullptr);
    socket->deleteLater();
}

void TSCX::RestartTimer()
{
    constexpr std::int32_t kLongestSecs = INT32_MAX / 1000;
    if (m_timeoutSecs > 0)
        m_timer.start(std::min(m_timeoutSecs, kLongestSecs) * 1000);
}

} // namespace velbrin
