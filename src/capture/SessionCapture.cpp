#include "capture/SessionCapture.h"
#include "core/SystemFiles.h"

#include "capture/PagePreparer.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/ShortString.h"
#include "core/Url.h"
#include "net/Request.h"
#include "net/TlsSettings.h"

#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace velbrin {

namespace {

// The Web's progress is kept after this many kept files, so that a session
// killed at any moment costs the next one at most these files again. Each
// save appends only what changed to the project's journal (TWEB::SaveProgress).
constexpr int kSaveEvery = 50;

// The free space of the disk is looked up again after this long: in between
// it is what the last look-up gave less what the session stored since, for
// the display and the check that a body still fits.
constexpr std::chrono::milliseconds kFreeSpaceLookupEvery{250};

std::string FormatClock(std::int64_t elapsedMs)
{
    std::int64_t s = elapsedMs / 1000;
    char text[64];
    std::snprintf(text, sizeof text, "%.2lld:%.2lld:%.2lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s % 3600 / 60), static_cast<long long>(s % 60));
    return text;
}

// Host and port of an address: the server that credentials belong to.
std::string ServerOf(std::string_view url)
{
    return GetHost(url) + ":" + std::to_string(GetPort(url));
}

} // namespace

TCapture::TCapture(TWEB& web, const TParam& settings, TCaptureView& view, TPump pump)
    : m_web(web)
    , m_settings(settings)
    , m_view(view)
    , m_pump(std::move(pump))
    , m_preparer(std::make_unique<TPagePreparer>())
{
    // The program checks the certificate file before a capture starts; a
    // file that went bad since then leaves the system's authorities.
    TTlsSettings tls;
    if (std::string error = LoadTlsSettings(settings.CaCertificates, settings.IgnoreCertificateErrors, tls);
        !error.empty())
        m_web.LogUrl(error, "");
    int sockets = std::clamp(settings.MaxSockets, 1, kMaxSocketCount);
    for (int i = 1; i <= sockets; ++i) {
        auto request = std::make_unique<TRequest>(i);
        request->SetTlsSettings(tls);
        request->Timeout = settings.Timeout > 0 ? settings.Timeout : TRequest::kDefaultTimeout;
        // The request's lines carry host names taken from the pages.
        request->OnLog = [this](TRequest&, const std::string& line) { m_web.LogUrl(line, ""); };
        request->OnHeader = [this](TRequest& r) { return OnHeader(r); };
        request->OnComplete = [this](TRequest& r) { OnComplete(r); };
        request->OnError = [this](TRequest& r, bool retry) { OnError(r, retry); };
        request->OnProgress = [this](TRequest& r) { OnProgress(r); };
        request->OnStateChange = [this](TRequest& r) { OnStateChange(r); };
        request->OnBytes = [this](std::int32_t count) { OnBytes(count); };
        m_requests.push_back(std::move(request));
    }
    m_rows.assign(m_requests.size(), TSocketRow{"", "", std::string(SocketStateName(ssIdle)), -1, 0});
    for (int socket = 1; socket <= SocketCount(); ++socket)
        ShowRow(socket);

    m_timer = std::make_unique<QTimer>();
    m_timer->setInterval(1000);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { Tick(); });
    m_timer->start();

    m_startTick = std::chrono::steady_clock::now();
    LetEventsThrough(m_pump);
    m_web.UpdateTodo();
    // What an earlier session kept of its pages is not this session's.
    m_web.KeptPages.Clear();
    m_web.CaptureDate = Now();
    m_web.Log("D\xE9" "but de capture le " + FormatLongDate(m_web.CaptureDate));
    // The journal of the session starts now: after a crash, the files the
    // session wrote are told apart from older ones by its start.
    try {
        m_web.SaveProgress(true);
    } catch (const EVelbrinError& e) {
        m_web.Log(std::string("Sauvegarde impossible : ") + HtmlEscape(e.what()));
    }
    // A Web already at the limits of its options fetches nothing more.
    CheckLimits();
    ShowCounts();
    ShowTotals();
}

