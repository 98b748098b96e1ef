#include "ui/Screenshots.h"

#include "config/Param.h"
#include "media/PictureView.h"
#include "ui/MainWin.h"
#include "ui/MultimediaTab.h"
#include "ui/NewForm.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>

namespace velbrin {

namespace {

bool Save(QWidget& widget, const QString& fileName)
{
    QApplication::processEvents();
    return widget.grab().save(fileName);
}

// Selects the largest picture the Multimedia tab lists, so that its picture
// shows one.
void ShowLargestPicture(TMultimediaTab& tab)
{
    int best = -1;
    long long bestArea = 0;
    for (int row = 0; row < tab.DocumentList()->count(); ++row) {
        tab.ShowDocument(row);
        const QSize size = tab.Picture()->PictureSize();
        if (tab.Picture()->State() == TPictureState::Shown && 1LL * size.width() * size.height() > bestArea) {
            best = row;
            bestArea = 1LL * size.width() * size.height();
        }
    }
    tab.ShowDocument(best);
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
            if (window.Tabs()->widget(i) == window.MultimediaTab())
                ShowLargestPicture(*window.MultimediaTab());
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
    return ok;
}

} // namespace velbrin
