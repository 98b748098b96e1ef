#include "capture/SessionRun.h"

#include "capture/SessionCapture.h"
#include "capture/Web.h"
#include "config/Param.h"
#include "config/WorkPath.h"
#include "core/Errors.h"
#include "capture/ErrorBox.h"
#include "store/MimeDefFile.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace velbrin {

namespace {

TCaptureEnd RunSession(TWEB& web, TParam& settings, TMIMELIST& globalMime, TCaptureView& view,
                       const TCaptureSteps& steps, bool forceBookmark, bool forceOpen)
{
    TCaptureEnd end;
    // A pass that a killed program left unfinished is done this time, even
    // when nothing new comes.
    const bool unresolved = web.ResolvePending();
    web.SetResolvePending(true);
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
        end.LastStatus = capture.LastStatus();
        end.LastUrl = capture.LastUrl();
        if (web.CapturedCount != 0)
            capture.FillCaptureInfo(web.LastCaptureInfo);
    }

    if (steps.SaveWeb)
        steps.SaveWeb();
    if (((web.LastCaptureInfo.SessionCaptured > 0 && end.SessionCaptured > 0) || unresolved) && steps.ResolveLinks)
        steps.ResolveLinks();
    else if (end.SessionCaptured == 0 && !unresolved)
        web.SetResolvePending(false);

    try {
        MergeMimeDef(globalMime, web.MimeList, WorkPath());
    } catch (const EVelbrinError& e) {
        web.Log(std::string("mime.def : ") + e.what());
    }

    if (web.CapturedCount == 0 && !end.Stopped) {
        end.NothingCaptured = true;
        TBox box = NothingCapturedBox(settings, end.LastStatus, end.LastUrl);
        end.RenameRequested = view.AskFailure(box) == TModalResult::Yes && (box.Buttons & mbYes) != 0;
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

} // namespace

TCaptureEnd RunCapture(TWEB& web, TParam& settings, TMIMELIST& globalMime, TCaptureView& view,
                       const TCaptureSteps& steps, bool forceBookmark, bool forceOpen)
{
    TCaptureEnd end = RunSession(web, settings, globalMime, view, steps, forceBookmark, forceOpen);
    web.CloseLog();
    view.ShowEnd(end);
    return end;
}

TBox NothingCapturedBox(const TParam& settings, std::int32_t lastStatus, std::string_view lastUrl)
{
    if (lastStatus == 0 && settings.UseProxy && !settings.ProxyAdress.empty())
        return MakeErrorBox(TErrorKind::Connection, "", mbOk, 0, settings.ProxyAdress);
    if (lastStatus == 0 || lastStatus == 400 || lastStatus == 404)
        return MakeErrorBox(TErrorKind::Connection, "\r\nRename Web's URL?", mbYes | mbNo, lastStatus, lastUrl);
    return MakeErrorBox(TErrorKind::Http, "", mbOk, lastStatus, lastUrl);
}

} // namespace velbrin