TCapture::~TCapture()
{
    m_timer->stop();
    // Pages still being prepared are dropped with their answers.
    m_preparer.reset();
    // Requests are freed with their sockets; an open transfer is aborted
    // and its partial file deleted.
    for (auto& request : m_requests) {
        request->OnHeader = nullptr;
        request->OnComplete = nullptr;
        request->OnError = nullptr;
        request->OnProgress = nullptr;
        request->OnStateChange = nullptr;
        request->OnBytes = nullptr;
        request->OnLog = nullptr;
    }
    m_requests.clear();
}

bool TCapture::Dispatch()
{
    if (m_web.DiskFull() && !m_stopping)
        StopForFullDisk(nullptr);

    bool assigned = true;
    while (!m_web.TodoList().empty() && assigned && !m_stopping) {
        assigned = false;
        if (TRequest* idle = IdleRequest(nullptr)) {
            if (TWebFile* link = m_web.TakeTodo()) {
                Hand(*IdleRequest(link, idle), *link);
                assigned = true;
            }
        }
        LetEventsThrough(m_pump);
    }
    if (!m_web.TodoList().empty() && !m_stopping)
        return true;
    for (auto& request : m_requests) {
        if (request->Busy() != 0)
            return true;
    }
    if (m_preparer->Pending() != 0)
        return true;
    EndSession();
    return false;
}

// An idle request; for a link, preferably one that keeps a connection open
// to its server, then one without a connection, so that the connections of
// other servers stay open for their links. fallback: any idle request.
TRequest* TCapture::IdleRequest(const TWebFile* link, TRequest* fallback)
{
    if (!link) {
        for (auto& request : m_requests) {
            if (IsFree(*request))
                return request.get();
        }
        return nullptr;
    }
    const std::string url = m_web.Tree.GetFileUrl(*link);
    const bool proxy = m_settings.UseProxy && !m_settings.ProxyAdress.empty();
    TRequest* unconnected = nullptr;
    for (auto& request : m_requests) {
        if (!IsFree(*request))
            continue;
        if (request->KeepsConnectionFor(url, proxy ? m_settings.ProxyAdress : "", proxy ? m_settings.ProxyPort : 80))
            return request.get();
        if (!unconnected && !request->HoldsConnection())
            unconnected = request.get();
    }
    return unconnected ? unconnected : fallback;
}

// Whether pages are prepared on the preparer's thread. A page so prepared
// is counted once it is stored, after files that arrived meanwhile: with a
// limit on the number or the size of the files, or a size that filters
// them (the prepared page's), pages are prepared in turn as they arrive,
// so that the limits stop the session where they always did.
bool TCapture::PreparesApart() const
{
    const TOPTIONS& options = m_web.Options;
    return options.MaxFileCount <= 0 && options.MaxDiskSize <= 0 && options.MinFileSize <= 0 && options.MaxFileSize <= 0;
}

// A request takes a link when it transfers none and no page it received
// waits for its preparation: the links of that page may come first.
bool TCapture::IsFree(const TRequest& request) const
{
    return request.Busy() == 0 && !m_waiting.contains(&request);
}

// A request that has just finished takes the next link at once, without
// waiting for the next pass of Dispatch.
void TCapture::HandNext(TRequest& request)
{
    if (m_stopping || !IsFree(request))
        return;
    if (TWebFile* link = m_web.TakeTodo())
        Hand(request, *link);
}

void TCapture::Hand(TRequest& request, TWebFile& link)
{
    const TOPTIONS& options = m_web.Options;
    std::string url = m_web.Tree.GetFileUrl(link);
    // The Web's credentials go with the links answered 401, whichever socket
    // takes them, and then with every link of the servers that asked for
    // them; never to another server.
    if (m_needAuth.contains(&link) || m_authServers.contains(LowerCase(ServerOf(url))))
        request.SetCredentials(options.Username, options.Password);
    else
        request.ClearCredentials();
    TSocketRow& row = m_rows[static_cast<std::size_t>(request.Index() - 1)];
    row.Host = GetHost(url);
    row.Path = GetDocument(url);
    row.Size = -1;
    row.Percent = 0;
    ShowRow(request.Index());

    request.Link = &link;
    m_web.SetState(link, StateInProgress);
    ++link.Tries;
    m_lastUrl = ShortString(url);
    m_lastStatus = 0;
    if (m_settings.UseProxy && !m_settings.ProxyAdress.empty())
        request.Get(url, m_settings.ProxyAdress, m_settings.ProxyPort);
    else
        request.Get(url, "", 80);
}

