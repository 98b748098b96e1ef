#pragma once

#include "net/HostResolver.h"
#include "net/TlsSettings.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSslConfiguration;
class QSslError;
class QTcpSocket;

namespace velbrin {

enum TSCX_State { scxIdle, scxWaitDns, scxNoHost, scxOkHost, scxFail, scxConnect, scxCut };

// One outgoing TCP connection at a time, in the thread's event loop. Go orders
// it and returns a handle; the connection then reports through the events:
// the host name resolved (OnOkHost) or not (OnNoHost), the connection opened
// (OnConnect) or failed (OnFail), bytes arrived (OnData), everything queued was
// sent (OnCanWrite), the peer closed (OnCut). OnNoHost, OnFail and OnCut end
// the connection. No event ever fires inside Go, Send or Abort, and none of a
// connection fires after Abort or after the next Go.
//
// The time-out covers name resolution and connection together, then each
// silence of the open connection; when it runs out the connection fails.
// Numeric addresses skip the name service.
//
// GoTls opens a TLS session over the connection before it counts as open: the
// handshake is part of connecting, and OnConnect fires once it succeeded. A
// certificate the settings do not accept, or any other failure of the
// handshake, ends the connection with OnFail and TlsError() naming the fault;
// the host's other addresses are not tried, as they would fail alike. A
// session ticket the server gave is kept for the process, and a later
// connection to the same server and port with the same trust settings
// offers it to resume the session without a full handshake.
class TSCX final : public QObject {
public:
    using TNotifyEvent = std::function<void(TSCX& Sender)>;
    using TConnectEvent = std::function<void(TSCX& Sender, const std::string& DistantIP)>;
    using TDataEvent = std::function<void(TSCX& Sender, const char* Buf, std::int32_t nBufLen)>;

    explicit TSCX(QObject* parent = nullptr);
    ~TSCX() override;
    TSCX(const TSCX&) = delete;
    TSCX& operator=(const TSCX&) = delete;

    // Aborts the connection in progress and starts a new one to host and port
    // (decimal text). Returns the new connection's handle, or 0 when the order
    // is refused (empty host, port not a number from 1 to 65535).
    std::int32_t Go(std::string_view host, std::string_view port, std::int32_t timeoutSecs);
    // The same with TLS over the connection. peerName is the server's name
    // as the address wrote it (sent to the server, and the name its
    // certificate must carry), while host may be an address already looked up.
    std::int32_t GoTls(std::string_view host, std::string_view port, std::int32_t timeoutSecs,
                       std::string_view peerName);
    // The trust of later TLS connections; without it, the system's authorities only.
    void SetTlsSettings(const TTlsSettings& settings);
    // Queues bytes for sending on the open connection; without one they are dropped.
    void Send(const char* bytes, std::int32_t count);
    void SendString(std::string_view text);
    // Closes the connection now; none of its events fires afterwards.
    void Abort();

    const std::string& Host() const { return m_host; }
    const std::string& Port() const { return m_port; }
    std::int32_t TimeoutSecs() const { return m_timeoutSecs; }
    TSCX_State State() const { return m_state; }
    // The handle of the connection in progress; 0 when there is none.
    std::int32_t Handle() const { return m_handle; }
    // The last OnFail came from the time-out.
    bool TimedOut() const { return m_timedOut; }
    // The last connection was ordered with GoTls.
    bool UsesTls() const { return m_tls; }
    // Why the last TLS handshake failed (the library's words); empty when it
    // did not, or for a failure of another kind. Kept until the next order.
    const std::string& TlsError() const { return m_tlsError; }
    // The certificate errors accepted on the last connection because the
    // settings ignore them; kept until the next order.
    const std::vector<std::string>& AcceptedCertificateErrors() const { return m_acceptedErrors; }

    // Look-ups go to resolver; without one, to DefaultHostResolver().
    void SetResolver(std::shared_ptr<THostResolver> resolver) { m_resolver = std::move(resolver); }

    TNotifyEvent OnNoHost;
    TNotifyEvent OnOkHost;
    TNotifyEvent OnFail;
    TNotifyEvent OnCut;
    TNotifyEvent OnCanWrite;
    TConnectEvent OnConnect;
    TDataEvent OnData;

private:
    std::int32_t Start(std::string_view host, std::string_view port, std::int32_t timeoutSecs, bool tls,
                       std::string_view peerName);
    void Resolved(const QList<QHostAddress>& addresses);
    void ConnectNext();
    void SocketConnected();
    void SocketReadyRead();
    void SocketBytesWritten();
    void SocketFailed(int error);
    void SocketSslErrors(const QList<QSslError>& errors);
    void TlsFailed(std::string text);
    // A handshake that failed because the given authorities did not vouch
    // for the server starts again with the system's; false when it did not.
    bool RetryWithSystemTrust();
    void SocketDisconnected();
    void TimedOutNow();
    // Ends the connection with a last notification.
    void Finish(TSCX_State state, const TNotifyEvent& event);
    void Release();
    void DisposeSocket();
    void RestartTimer();

    // Runs an event handler. False when the handler destroyed this channel or
    // replaced or ended the connection it was called for.
    template <typename Event, typename... Args>
    bool Fire(const Event& event, Args&&... args);

    std::string m_host;
    std::string m_port;
    std::int32_t m_timeoutSecs = 0;
    TSCX_State m_state = scxIdle;
    std::int32_t m_handle = 0;
    bool m_timedOut = false;
    std::shared_ptr<THostResolver> m_resolver;

    quint16 m_portNumber = 0;
    QList<QHostAddress> m_addresses;
    qsizetype m_nextAddress = 0;
    QTcpSocket* m_socket = nullptr; // child; released through deleteLater

    bool m_tls = false;
    std::string m_peerName;
    std::string m_tlsError;
    std::vector<std::string> m_acceptedErrors;
    bool m_ignoreCertificateErrors = false;
    std::string m_trust; // names the settings: a resumed session was checked with the same
    // The authorities given in the settings, without the system's (or with
    // them, when certificate errors are accepted anyway); null: the library's
    // default, which looks the system's up as a handshake needs them.
    std::unique_ptr<QSslConfiguration> m_tlsConfiguration;
    // This attempt judges the server by the system's authorities: the given
    // ones did not vouch for its certificate.
    bool m_systemTrust = false;
    // The given authorities did not vouch for the certificate: the failed
    // handshake is tried again on the same address with the system's.
    bool m_retryWithSystem = false;
    QTimer m_timer;
};

} // namespace velbrin
