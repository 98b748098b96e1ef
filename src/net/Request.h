#pragma once

#include "core/DoubleList.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "net/HttpHeader.h"
#include "net/TlsSettings.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

class TChunkedDecoder;
class TContentDecoder;
class TSCX;
class TWebFile;

// Why the last transfer failed, for an owner that needs more than the retry flag.
enum class TRequestError {
    None,
    NotFound,       // the host name does not resolve, or no connection could be opened
    Refused,        // the channel refused the connection order
    Stream,         // body data arrived without a body file
    TimedOut,       // the server fell silent during the transfer
    ConnectionLost, // the connection broke during the transfer
    HeaderTooLong,  // no end of header within kMaxHeaderLength bytes
    ShortBody,      // the connection closed before the announced length arrived
    WriteFailed,    // the body file could not be created or written
    DiskFull,       // the same, because the disk is full
    Tls,            // the TLS handshake failed or the certificate was refused (ErrorText says why)
    TlsThroughProxy, // an https address with a proxy set: not supported
    BadChunks,      // a body in the chunked transfer coding that does not follow it
    BadEncoding,    // a gzip or brotli body that does not decode, or ends early
};

// The socket states shown for each request.
enum TSocketState : std::uint8_t {
    ssIdle, ssLookup, ssConnect, ssConnected, ssListening, ssReceiving, ssRequest, ssClosed, ssTimeout, ssAccepted,
    ssError,
};
// "Idle", "Lookup", ... "Error"; empty for a value out of range.
std::string_view SocketStateName(int state);

// The bytes of a GET request for url, in the pieces they are sent in: the
// request line (the whole url through a proxy, its document otherwise), the
// Accept, User-Agent and Host lines, the Accept-Encoding line, the
// Authorization line when there are credentials, and the empty line. The Host line carries a written port,
// except 443 of an https address.
std::vector<std::string> HttpRequestPieces(std::string_view url, bool viaProxy, std::string_view credentials);

// Fetches one URL at a time with an HTTP/1.1 GET over its own socket channel,
// in the thread's event loop; it never blocks. The owner decides from the
// parsed header (OnHeader) whether the body is wanted and where it goes
// (BodyFileName); the body then goes straight into that file, decoded from
// gzip or brotli when the server compressed it. Sizes the owner sees (the
// header's ContentLength, OnBytes) are those of the decoded body: a
// compressed body's length is unknown (0) until it is complete.
//
// When the server keeps the connection open after a body that its header
// delimits (Content-Length or chunked), the request keeps it, idle, and the
// next Get to the same server (protocol, host and port, or the same proxy)
// goes over it; a Get elsewhere closes it. A server that closes, answers
// "Connection: close" or speaks HTTP/1.0 gets a connection per request, the
// body then ending with the close. A request sent on a kept connection that
// closes or breaks before the first byte of the answer is sent once more on
// a new connection, without an event; a time-out is not retried that way.
//
// An https address goes over TLS (see TSCX::GoTls), with the trust of
// SetTlsSettings; the request itself stays the same. A refused certificate or
// a failed handshake fails the request without retry (ErrorKind Tls, the
// reason in ErrorText and in a log line); a certificate error accepted because
// the settings ignore them is logged, and kept in AcceptedCertificateErrors.
// https through a proxy is not supported: such a request fails without retry
// (ErrorKind TlsThroughProxy).
//
// Every event handler may call Get, Abort or destroy the request: the request
// then drops what it was doing.
class TRequest {
public:
    using TNotifyEvent = std::function<void(TRequest& Sender)>;
    using TLogEvent = std::function<void(TRequest& Sender, const std::string& Line)>;
    using THeaderEvent = std::function<bool(TRequest& Sender)>;
    using TErrorEvent = std::function<void(TRequest& Sender, bool Retry)>;
    using TBytesEvent = std::function<void(std::int32_t Count)>;

    static constexpr std::int32_t kDefaultTimeout = 30;