bool TCapture::OnHeader(TRequest& request)
{
    TWebFile* record = request.Link;
    if (!record)
        return false;
    const THTTPHEADER& header = request.Header();
    const std::int32_t status = header.Status;
    m_lastStatus = status;

    if ((status == 301 || status == 302) && !header.Location.empty())
        return FollowRedirect(request, *record);

    if (status == 0 || status == 200 || status == 301 || status == 302)
        return AcceptBody(request, *record);

    if (status == 401) {
        if (record->Tries > static_cast<std::uint32_t>(std::max(m_settings.TryCount, 0))) {
            GiveUp(*record);
        } else {
            ++record->Tries;
            m_web.SetState(*record, StateToExplore);
            m_needAuth.insert(record);
            m_authServers.insert(LowerCase(ServerOf(request.Url())));
            m_web.AddTodo(*record);
        }
        return false;
    }

    m_web.LogAfter("URL non trouv\xE9" "e (" + std::to_string(status) + "):", request.Url());
    m_web.SetState(*record, StateNotFound);
    record->SetFileName(std::string(kNotFoundFileName));
    m_web.CountNotFound();
    ++m_sessionNotFound;
    ShowCounts();
    return false;
}

bool TCapture::FollowRedirect(TRequest& request, TWebFile& record)
{
    const std::string& location = request.Header().Location;
    // A relative Location keeps the protocol of the request it answers.
    std::string target = GetUrlText(ResolveLink(location, TUrl::Create(request.Url())));
    // An address of no protocol this program knows, or without a host, is
    // not entered: it would be requested from the wrong server. The log names
    // it as the server wrote it: resolving an address of an unknown protocol
    // against the request's would only make it unrecognisable.
    TLinkParam redirect;
    redirect.Link.Value = target;
    const TLinkVerdict verdict = JudgeLink(redirect);
    if (verdict == TLinkVerdict::InvalidAddress) {
        m_web.LogUrl(location, " : url non valide");
        m_web.SetState(record, StateFiltered);
        m_web.CountFiltered();
        ++m_sessionFiltered;
        ShowCounts();
        return false;
    }
    // A known protocol that is not fetched (ftp:, mailto:...) is entered as
    // written: the Web's link rules refuse and log it, and the copy's pages
    // keep the address.
    TLinkItem item;
    item.Url = verdict == TLinkVerdict::OtherProtocol ? ShortString(location) : target;
    item.LinkType = record.GetLinkType();
    item.Description = record.GetDescription();
    if (TWebFile* entered = m_web.NewLink(item, &record))
        m_web.AddAlias(request.Url(), *entered);
    m_web.CountCaptured();
    ++m_sessionCaptured;
    NoteKept();
    CheckLimits();
    ShowCounts();
    return false;
}

bool TCapture::AcceptBody(TRequest& request, TWebFile& record)
{
    const THTTPHEADER& header = request.Header();
    record.SetMimeType(header.ContentType);
    if (!m_web.Filter(record, header.ContentLength, request.Url())) {
        m_web.SetState(record, StateFiltered);
        m_web.CountFiltered();
        ++m_sessionFiltered;
        ShowCounts();
        return false;
    }
    const std::int64_t freeSpace = FreeSpace();
    if (freeSpace >= 0 && header.ContentLength >= freeSpace - 1024) {
        m_diskFull = true;
        m_stopping = true;
        m_web.SetState(record, StateError);
        return false;
    }
    const TMimeItem* mime = m_web.MimeList.GetMimeByString(header.ContentType);
    if (!mime)
        return false;
    if (m_settings.NoWriteDisk && mime->MimeClass != MimeClassHtml)
        request.SaveBody = false;
    // Pages and style sheets are prepared before they are stored: their
    // bodies stay in memory, and each is written once, prepared.
    request.BodyInMemory = request.SaveBody && (mime->MimeClass == MimeClassHtml || IsStyleSheetType(mime->MimeType));
    request.BodyFileName = MakeLocalFileName(request.Url(), m_web.Path, mime->Extension);
    record.SetFileName(ExtractFileName(request.BodyFileName));
    TSocketRow& row = m_rows[static_cast<std::size_t>(request.Index() - 1)];
    row.Size = header.HasContentLength ? header.ContentLength : -1;
    ShowRow(request.Index());
    return true;
}

