#include "ui/Screenshots.h"

#include "config/Param.h"
#include "ui/MainWin.h"
#include "ui/NewForm.h"
#include "ui/ParamForm.h"
#include "ui/WorkPathDlg.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

namespace velbrin {

namespace {

bool Save(QWidget& widget, const QString& fileName)
{
    QApplication::processEvents();
    return widget.grab().save(fileName);
}

} // namespace

bool TakeScreenshots(TMainWin& window, const std::string& directory)
{
    QDir target(QString::fromStdString(directory));
    target.mkpath(QStringLiteral("."));
    bool ok = true;
    if (!window.CurrentWeb()) {
        ok = Save(window, target.filePath(QStringLiteral("start.png"))) && ok;
    } else {
        static const char* const names[] = {"web", "options", "file", "capture", "url", "multimedia"};
        const int previous = window.Tabs()->currentIndex();
        for (int i = 0; i < window.Tabs()->count() && i < 6; ++i) {
            window.Tabs()->setCurrentIndex(i);
            ok = Save(window, target.filePath(QStringLiteral("tab-%1-%2.png").arg(i + 1).arg(names[i]))) && ok;
        }
        window.Tabs()->setCurrentIndex(previous);
    }
    TNewForm form(window.Settings(), &window);
    form.SetFlags(nfCaptureButton | nfPathFollowsAddress);
    form.SetAddress(window.Settings().Url);
    form.show();
    ok = Save(form, target.filePath(QStringLiteral("new-web.png"))) && ok;
    form.hide();

    // The setup dialog, page by page, and the first-run dialog.
    static const char* const pages[] = {"communication", "directories", "browser", "html-pages"};
    TParamForm setup(window.Settings(), &window);
    setup.show();
    for (int i = 0; i < kSetupPageCount; ++i) {
        setup.SelectPage(static_cast<TSetupPage>(i));
        ok = Save(setup, target.filePath(QStringLiteral("setup-%1-%2.png").arg(i + 1).arg(pages[i]))) && ok;
    }
    setup.hide();
    TWorkPathDlg firstRun(&window);
    firstRun.show();
    ok = Save(firstRun, target.filePath(QStringLiteral("first-run.png"))) && ok;
    firstRun.hide();
    return ok;
}

} // namespace velbrin
