#include "net/Request.h"

#include "core/DateTime.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/ShortString.h"
#include "core/Text.h"
#include "core/Url.h"
#include "net/Base64.h"
#include "net/SocketChannel.h"

#include <QTimer>

#include <array>
#include <limits>

namespace velbrin {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kAgentLines = "Accept:*/*\r\nUser-Agent: Mozilla/2.0 (Velbrin 1.073)\r\n";
constexpr std::string_view kTraceSwitch = "^^^^^^";

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
    pieces.push_back("GET " + EscapeControlBytes(target) + " HTTP/1.0" + std::string(kCrLf));
    pieces.push_back(std::string(kAgentLines) + "Host: " + EscapeControlBytes(host) + std::string(kCrLf));
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

void TRequest::Connect()
{
    m_busy = 1;
    m_phase = 0;
    SaveBody = true;
    BodyInMemory = false;
    std::string().swap(m_body);
    m_bodyReceived = 0;

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
    m_bodyFile.reset();
    m_headerLength = 0;
    m_headerBuffer.Reset();
    BodyFileName.clear();
    SendRequest();
}

void TRequest::ChannelFail()
{
    // Before the connection opened, the server is out of reach; a transfer
    // that broke off or fell silent may succeed later.
    bool connected = m_busy >= 2;
    // A refused certificate stays refused: no retry either.
    const std::string tlsError = m_socket->TlsError();
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
        if (m_header.HasContentLength && m_bodyReceived < m_header.ContentLength) {
            Fail(TRequestError::ShortBody, true);
            return;
        }
        if (!FinishBodyFile())
            return;
        if (m_url.find(kTraceSwitch) != std::string::npos)
            SetTraceMode(true);
        if (!Fire(OnComplete))
            return;
        m_bodyFile.reset();
    }
    m_phase = 0;
}

void TRequest::ChannelData(const char* bytes, std::int32_t count)
{
    if (!SetSocketState(ssReceiving) || !Trace(": SCX_Data"))
        return;
    if (m_busy != 3 || m_phase == 0)
        return;
    std::string_view block(bytes, static_cast<std::size_t>(count));
    if (m_phase == 1)
        m_headerBuffer.Write(block.data(), block.size());
    else if (!WriteBody(block))
        return;
    if (!Fire(OnBytes, count))
        return;
    if (m_phase == 1 && !ScanHeader())
        return;
    if (m_phase == 2)
        Fire(OnProgress);
}

bool TRequest::ScanHeader()
{
    std::string_view buffered = m_headerBuffer.View();
    std::size_t end = FindHeaderEnd(buffered);
    bool tooLong = end == 0 ? buffered.size() >= kMaxHeaderLength : end > kMaxHeaderLength;
    if (tooLong) {
        Fail(TRequestError::HeaderTooLong, true);
        return false;
    }
    if (end == 0)
        return true;

    m_headerLength = static_cast<std::int32_t>(end);
    m_phase = 2;
    m_header = ParseHttpHeader(buffered, end);

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
        if (Trace(": Filtered"))
            AbortTransfer();
        return false;
    }
    if (SaveBody && !CreateBodyFile())
        return false;
    if (buffered.size() > end && !WriteBody(buffered.substr(end)))
        return false;
    m_headerBuffer.Reset();
    return true;
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
    m_bodyReceived += static_cast<std::int64_t>(bytes.size());
    if (!SaveBody)
        return true; // received and counted, not kept
    if (!m_bodyFile) {
        Fail(TRequestError::Stream, true);
        return false;
    }
    if (BodyInMemory) {
        m_body.append(bytes);
        return true;
    }
    try {
        m_bodyFile->WriteBuffer(bytes.data(), bytes.size());
    } catch (const EVelbrinError& error) {
        FailWrite(error);
        return false;
    }
    return true;
}

// At the normal end of the body: the length becomes what was received, and the
// body file is closed.
bool TRequest::FinishBodyFile()
{
    if (!m_bodyFile) {
        if (!SaveBody)
            m_header.ContentLength = ClampToInt32(m_bodyReceived);
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