    // index: the socket number, 1 for the first.
    explicit TRequest(std::int32_t index);
    ~TRequest();
    TRequest(const TRequest&) = delete;
    TRequest& operator=(const TRequest&) = delete;

    // Starts fetching url, through the proxy when proxy is not empty. Results
    // come only through the events, from the event loop (a trace line aside).
    // A url of another protocol than http or https does nothing.
    void Get(std::string_view url, std::string_view proxy, std::int32_t proxyPort);
    // Basic credentials sent with every later request of this object.
    void SetCredentials(std::string_view userName, std::string_view password);
    // Later requests go without an Authorization line.
    void ClearCredentials();
    // How later https requests judge the server's certificate; without it,
    // by the system's authorities alone.
    void SetTlsSettings(const TTlsSettings& settings);
    // Stops the transfer now; a partly written body file is deleted. A kept
    // connection is closed.
    void Abort();
    // Whether a Get of url with this proxy would go over the connection the
    // request keeps open.
    bool KeepsConnectionFor(std::string_view url, std::string_view proxy, std::int32_t proxyPort) const;
    // An idle connection is kept open.
    bool HoldsConnection() const { return m_kept; }

    TLogEvent OnLog;             // a line for the log
    THeaderEvent OnHeader;       // the header is parsed; returns whether to go on
    TNotifyEvent OnComplete;     // the body was received and the connection closed
    TNotifyEvent OnProgress;     // body data arrived, or a body transfer was aborted
    TNotifyEvent OnStateChange;  // SocketState changed
    TErrorEvent OnError;         // the request failed; Retry: it may succeed later
    TBytesEvent OnBytes;         // a block of bytes arrived

    // Written by the owner.
    std::string BodyFileName;    // where the body goes; set by the OnHeader handler
    bool SaveBody = true;        // set by Get; cleared, the body is received but not written
    // Set by the OnHeader handler: the body is kept in memory (Body) for the
    // owner to store, and the file BodyFileName is only created, so that its
    // name is taken. In OnComplete that file is still open, empty (BodyFile),
    // for the owner to write and close. Cleared by Get.
    bool BodyInMemory = false;
    TWebFile* Link = nullptr;    // the owner's record of the link; not used here
    std::int32_t Timeout = kDefaultTimeout; // seconds, for each connection

    std::int32_t Index() const { return m_index; }
    // 0 idle, 1 connecting, 2 sending the request, 3 receiving, 5 being aborted.
    // A request that keeps a connection open is idle (0).
    std::uint8_t Busy() const { return m_busy; }
    // 0 no response yet, 1 reading the header, 2 reading the body.
    std::uint8_t Phase() const { return m_phase; }
    std::uint8_t SocketState() const { return m_socketState; }
    const std::string& Url() const { return m_url; }
    const std::string& ConnectHost() const { return m_connectHost; }
    const std::string& Proxy() const { return m_proxy; }
    std::int32_t ProxyPort() const { return m_proxyPort; }
    const std::string& Credentials() const { return m_credentials; }
    const TMemoryStreamEx& HeaderBuffer() const { return m_headerBuffer; }
    std::int32_t HeaderLength() const { return m_headerLength; }
    const THTTPHEADER& Header() const { return m_header; }
    // The body file while it is written (and in OnComplete, with
    // BodyInMemory); null otherwise.
    TFileStream* BodyFile() const { return m_bodyFile.get(); }
    // Hands that file over to the owner, who then writes and closes it
    // after OnComplete.
    std::unique_ptr<TFileStream> TakeBodyFile() { return std::move(m_bodyFile); }
    // The body received while BodyInMemory is set; the owner may take it
    // in OnComplete.
    std::string& Body() { return m_body; }
    // Why the last failure happened; None after Get.
    TRequestError ErrorKind() const { return m_errorKind; }
    // The words of the last failure of kinds Tls and TlsThroughProxy; empty
    // after Get.
    const std::string& ErrorText() const { return m_errorText; }
    // The certificate errors accepted for the current https transfer because
    // the settings ignore them; empty after Get.
    const std::vector<std::string>& AcceptedCertificateErrors() const { return m_acceptedErrors; }
    TSCX& Socket() { return *m_socket; }

