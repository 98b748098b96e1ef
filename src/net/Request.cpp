#include "net/Request.h"

#include "core/CaseFold.h"
#include "core/DateTime.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "core/Url.h"
#include "net/Base64.h"
#include "net/ChunkedDecoder.h"
#include "net/ContentDecoder.h"
#include "net/SocketChannel.h"

#include <QTimer>

#include <array>
#include <limits>

namespace velbrin {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kAgentLines = "Accept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\n";
constexpr std::string_view kEncodingLine = "Accept-Encoding: gzip, br\r\n";
constexpr std::string_view kTraceSwitch = "^^^^^^";
// The most room a body kept in memory is given ahead of its bytes.
constexpr std::int64_t kBodyRoomAnnounced = 16 * 1024 * 1024;

constexpr std::array<std::string_view, 11> kSocketStateNames = {
    "Idle", "Lookup", "Connect", "Connected", "Listening", "Receiving", "Request", "Closed", "Timeout", "Accepted",
    "Error",
};

struct TProcessState {
    TDoubleList HostCache;
    bool TraceMode = false;
};

TProcessState& Process()
{
    static TProcessState state;
    return state;
}

// An address kept in a page may hold control bytes; on the request line they
// would end the line early and let the page write header lines of its own.
std::string EscapeControlBytes(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// A name is kept once: look-ups take the first pair of a name anyway.
void RememberHost(const std::string& name, const std::string& address)
{
    TDoubleList& cache = Process().HostCache;
    if (cache.IndexOfName(name) < 0)
        cache.AddPair(name, address);
}

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

// The server a connection for url goes to: the proxy, or the protocol, host
// and port of the address. Two requests with the same key may share a
// connection.
std::string ConnectionKey(std::string_view url, std::string_view proxy, std::int32_t proxyPort)
{
    if (!proxy.empty())
        return "proxy " + LowerCase(std::string(proxy)) + " " + std::to_string(proxyPort);
    return std::to_string(GetProtocol(url)) + " " + LowerCase(GetHost(url)) + " " + std::to_string(GetPort(url));
}

} // namespace

std::string_view SocketStateName(int state)
{
    if (state < 0 || static_cast<std::size_t>(state) >= kSocketStateNames.size())
        return {};
    return kSocketStateNames[static_cast<std::size_t>(state)];
}

std::vector<std::string> HttpRequestPieces(std::string_view url, bool viaProxy, std::string_view credentials)
{
    TUrl parsed = TUrl::Create(url);
    std::string target = viaProxy ? std::string(url) : parsed.Directory + parsed.FileName;
    std::string host = parsed.Host;
    if (parsed.Port != -1 && !(parsed.Protocol == ProtocolHttps && parsed.Port == 443))
        host += ":" + std::to_string(parsed.Port);

    std::vector<std::string> pieces;
    pieces.push_back("GET " + EscapeControlBytes(target) + " HTTP/1.1" + std::string(kCrLf));
    pieces.push_back(std::string(kAgentLines) + "Host: " + EscapeControlBytes(host) + std::string(kCrLf));
    pieces.emplace_back(kEncodingLine);
    if (!credentials.empty())
        pieces.push_back("Authorization: Basic " + std::string(credentials) + std::string(kCrLf));
    pieces.emplace_back(kCrLf);
    return pieces;
}

TDoubleList& TRequest::HostCache() { return Process().HostCache; }
bool TRequest::TraceMode() { return Process().TraceMode; }
void TRequest::SetTraceMode(bool on) { Process().TraceMode = on; }

TRequest::TRequest(std::int32_t index)
    : m_index(index)
    , m_socket(std::make_unique<TSCX>())
{
    m_socket->OnNoHost = [this](TSCX&) { ChannelNoHost(); };
    m_socket->OnOkHost = [this](TSCX&) { ChannelOkHost(); };
    m_socket->OnConnect = [this](TSCX&, const std::string& address) { ChannelConnect(address); };
    m_socket->OnFail = [this](TSCX&) { ChannelFail(); };
    m_socket->OnCut = [this](TSCX&) { ChannelCut(); };
    m_socket->OnData = [this](TSCX&, const char* bytes, std::int32_t count) { ChannelData(bytes, count); };
}

TRequest::~TRequest()
{
    // No event fires from here on: the channel is destroyed with its
    // connection, and a partly written body is not kept.
    DiscardBodyFile();
}

template <typename Event, typename... Args>
bool TRequest::Fire(const Event& event, Args&&... args)
{
    if (!event)
        return true;
    std::weak_ptr<char> alive = m_alive;
    std::uint32_t generation = m_generation;
    Event handler = event; // the handler may destroy this request, and the member with it
    if constexpr (std::is_invocable_v<Event, TRequest&, Args...>)
        handler(*this, std::forward<Args>(args)...);
    else
        handler(std::forward<Args>(args)...);
    return !alive.expired() && m_generation == generation;
}

bool TRequest::Log(std::string_view text)
{
    if (!OnLog)
        return true;
    std::string line = FormatTimeText(Now());
    line += ' ';
    line += text;
    return Fire(OnLog, ShortString(line));
}

bool TRequest::Trace(std::string_view text)
{
    if (!TraceMode())
        return true;
    return Log(std::to_string(m_index) + std::string(text));
}

bool TRequest::SetSocketState(std::uint8_t state)
{
    if (state == m_socketState)
        return true;
    m_socketState = state;
    return Fire(OnStateChange);
}

void TRequest::SetCredentials(std::string_view userName, std::string_view password)
{
    std::string plain(userName);
    plain += ':';
    plain += password;
    m_credentials = ShortString(TBase64::Encode(plain));
}

void TRequest::ClearCredentials()
{
    m_credentials.clear();
}

void TRequest::SetTlsSettings(const TTlsSettings& settings)
{
    m_socket->SetTlsSettings(settings);
}

void TRequest::Get(std::string_view url, std::string_view proxy, std::int32_t proxyPort)
{
    if (m_busy != 0 && !AbortTransfer())
        return;
    // The file of the last body, left open for the owner, is the owner's now:
    // nothing here deletes it later.
    m_bodyFile.reset();
    ++m_generation;
    m_errorKind = TRequestError::None;
    m_errorText.clear();
    m_acceptedErrors.clear();
    m_url = ShortString(url);
    m_proxy = ShortString(proxy);
    m_proxyPort = proxyPort;
    if (!Trace(": Open " + m_url))
        return;
    if (!IsFetchableProtocol(GetProtocol(m_url)))
        return;
    if (m_kept) {
        if (ConnectionKey(m_url, m_proxy, m_proxyPort) == m_connectionKey && m_socket->Handle() != 0) {
            Reuse();
            return;
        }
        m_kept = false;
        m_socket->Abort();
    }

    m_connectHost = ShortString(GetHost(m_url));
    if (!IsDottedAddress(m_connectHost)) {
        int known = HostCache().IndexOfName(m_connectHost);
        if (known >= 0) {
            const std::string& address = HostCache().Values(known);
            if (address.empty()) {
                FailLater(TRequestError::NotFound, false, ssClosed);
                return;
            }
            m_connectHost = address;
        }
    }
    Connect();
}

bool TRequest::KeepsConnectionFor(std::string_view url, std::string_view proxy, std::int32_t proxyPort) const
{
    return m_kept && m_busy == 0 && ConnectionKey(ShortString(url), ShortString(proxy), proxyPort) == m_connectionKey;
}

// The next request goes over the connection the last one left open.
void TRequest::Reuse()
{
    BeginExchange(true);
    ResetResponse();
    m_acceptedErrors = m_socket->AcceptedCertificateErrors();
    for (const std::string& error : m_acceptedErrors) {
        if (!Log(GetHost(m_url) + " : certificat accept\xE9 malgr\xE9 l'erreur : " + error))
            return;
    }
    SendRequest();
}

void TRequest::ResetResponse()
{
    m_bodyFile.reset();
    m_headerLength = 0;
    m_headerBuffer.Reset();
    BodyFileName.clear();
    m_decodedSize = 0;
    m_framing = TFraming::UntilClose;
    m_persistent = false;
    m_wireLength = 0;
    m_hasWireLength = false;
    m_chunks.reset();
    m_decoder.reset();
}

// An idle kept connection that the server closed, that timed out or that
// spoke out of turn is dropped without a word to the owner.
bool TRequest::DropIdleConnection()
{
    if (!m_kept || m_busy != 0)
        return false;
    m_kept = false;
    m_socket->Abort();
    if (Trace(": Disconnect"))
        SetSocketState(ssClosed);
    return true;
}

// A kept connection may have been closed by the server just as the request
// went out on it: before any byte of the answer came, the request is sent
// again on a new connection.
bool TRequest::RetryOnFreshConnection()
{
    if (!m_reused || m_phase != 1 || !m_headerBuffer.View().empty())
        return false;
    m_reused = false;
    m_socket->Abort();
    if (!Trace(": Reconnect"))
        return true;
    Connect();
    return true;
}

// A request starts: busy, in its first phase, its body saved to a file
// unless its owner says otherwise after the header.
void TRequest::BeginExchange(bool reused)
{
    m_kept = false;
    m_reused = reused;
    m_busy = 1;
    m_phase = 0;
    SaveBody = true;
    BodyInMemory = false;
    std::string().swap(m_body);
    m_bodyReceived = 0;
}

void TRequest::Connect()
{
    BeginExchange(false);

    const bool tls = GetProtocol(m_url) == ProtocolHttps;
    if (tls && !m_proxy.empty()) {
        m_errorText = "https through a proxy is not supported";
        FailLater(TRequestError::TlsThroughProxy, false, ssError, GetHost(m_url) + " : " + m_errorText);
        return;
    }
    std::string host;
    std::string port;
    if (!m_proxy.empty()) {
        std::string proxy = m_proxy;
        if (proxy.find("//") == std::string::npos)
            proxy = "//" + proxy;
        if (proxy.back() != '/')
            proxy += '/';
        host = GetHost(proxy);
        if (host.empty())
            host = proxy;
        port = std::to_string(m_proxyPort);
    } else {
        host = m_connectHost.empty() ? GetHost(m_url) : m_connectHost;
        port = std::to_string(GetPort(m_url));
    }
    const std::int32_t handle =
        tls ? m_socket->GoTls(host, port, Timeout, GetHost(m_url)) : m_socket->Go(host, port, Timeout);
    if (handle == 0) {
        FailLater(TRequestError::Refused, true, ssError);
        return;
    }
    SetSocketState(ssLookup);
}

void TRequest::SendRequest()
{
    if (!Trace(": Send"))
        return;
    m_busy = 2;
    for (const std::string& piece : HttpRequestPieces(m_url, !m_proxy.empty(), m_credentials))
        m_socket->SendString(piece);
    m_busy = 3;
    m_phase = 1;
    SetSocketState(ssRequest);
}

void TRequest::ChannelNoHost()
{
    if (!Trace(":SCX_NoHost") || m_busy != 1)
        return;
    RememberHost(m_socket->Host(), {});
    if (!Log(GetHost(m_url) + " : WEB non trouv\xE9"))
        return;
    if (!Fail(TRequestError::NotFound, false))
        return;
    m_socket->Abort();
    SetSocketState(ssError);
}

void TRequest::ChannelOkHost()
{
    if (!SetSocketState(ssConnect))
        return;
    if (m_busy == 1)
        Trace(":SCX_OkHost");
}

void TRequest::ChannelConnect(const std::string& address)
{
    RememberHost(m_socket->Host(), address);
    if (!SetSocketState(ssConnected))
        return;
    m_acceptedErrors = m_socket->AcceptedCertificateErrors();
    for (const std::string& error : m_acceptedErrors) {
        if (!Log(GetHost(m_url) + " : certificat accept\xE9 malgr\xE9 l'erreur : " + error))
            return;
    }
    m_connectionKey = ConnectionKey(m_url, m_proxy, m_proxyPort);
    ResetResponse();
    SendRequest();
}

void TRequest::ChannelFail()
{
    if (DropIdleConnection())
        return;
    // Before the connection opened, the server is out of reach; a transfer
    // that broke off or fell silent may succeed later.
    bool connected = m_busy >= 2;
    // A refused certificate stays refused: no retry either.
    const std::string tlsError = m_socket->TlsError();
    if (connected && tlsError.empty() && !m_socket->TimedOut() && RetryOnFreshConnection())
        return;
    TRequestError kind = !tlsError.empty()      ? TRequestError::Tls
                         : !connected           ? TRequestError::NotFound
                         : m_socket->TimedOut() ? TRequestError::TimedOut
                                                : TRequestError::ConnectionLost;
    if (!SetSocketState(ssError))
        return;
    if (!tlsError.empty()) {
        m_errorText = tlsError;
        if (!Log(GetHost(m_url) + " : erreur TLS : " + tlsError))
            return;
    }
    if (TraceMode() && !Log(GetHost(m_url) + " : SCX_Fail"))
        return;
    if (!Fail(kind, connected))
        return;
    ChannelCut();
}

void TRequest::ChannelCut()
{
    if (DropIdleConnection() || RetryOnFreshConnection())
        return;
    if (!Trace(": Disconnect") || !SetSocketState(ssClosed))
        return;
    m_busy = 0;
    m_socket->Abort();
    if (m_phase == 1) {
        // The server hung up before its header ended: nothing was received,
        // and the link may well succeed on another try.
        Fail(TRequestError::ConnectionLost, true);
        return;
    }
    if (m_phase == 2) {
        // A body that its header delimits ends before the close when it is whole.
        if ((m_hasWireLength && m_bodyReceived < m_wireLength) || m_framing == TFraming::Chunked) {
            Fail(TRequestError::ShortBody, true);
            return;
        }
        if (m_decoder && !m_decoder->Finished()) {
            FailDecoding();
            return;
        }
        Complete();
        return;
    }
    m_phase = 0;
}

void TRequest::Complete()
{
    if (!FinishBodyFile())
        return;
    if (m_url.find(kTraceSwitch) != std::string::npos)
        SetTraceMode(true);
    if (!Fire(OnComplete))
        return;
    // A body kept in memory left its file open for the owner to write.
    m_bodyFile.reset();
    m_phase = 0;
}

// The body ended before the connection did; clean: nothing followed it.
void TRequest::EndOfBody(bool clean)
{
    if (m_decoder && !m_decoder->Finished()) {
        FailDecoding();
        return;
    }
    if (m_persistent && clean) {
        m_kept = true;
        m_reused = false;
        m_busy = 0;
        if (!SetSocketState(ssIdle))
            return;
    } else {
        if (!Trace(": Disconnect") || !SetSocketState(ssClosed))
            return;
        m_busy = 0;
        m_socket->Abort();
    }
    Complete();
}

void TRequest::ChannelData(const char* bytes, std::int32_t count)
{
    if (DropIdleConnection())
        return;
    if (!SetSocketState(ssReceiving) || !Trace(": SCX_Data"))
        return;
    if (m_busy != 3 || m_phase == 0)
        return;
    std::string_view block(bytes, static_cast<std::size_t>(count));
    if (m_phase == 1) {
        m_headerBuffer.Write(block.data(), block.size());
        if (!ScanHeader())
            return;
    } else if (!TakeBody(block)) {
        return;
    }
    if (m_phase == 2)
        Fire(OnProgress);
}

bool TRequest::ScanHeader()
{
    std::size_t end = 0;
    for (;;) {
        std::string_view buffered = m_headerBuffer.View();
        end = FindHeaderEnd(buffered);
        bool tooLong = end == 0 ? buffered.size() >= kMaxHeaderLength : end > kMaxHeaderLength;
        if (tooLong) {
            Fail(TRequestError::HeaderTooLong, true);
            return false;
        }
        if (end == 0)
            return true;
        m_header = ParseHttpHeader(buffered, end);
        // An interim answer (103 Early Hints...) comes before the real one.
        if (m_header.Version < 11 || m_header.Status < 100 || m_header.Status >= 200 || m_header.Status == 101)
            break;
        std::string rest(buffered.substr(end));
        m_headerBuffer.Reset();
        m_headerBuffer.Write(rest.data(), rest.size());
        if (!Fire(OnBytes, static_cast<std::int32_t>(end)))
            return false;
    }

    m_headerLength = static_cast<std::int32_t>(end);
    m_phase = 2;
    m_persistent = IsPersistent(m_header);
    if (m_persistent && HasNoBody(m_header))
        m_framing = TFraming::None;
    else if (m_header.Chunked)
        m_framing = TFraming::Chunked;
    else
        m_framing = m_persistent ? TFraming::Length : TFraming::UntilClose;
    m_hasWireLength = m_header.HasContentLength && m_framing != TFraming::Chunked && m_framing != TFraming::None;
    m_wireLength = m_header.ContentLength;
    if (m_framing == TFraming::Chunked)
        m_chunks = std::make_unique<TChunkedDecoder>();
    m_decoder = m_framing == TFraming::None ? nullptr : TContentDecoder::Create(m_header.ContentCoding);
    // What the owner sees is the decoded body, whose length is not known yet.
    if (m_decoder || m_framing != TFraming::UntilClose) {
        if (m_decoder || !m_hasWireLength) {
            m_header.ContentLength = 0;
            m_header.HasContentLength = false;
        }
    }

    if (!Fire(OnBytes, static_cast<std::int32_t>(end)))
        return false;
    bool goOn = true;
    if (OnHeader) {
        std::weak_ptr<char> alive = m_alive;
        std::uint32_t generation = m_generation;
        THeaderEvent handler = OnHeader;
        goOn = handler(*this);
        if (alive.expired() || m_generation != generation)
            return false;
    }
    if (!goOn || BodyFileName.empty()) {
        std::string rest(m_headerBuffer.View().substr(end));
        m_headerBuffer.Reset();
        if (Trace(": Filtered") && !KeepAfterRefusal(rest))
            AbortTransfer();
        return false;
    }
    if (SaveBody && !CreateBodyFile())
        return false;
    // A body kept in memory gets its announced length at once rather than
    // growing by copies; a length beyond kBodyRoomAnnounced is not taken
    // on the server's word.
    if (SaveBody && BodyInMemory && m_hasWireLength && !m_decoder && m_wireLength > 0)
        m_body.reserve(static_cast<std::size_t>(std::min<std::int64_t>(m_wireLength, kBodyRoomAnnounced)));
    // The body's first bytes are taken where they are. An event handler
    // that starts the next request empties the buffer itself; nothing reads
    // these bytes after an event.
    std::weak_ptr<char> alive = m_alive;
    const std::uint32_t generation = m_generation;
    const bool more = TakeBody(m_headerBuffer.View().substr(end));
    if (!alive.expired() && m_generation == generation)
        m_headerBuffer.Reset();
    return more;
}

// A refused answer whose whole body came with its header leaves the
// connection ready for the next request; otherwise it is closed.
bool TRequest::KeepAfterRefusal(std::string_view rest)
{
    if (!m_persistent)
        return false;
    bool whole = false;
    switch (m_framing) {
    case TFraming::None:
        whole = rest.empty();
        break;
    case TFraming::Length:
        whole = static_cast<std::int64_t>(rest.size()) == m_wireLength;
        break;
    case TFraming::Chunked: {
        std::string ignored;
        std::size_t consumed = 0;
        whole = m_chunks->Feed(rest, ignored, consumed) == TChunkedDecoder::TResult::Done && consumed == rest.size();
        break;
    }
    case TFraming::UntilClose:
        break;
    }
    if (!whole)
        return false;
    m_kept = true;
    m_busy = 0;
    m_phase = 0;
    SetSocketState(ssIdle);
    return true;
}

// Takes bytes of the body as they came. True while more of the body is to
// come; false once it ended or the transfer stopped.
bool TRequest::TakeBody(std::string_view bytes)
{
    switch (m_framing) {
    case TFraming::UntilClose:
        return TakeContent(bytes);
    case TFraming::Length: {
        const auto take = static_cast<std::size_t>(
            std::min<std::int64_t>(m_wireLength - m_bodyReceived, static_cast<std::int64_t>(bytes.size())));
        if (!TakeContent(bytes.substr(0, take)))
            return false;
        if (m_bodyReceived < m_wireLength)
            return true;
        EndOfBody(take == bytes.size());
        return false;
    }
    case TFraming::Chunked: {
        m_chunkData.clear();
        std::size_t consumed = 0;
        const TChunkedDecoder::TResult result = m_chunks->Feed(bytes, m_chunkData, consumed);
        if (result == TChunkedDecoder::TResult::Error) {
            if (Log(GetHost(m_url) + " : codage chunked incorrect"))
                Fail(TRequestError::BadChunks, false);
            return false;
        }
        if (!TakeContent(m_chunkData))
            return false;
        if (result == TChunkedDecoder::TResult::More)
            return true;
        EndOfBody(consumed == bytes.size());
        return false;
    }
    case TFraming::None:
        EndOfBody(bytes.empty());
        return false;
    }
    return false;
}

// Content of the body, transfer coding undone: decoded and written.
bool TRequest::TakeContent(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    m_bodyReceived += static_cast<std::int64_t>(bytes.size());
    if (!m_decoder)
        return WriteBody(bytes);
    m_decoded.clear();
    if (!m_decoder->Decode(bytes, m_decoded)) {
        FailDecoding();
        return false;
    }
    return WriteBody(m_decoded);
}

bool TRequest::FailDecoding()
{
    const std::string name = m_decoder ? m_decoder->Name() : "";
    if (!Log(GetHost(m_url) + " : contenu " + name + " illisible"))
        return false;
    return Fail(TRequestError::BadEncoding, false);
}

bool TRequest::CreateBodyFile()
{
    try {
        m_bodyFile = std::make_unique<TFileStream>(BodyFileName, TFileStream::Mode::Create);
    } catch (const EVelbrinError& error) {
        FailWrite(error);
        return false;
    }
    return true;
}

bool TRequest::WriteBody(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    m_decodedSize += static_cast<std::int64_t>(bytes.size());
    if (SaveBody) { // otherwise received and counted, not kept
        if (!m_bodyFile) {
            Fail(TRequestError::Stream, true);
            return false;
        }
        if (BodyInMemory) {
            m_body.append(bytes);
        } else {
            try {
                m_bodyFile->WriteBuffer(bytes.data(), bytes.size());
            } catch (const EVelbrinError& error) {
                FailWrite(error);
                return false;
            }
        }
    }
    return Fire(OnBytes, static_cast<std::int32_t>(bytes.size()));
}

// At the normal end of the body: the length becomes what was received, and the
// body file is closed.
bool TRequest::FinishBodyFile()
{
    if (!m_bodyFile) {
        if (!SaveBody)
            m_header.ContentLength = ClampToInt32(m_decodedSize);
        return true;
    }
    try {
        if (BodyInMemory) {
            // Left open, empty, for the owner to store the body through.
            m_header.ContentLength = ClampToInt32(static_cast<std::int64_t>(m_body.size()));
            return true;
        }
        m_header.ContentLength = ClampToInt32(m_bodyFile->Size());
        m_bodyFile->Close();
    } catch (const EVelbrinError& error) {
        FailWrite(error);
        return false;
    }
    m_bodyFile.reset();
    return true;
}

void TRequest::DiscardBodyFile()
{
    if (!m_bodyFile)
        return;
    std::string fileName = m_bodyFile->FileName();
    m_bodyFile.reset();
    std::string().swap(m_body);
    DeleteFile(fileName);
}

bool TRequest::FailWrite(const std::exception& error)
{
    auto* io = dynamic_cast<const EInOutError*>(&error);
    bool diskFull = io && io->IsDiskFull();
    // A full disk stays full: the owner stops rather than tries again.
    return Fail(diskFull ? TRequestError::DiskFull : TRequestError::WriteFailed, !diskFull);
}

bool TRequest::Fail(TRequestError kind, bool retry)
{
    m_errorKind = kind;
    if (!Trace(": socket error") || !AbortTransfer())
        return false;
    return Fire(OnError, retry);
}

// A failure found inside Get reaches the owner from the event loop, like every
// other result: the owner finishes handing out the link before it hears of it.
// The request stays busy until then.
void TRequest::FailLater(TRequestError kind, bool retry, std::uint8_t finalState, std::string logText)
{
    m_busy = 1;
    QTimer::singleShot(0, m_socket.get(), [this, generation = m_generation, kind, retry, finalState, logText] {
        if (generation != m_generation)
            return;
        if (!logText.empty() && !Log(logText))
            return;
        if (Fail(kind, retry))
            SetSocketState(finalState);
    });
}

void TRequest::Abort()
{
    AbortTransfer();
}

bool TRequest::AbortTransfer()
{
    if (m_busy == 5)
        return true;
    ++m_generation;
    m_busy = 5;
    m_kept = false;
    m_socket->Abort();
    m_busy = 0;
    bool hadBody = m_phase == 2 && m_bodyFile;
    if (hadBody) {
        m_header.ContentLength = 0;
        DiscardBodyFile();
    }
    m_phase = 0;
    if (hadBody && !Fire(OnProgress))
        return false;
    return SetSocketState(ssClosed);
}

} // namespace velbrin