void TCapture::OnComplete(TRequest& request)
{
    TWebFile* record = request.Link;
    if (!record)
        return;
    TSocketRow& row = m_rows[static_cast<std::size_t>(request.Index() - 1)];
    row.Percent = 0;
    row.State = std::string(SocketStateName(request.SocketState()));
    ShowRow(request.Index());

    const TMimeItem* mime = m_web.MimeList.GetMimeByString(record->GetMimeType());
    if (!mime)
        return;
    const std::string file = m_web.Path + record->GetFileName();
    bool written = request.SaveBody && FileExists(file);
    const TLinkFilter validator = [this](const TLinkParam& link) { return LinkValidator(link); };
    if (written && request.BodyInMemory && mime->MimeClass == MimeClassHtml && PreparesApart()) {
        // The page is prepared on the preparer's thread while the sockets
        // go on; the request takes no other link before the page is stored
        // and its links entered, as when it was prepared here.
        m_waiting.insert(&request);
        std::shared_ptr<TFileStream> target = request.TakeBodyFile();
        std::string url = request.Url();
        m_preparer->Prepare(url, std::move(request.Body()), m_web.Options.RealLinkFlag, m_web.CaptureDate,
                            [this, &request, record, target, url, validator](TPreparedPage& page,
                                                                             std::exception_ptr failure) {
                                m_waiting.erase(&request);
                                try {
                                    if (failure)
                                        std::rethrow_exception(failure);
                                    m_web.StorePreparedPage(*record, page, validator, target.get());
                                } catch (const EInOutError& error) {
                                    StoreFailed(*record, url, error);
                                    return;
                                } catch (const EVelbrinError& error) {
                                    // A page that cannot be read as a page
                                    // (too large for its positions) is not kept.
                                    m_web.LogUrl(url, std::string(" : ") + error.what());
                                    DeleteFile(m_web.Path + record->GetFileName());
                                    GiveUp(*record);
                                    return;
                                }
                                Conclude(request, *record, true);
                            });
        return;
    }
    if (written && request.BodyInMemory) {
        const std::string body = std::move(request.Body());
        try {
            if (mime->MimeClass == MimeClassHtml)
                m_web.StoreHtmlPage(*record, request.Url(), body, validator, request.BodyFile());
            else
                m_web.StoreStyleSheet(*record, request.Url(), body, validator, request.BodyFile());
        } catch (const EInOutError& error) {
            StoreFailed(*record, request.Url(), error);
            return;
        }
    } else if (mime->MimeClass == MimeClassHtml && written) {
        m_web.SetHtmlLinks(*record, request.Url(), validator);
    } else if (written && IsStyleSheetType(mime->MimeType)) {
        m_web.SetCssLinks(*record, request.Url(), validator);
    }
    Conclude(request, *record, written);
}

// A received file could not be written: as when its body could not be
// written while it arrived.
void TCapture::StoreFailed(TWebFile& record, const std::string& url, const EInOutError& error)
{
    m_web.LogUrl(url, std::string(" : ") + error.what());
    if (error.IsDiskFull())
        StopForFullDisk(&record);
    else if (record.Tries < static_cast<std::uint32_t>(std::max(m_settings.TryCount, 0)))
        m_web.RequeueTodo(record);
    else
        GiveUp(record);
}