    // Process-wide: the address of every host that answered, and every host
    // name that did not resolve (with an empty address).
    static TDoubleList& HostCache();
    // Process-wide: trace lines of every step go to OnLog.
    static bool TraceMode();
    static void SetTraceMode(bool on);

private:
    void BeginExchange(bool reused);
    void Connect();
    void SendRequest();
    void ChannelNoHost();
    void ChannelOkHost();
    void ChannelConnect(const std::string& address);
    void ChannelFail();
    void ChannelCut();
    void ChannelData(const char* bytes, std::int32_t count);
    void Reuse();
    void ResetResponse();
    bool DropIdleConnection();
    bool RetryOnFreshConnection();
    bool ScanHeader();
    bool KeepAfterRefusal(std::string_view rest);
    bool TakeBody(std::string_view bytes);
    bool TakeContent(std::string_view bytes);
    void EndOfBody(bool clean);
    void Complete();
    bool FailDecoding();
    bool CreateBodyFile();
    bool WriteBody(std::string_view bytes);
    bool FinishBodyFile();
    void DiscardBodyFile();

    // Each of these returns false when an event handler destroyed the request
    // or started or stopped a transfer: the caller must then stop at once.
    bool AbortTransfer();
    bool Fail(TRequestError kind, bool retry);
    void FailLater(TRequestError kind, bool retry, std::uint8_t finalState, std::string logText = {});
    bool FailWrite(const std::exception& error);
    bool SetSocketState(std::uint8_t state);
    bool Log(std::string_view text);
    bool Trace(std::string_view text);
    template <typename Event, typename... Args>
    bool Fire(const Event& event, Args&&... args);

    std::int32_t m_index;
    std::uint8_t m_busy = 0;
    std::uint8_t m_phase = 0;
    std::uint8_t m_socketState = ssIdle;
    std::string m_url;
    std::string m_connectHost;
    std::string m_proxy;
    std::int32_t m_proxyPort = 80;
    std::string m_credentials;
    TMemoryStreamEx m_headerBuffer;
    std::int32_t m_headerLength = 0;
    THTTPHEADER m_header;
    std::unique_ptr<TFileStream> m_bodyFile;
    std::string m_body;
    std::int64_t m_bodyReceived = 0; // body bytes as sent, transfer coding undone, content coding not
    std::int64_t m_decodedSize = 0;  // body bytes once decoded: what goes into the file

    // How the end of the body is found.
    enum class TFraming : std::uint8_t {
        UntilClose, // the server closes the connection
        Length,     // after Content-Length bytes
        Chunked,    // after the last chunk and the trailer
        None,       // there is no body
    };
    TFraming m_framing = TFraming::UntilClose;
    bool m_persistent = false;  // the connection may carry another request after this answer
    std::int64_t m_wireLength = 0;
    bool m_hasWireLength = false; // the header gave the length of the body as sent
    std::unique_ptr<TChunkedDecoder> m_chunks;
    std::unique_ptr<TContentDecoder> m_decoder;
    std::string m_chunkData;
    std::string m_decoded;
    bool m_kept = false;         // an idle connection is kept open for the next Get
    bool m_reused = false;       // the request in progress went over a kept connection
    std::string m_connectionKey; // the server of the open connection
    TRequestError m_errorKind = TRequestError::None;
    std::string m_errorText;
    std::vector<std::string> m_acceptedErrors;
    std::unique_ptr<TSCX> m_socket;

    // Expires with the object; event handlers are watched through it.
    std::shared_ptr<char> m_alive = std::make_shared<char>();
    // Changes with every Get and Abort.
    std::uint32_t m_generation = 0;
};

} // namespace velbrin
