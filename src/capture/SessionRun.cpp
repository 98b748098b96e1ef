#include "capture/SessionRun.h"

#include "capture/SessionCapture.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Errors.h"
#include "capture/ErrorBox.h"
#include "net/Request.h"
#include "store/MimeDefFile.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace velbrin {

TCaptureEnd RunCapture(TWEB& web, TParam& settings, TMIMELIST& globalMime, TCaptureView& view,
                       const TCaptureSteps& steps, bool forceBookmark, bool forceOpen)
{
    TCaptureEnd end;
    {
        TCapture capture(web, settings, view, [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        if (steps.SessionChanged)
            steps.SessionChanged(&capture);
        QEventLoop loop;
        // Between two passes the loop sleeps until a socket, the timer or a
        // command has something to say.
        while (capture.Dispatch())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        if (steps.SessionChanged)
            steps.SessionChanged(nullptr);
        end.Stopped = capture.Stopping();
        end.DiskFull = capture.DiskFull();
        end.SessionCaptured = capture.SessionCaptured();
        if (web.CapturedCount != 0)
            capture.FillCaptureInfo(web.LastCaptureInfo);
    }

    if (steps.SaveWeb)
        steps.SaveWeb();
    if (web.LastCaptureInfo.SessionCaptured > 0 && end.SessionCaptured > 0 && steps.ResolveLinks)
        steps.ResolveLinks();

    try {
        MergeMimeDef(globalMime, web.MimeList, WorkPath());
    } catch (const EVelbrinError& e) {
        web.Log(std::string("mime.def : ") + e.what());
    }

    if (web.CapturedCount == 0 && !end.Stopped) {
        end.NothingCaptured = true;
        end.RenameRequested = ReportNothingCaptured(settings);
        return end;
    }
    if (web.CapturedCount > 0 && !end.Stopped) {
        if ((settings.AutoAddBookmark || forceBookmark) && steps.AddBookmark)
            steps.AddBookmark();
        if ((settings.AutoLaunch || forceOpen) && steps.ShowHomePage) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            steps.ShowHomePage();
        }
    }
    return end;
}

bool ReportNothingCaptured(const TParam& settings)
{
    const std::int32_t status = TRequest::LastStatus();
    const std::string& url = TRequest::LastUrl();
    if (status == 0 && settings.UseProxy && !settings.ProxyAdress.empty()) {
        ErrorBox(TErrorKind::Connection, "", mbOk, 0, settings.ProxyAdress);
        return false;
    }
    if (status == 0 || status == 400 || status == 404)
        return ErrorBox(TErrorKind::Connection, "\r\nRename Web's URL?", mbYes | mbNo, status, url) == TModalResult::Yes;
    ErrorBox(TErrorKind::Http, "", mbOk, status, url);
    return false;
}

} // namespace velbrin
