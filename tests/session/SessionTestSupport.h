#pragma once

// A capture session against a site on 127.0.0.1: a Web of its own (see
// WebFixture), a site server answering by path, a resolver that knows no name
// unless the test gives it one, and a view that remembers what it was shown.

#include "capture/ConsoleErrorBox.h"
#include "capture/SessionCapture.h"
#include "capture/WebTestSupport.h"
#include "net/NetTestSupport.h"
#include "net/Request.h"
#include "session/SiteServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velbrin::test {

class TRecordingView final : public TCaptureView {
public:
    void ShowSocketRow(int socket, const TSocketRow& row) override
    {
        Rows[socket] = row;
        if (OnRow)
            OnRow(socket, row);
    }
    void ShowCounts(const TCaptureCounts& counts) override { Counts = counts; }
    void ShowReceived(std::int64_t kilobytes) override { ReceivedKb = kilobytes; }
    void ShowTotals(std::int64_t totalSize, std::int64_t) override { TotalSize = totalSize; }
    void ShowClock(const std::string& duration) override { Clock = duration; }
    void ListDocument(const std::string& fileName, bool show) override { Listed.push_back(fileName + (show ? "!" : "")); }
    // Failure boxes are answered on the console, as the command line does.
    TModalResult AskFailure(const TBox& box) override { return TConsoleErrorBoxView().ShowBox(box); }
    void ShowEnd(const TCaptureEnd& end) override { Ends.push_back(end); }

    std::map<int, TSocketRow> Rows;
    TCaptureCounts Counts;
    std::int64_t ReceivedKb = 0;
    std::int64_t TotalSize = 0;
    std::string Clock;
    std::vector<std::string> Listed;
    std::vector<TCaptureEnd> Ends;
    std::function<void(int socket, const TSocketRow& row)> OnRow;
};

class SessionFixture : public WebFixture {
protected:
    SessionFixture()
        : resolver(std::make_shared<testing::TFakeResolver>())
    {
        SetDefaultHostResolver(resolver);
        TRequest::HostCache().Clear();
        TRequest::SetTraceMode(false);
        settings->MaxSockets = 5;
        settings->TryCount = 3;
        settings->Timeout = 5;
    }
    ~SessionFixture() override { SetDefaultHostResolver(std::make_shared<testing::TFakeResolver>()); }

    // A new Web on the site's address of path.
    std::unique_ptr<TWEB> SiteWeb(std::string_view path) { return InitWeb(server.Url(path)); }

    std::unique_ptr<TCapture> NewSession(TWEB& web)
    {
        return std::make_unique<TCapture>(web, *settings, view,
                                          [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
    }

    // Runs the dispatch loop as the programs do until the session ends, or
    // until stopAt holds (then true is returned while the session goes on).
    // A session that outlives timeoutMs fails the test.
    bool Run(TCapture& session, const std::function<bool()>& stopAt = {}, int timeoutMs = 8000)
    {
        QElapsedTimer clock;
        clock.start();
        while (session.Dispatch()) {
            if (stopAt && stopAt())
                return true;
            if (clock.elapsed() > timeoutMs) {
                ADD_FAILURE() << "the session did not end";
                session.StopCapture();
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return false;
    }

    // A whole session from start to end.
    void Capture(TWEB& web)
    {
        auto session = NewSession(web);
        Run(*session);
    }

    // The log entries after the heading, without "<br>", one per line.
    std::vector<std::string> LogLines() const
    {
        std::vector<std::string> lines;
        std::string text = LogText();
        std::size_t at = text.find("</H3>");
        if (at == std::string::npos)
            return lines;
        at += 5;
        while (at < text.size()) {
            std::size_t end = text.find("\r\n", at);
            if (end == std::string::npos)
                end = text.size();
            std::string entry = text.substr(at, end - at);
            if (entry.starts_with("<br>"))
                entry.erase(0, 4);
            lines.push_back(entry);
            at = end + 2;
        }
        return lines;
    }

    // The files of the capture directory, sorted.
    std::vector<std::string> StoredFiles() const
    {
        std::vector<std::string> names = ListFiles(capture);
        std::sort(names.begin(), names.end());
        return names;
    }

    TWebFile& Record(TWEB& web, std::string_view path)
    {
        TWebFile* record = web.Tree.FindFile(server.Url(path));
        if (!record)
            throw std::runtime_error("no record for " + std::string(path));
        return *record;
    }

    TSiteServer server;
    std::shared_ptr<testing::TFakeResolver> resolver;
    TRecordingView view;
};

} // namespace velbrin::test