// The file of a request is stored (written: it is on disk): kept or
// discarded by its size, counted, and the request takes the next link.
void TCapture::Conclude(TRequest& request, TWebFile& record, bool written)
{
    const TMimeItem* mime = m_web.MimeList.GetMimeByString(record.GetMimeType());
    if (!mime)
        return;
    const std::string file = m_web.Path + record.GetFileName();
    std::int64_t size = written ? GetFileSize(file) : request.Header().ContentLength;
    const TOPTIONS& options = m_web.Options;
    bool discard = !mime->Capture || (options.MinFileSize > 0 && size < options.MinFileSize * 1024LL)
                   || (options.MaxFileSize > 0 && size > options.MaxFileSize * 1024LL);
    if (discard) {
        DeleteFile(file);
        m_web.KeptPages.Forget(record.GetFileName());
        m_web.SetState(record, StateFiltered);
        m_web.CountFiltered();
        ++m_sessionFiltered;
    } else {
        m_web.AddTotalSize(size);
        ShowTotals();
        m_web.CountCaptured();
        ++m_sessionCaptured;
        m_web.SetState(record, mime->MimeClass == MimeClassHtml ? StateCapturedPage : StateCapturedFile);
        if ((options.ListGifFlag && SameText(record.GetMimeType(), "image/gif"))
            || (options.ListJpegFlag && SameText(record.GetMimeType(), "image/jpeg")))
            m_view.ListDocument(record.GetFileName(), m_web.DisplayOnlineImage);
        NoteKept();
    }
    CheckLimits();
    ShowCounts();
    HandNext(request);
}

void TCapture::OnError(TRequest& request, bool retry)
{
    TWebFile* record = request.Link;
    if (!record)
        return;
    if (request.ErrorKind() == TRequestError::DiskFull) {
        StopForFullDisk(record);
        return;
    }
    if (retry && record->Tries < static_cast<std::uint32_t>(std::max(m_settings.TryCount, 0))) {
        m_web.RequeueTodo(*record);
        return;
    }
    GiveUp(*record);
}

void TCapture::GiveUp(TWebFile& record)
{
    // The start page keeps its state: the next session tries it again.
    if (record.LinkDepth > 0)
        m_web.SetState(record, StateError);
    m_web.CountError();
    ++m_sessionErrors;
    ShowCounts();
}

void TCapture::StopForFullDisk(TWebFile* record)
{
    m_diskFull = true;
    if (record)
        m_web.SetState(*record, StateError);
    StopCapture();
}

void TCapture::OnProgress(TRequest& request)
{
    TSocketRow& row = m_rows[static_cast<std::size_t>(request.Index() - 1)];
    const std::int32_t length = request.Header().ContentLength;
    TFileStream* body = request.BodyFile();
    std::int64_t size = !body ? 0 : request.BodyInMemory ? static_cast<std::int64_t>(request.Body().size()) : body->Size();
    row.Percent = length > 0 && body && size < length ? static_cast<int>(size * 100 / length) : 0;
    ShowRow(request.Index());
}

void TCapture::OnStateChange(TRequest& request)
{
    TSocketRow& row = m_rows[static_cast<std::size_t>(request.Index() - 1)];
    row.State = std::string(SocketStateName(request.SocketState()));
    ShowRow(request.Index());
}

void TCapture::OnBytes(std::int32_t count)
{
    m_receivedBytes += count;
    m_receivedKb = static_cast<std::int32_t>(std::min<std::int64_t>(m_receivedBytes / 1024, INT32_MAX));
    m_view.ShowReceived(m_receivedKb);
}

void TCapture::Tick()
{
    m_elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_startTick)
                    .count();
    m_duration = FormatClock(m_elapsed);
    m_view.ShowClock(m_duration);
    const std::int32_t maxTime = m_web.Options.MaxTime;
    if (maxTime > 0 && maxTime * 60000LL < m_elapsed && !m_stopping)
        StopCapture();
}

void TCapture::NoteKept()
{
    if (++m_sinceSave < kSaveEvery)
        return;
    m_sinceSave = 0;
    SaveWeb();
}

