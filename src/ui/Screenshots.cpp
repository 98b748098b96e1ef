#include "ui/Screenshots.h"

#include "capture/Web.h"
#include "config/Param.h"
#include "maps/Zone.h"
#include "media/PictureView.h"
#include "ui/MainWin.h"
#include "ui/MapEditDlg.h"
#include "ui/MultimediaTab.h"
#include "ui/NewForm.h"
#include "ui/ParamForm.h"
#include "ui/WorkPathDlg.h"

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

// The image map editor on the Web's first map, with a zone of each shape
// drawn over the picture, as the user leaves them before saving.
bool SaveMapEditor(TWEB& web, QWidget& window, const QString& fileName)
{
    TMapEditDlg editor(web, &window);
    editor.Prompts().SaveChanges = [](const std::string&) { return TModalResult::No; };
    editor.Prompts().Error = [](const std::string&) {};
    if (!editor.OpenEntry(0))
        return false;
    const TPixelRect bounds = editor.PictureRect();
    const int w = bounds.Width();
    const int h = bounds.Height();
    auto rect = std::make_unique<TZoneRect>(TPixelPoint{}, bounds);
    rect->SetCoords(std::to_string(w / 20) + "," + std::to_string(h / 10) + "," + std::to_string(w * 2 / 5) + "," +
                    std::to_string(h * 9 / 10));
    editor.AddZone(std::move(rect));
    auto circle = std::make_unique<TZoneCircle>(TPixelPoint{}, bounds);
    circle->SetCoords(std::to_string(w * 13 / 20) + "," + std::to_string(h / 2) + "," + std::to_string(h * 2 / 5));
    editor.AddZone(std::move(circle));
    editor.show();
    const bool ok = Save(editor, fileName);
    editor.hide();
    return ok;
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
        if (!window.CurrentWeb()->MapList.Empty())
            ok = SaveMapEditor(*window.CurrentWeb(), window, target.filePath(QStringLiteral("mapedit.png"))) && ok;
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