void TCapture::SaveWeb()
{
    if (m_web.FileName.empty())
        return;
    try {
        m_web.SaveProgress();
    } catch (const EInOutError& e) {
        m_web.Log(std::string("Sauvegarde impossible : ") + HtmlEscape(e.what()));
        if (e.IsDiskFull())
            StopForFullDisk(nullptr);
    } catch (const EVelbrinError& e) {
        m_web.Log(std::string("Sauvegarde impossible : ") + HtmlEscape(e.what()));
    }
}

void TCapture::CheckLimits()
{
    const TOPTIONS& options = m_web.Options;
    if ((options.MaxDiskSize > 0 && m_web.TotalSize > options.MaxDiskSize * 1024LL)
        || (options.MaxFileCount > 0 && m_web.CapturedCount >= options.MaxFileCount))
        StopCapture();
}

bool TCapture::LinkValidator(const TLinkParam& link)
{
    switch (JudgeLink(link)) {
    case TLinkVerdict::Follow:
        return true;
    case TLinkVerdict::InvalidAddress:
        m_web.LogUrl(link.Link.Value, " : url non valide");
        return false;
    case TLinkVerdict::OtherProtocol:
    case TLinkVerdict::ServerMapAnchor:
        return false;
    }
    return false;
}

void TCapture::StopCapture()
{
    m_stopping = true;
    for (auto& request : m_requests) {
        if (request->Busy() != 0)
            request->Abort();
    }
    m_web.ClearTodo();
}

void TCapture::StopSession(bool abortAll)
{
    m_stopping = true;
    m_web.ClearTodo();
    for (auto& request : m_requests) {
        if (request->Busy() != 0 && (abortAll || request->Phase() == 0))
            request->Abort();
    }
}

void TCapture::EndSession()
{
    if (m_ended)
        return;
    m_ended = true;
    Tick();
    m_web.Log("Fin de capture le " + FormatLongDate(Now()));
    m_web.Log("Dur\xE9" "e de la session : " + m_duration);
    m_web.Log(std::to_string(m_sessionCaptured) + " page(s) captur\xE9" "e(s)");
    if (m_sessionFiltered > 0)
        m_web.Log(std::to_string(m_sessionFiltered) + " page(s) filtr\xE9" "e(s)");
    if (m_sessionNotFound > 0)
        m_web.Log(std::to_string(m_sessionNotFound) + " page(s) non trouv\xE9" "e(s)");
    if (m_sessionErrors > 0)
        m_web.Log(std::to_string(m_sessionErrors) + " page(s) provoquant une erreur");
    m_web.Log("");
    m_web.SetTitleWithHomepageTitle();
}

void TCapture::FillCaptureInfo(TCaptureInfo& info) const
{
    info.StartDate = m_web.CaptureDate;
    info.EndDate = Now();
    info.ReceivedKb = m_receivedKb;
    info.SessionCaptured = m_sessionCaptured;
    info.SessionFiltered = m_sessionFiltered;
    info.SessionNotFound = m_sessionNotFound;
    info.SessionErrors = m_sessionErrors;
}

void TCapture::ShowCounts()
{
    TCaptureCounts counts;
    counts.Links = m_web.GetLinkCount();
    counts.Todo = m_web.GetTodoCount();
    counts.Captured = m_web.CapturedCount;
    counts.Errors = m_web.ErrorCount;
    counts.NotFound = m_web.NotFoundCount;
    counts.Filtered = m_web.FilteredCount;
    m_view.ShowCounts(counts);
}

void TCapture::ShowRow(int socket)
{
    m_view.ShowSocketRow(socket, m_rows[static_cast<std::size_t>(socket - 1)]);
}

void TCapture::ShowTotals()
{
    m_view.ShowTotals(m_web.TotalSize, FreeSpace());
}

std::int64_t TCapture::FreeSpace()
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_freeSpaceAt || now - *m_freeSpaceAt >= kFreeSpaceLookupEvery) {
        m_freeSpace = m_web.FreeDiskSpace();
        m_freeSpaceTotalSize = m_web.TotalSize;
        m_freeSpaceAt = now;
    }
    if (m_freeSpace < 0)
        return m_freeSpace;
    return std::max<std::int64_t>(0, m_freeSpace - (m_web.TotalSize - m_freeSpaceTotalSize));
}

} // namespace velbrin
