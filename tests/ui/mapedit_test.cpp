// The image map editor over a captured page whose picture was a server-side
// map: zones drawn with the mouse, the map file, the links entered into the
// Web, the questions about unsaved changes, and the client-side map that the
// resolution pass then puts into the page.
#include "capture/ResolvePass.h"
#include "capture/WebTestSupport.h"
#include "config/ProgramDir.h"
#include "config/SommaireParam.h"
#include "core/Files.h"
#include "ui/MainWinTestSupport.h"
#include "ui/MapEditDlg.h"
#include "ui/MapOpenDlg.h"
#include "ui/ModalDriver.h"

#include <QAction>
#include <QImage>
#include <QListWidget>
#include <QKeyEvent>
#include <QMouseEvent>

#include <deque>

using namespace velbrin;
using namespace velbrin::test;

namespace {

const std::string kPageUrl = "http://www.example.org/map.htm";
const std::string kPictureUrl = "http://www.example.org/plan.png";
const std::string kMapProgram = "http://www.example.org/cgi-bin/nav";
const std::string kPage = "<HTML><BODY><A HREF=\"/cgi-bin/nav\" TARGET=\"main\"><IMG SRC=\"plan.png\" ISMAP></A>"
                          "</BODY></HTML>\r\n";

void WritePicture(const std::string& fileName, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(QColor(200, 220, 255));
    for (int x = 0; x < width; x += 10)
        for (int y = 0; y < height; ++y)
            picture.setPixelColor(x, y, Qt::darkGray);
    ASSERT_TRUE(picture.save(QString::fromStdString(fileName), "PNG"));
}

class MapEditTest : public WebFixture {
protected:
    MapEditTest()
    {
        SetProgramDir(std::string(VELBRIN_FIXTURES) + "/../../data/"); // the index templates
        web = InitWeb(kPageUrl);
        // The page as a capture stores and prepares it; its picture captured.
        TWebFile* page = web->Tree.FindFile(kPageUrl);
        WriteWholeFile(web->Path + "map.htm", kPage);
        page->SetFileName("map.htm");
        EXPECT_TRUE(web->SetHtmlLinks(*page, kPageUrl));
        page->SetMimeType("text/html");
        page->State = StateCapturedPage;
        TWebFile* picture = web->Tree.FindFile(kPictureUrl);
        EXPECT_NE(picture, nullptr);
        WritePicture(web->Path + "plan.png", 120, 80);
        picture->SetFileName("plan.png");
        picture->SetMimeType("image/png");
        picture->State = StateCapturedFile;
        web->ClearTodo();
        Resolve(); // finds the server-side map
    }
    ~MapEditTest() override { SetProgramDir(""); }

    void Resolve()
    {
        TResolveView view;
        EXPECT_EQ(ResolveLinks(*web, params, {}, view), kResolveDone);
    }

    // An editor whose questions are answered from SaveAnswers.
    std::unique_ptr<TMapEditDlg> Editor()
    {
        auto editor = std::make_unique<TMapEditDlg>(*web);
        editor->Prompts().SaveChanges = [this](const std::string& imageFile) {
            Asked.push_back(imageFile);
            TModalResult answer = TModalResult::Cancel;
            if (!SaveAnswers.empty()) {
                answer = SaveAnswers.front();
                SaveAnswers.pop_front();
            }
            return answer;
        };
        editor->Prompts().Error = [this](const std::string& text) { Errors.push_back(text); };
        return editor;
    }

    // A mouse event as the window system delivers it to the canvas.
    static void Mouse(QWidget* canvas, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(canvas->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(canvas, &event);
    }
    static void Drag(QWidget* canvas, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(canvas, QEvent::MouseButtonPress, from, button, button);
        Mouse(canvas, QEvent::MouseMove, to, Qt::NoButton, button);
        Mouse(canvas, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }
    static void Hover(QWidget* canvas, QPoint to) { Mouse(canvas, QEvent::MouseMove, to, Qt::NoButton, Qt::NoButton); }

    static void Use(TMapEditDlg& editor, TMapTool tool) { editor.ToolAction(tool)->trigger(); }

    // A rectangle, a circle and a triangle; a click too small to keep.
    static void DrawThree(TMapEditDlg& editor)
    {
        QWidget* canvas = editor.Canvas();
        Drag(canvas, {10, 10}, {50, 40});
        Use(editor, TMapTool::Circle);
        Drag(canvas, {80, 40}, {95, 55});
        Use(editor, TMapTool::Polygon);
        Drag(canvas, {10, 60}, {30, 75});
        Drag(canvas, {30, 75}, {50, 60});
        Hover(canvas, {70, 60}); // away without a button: done
        Use(editor, TMapTool::Rectangle);
        Drag(canvas, {100, 5}, {103, 9});
    }

    std::size_t QueryLinks() const
    {
        std::size_t count = 0;
        web->Tree.ForEachFile([&](TWebFile&, const std::string& url) {
            count += url.starts_with(kMapProgram + "?");
            return false;
        });
        return count;
    }

    std::unique_ptr<TWEB> web;
    TSommaireParam params;
    std::deque<TModalResult> SaveAnswers;
    std::vector<std::string> Asked;
    std::vector<std::string> Errors;
};

const std::string kAreas =
    "<area shape=\"rect\" coords=\"10,10,50,40\" target=\"main\" href=\"" + kMapProgram + "?30,25\">\r\n"
    "<area shape=\"circle\" coords=\"80,40,15\" target=\"main\" href=\"" + kMapProgram + "?80,40\">\r\n"
    "<area shape=\"POLYGON\" coords=\"10,60,30,75,50,60\" target=\"main\" href=\"" + kMapProgram + "?10,60\">\r\n";

} // namespace

TEST_F(MapEditTest, ZonesDrawnWithTheMouseAreSavedAndTheirQueriesEnteredOnce)
{
    ASSERT_EQ(web->MapList.Count(), 1u);
    auto editor = Editor();
    ASSERT_TRUE(editor->OpenFirst());
    editor->show();
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Edit Mapping of plan.png"));
    EXPECT_EQ(editor->Canvas()->size(), QSize(120, 80));
    EXPECT_TRUE(editor->ToolAction(TMapTool::Rectangle)->isChecked());

    DrawThree(*editor);
    EXPECT_TRUE(editor->ToolAction(TMapTool::Rectangle)->isChecked());
    EXPECT_FALSE(editor->ToolAction(TMapTool::Polygon)->isChecked());
    ASSERT_EQ(editor->Zones().size(), 3u);
    // Only what the last zone covered was repainted.
    EXPECT_EQ(editor->LastRepaint(), (TPixelRect{99, 4, 104, 10}));

    // A right click deletes the last zone under the point: the rectangle drawn over the circle.
    Drag(editor->Canvas(), {70, 30}, {90, 50});
    ASSERT_EQ(editor->Zones().size(), 4u);
    Drag(editor->Canvas(), {80, 40}, {80, 40}, Qt::RightButton);
    ASSERT_EQ(editor->Zones().size(), 3u);
    EXPECT_EQ(editor->Zones()[1]->GetShape(), "circle");

    const std::uint16_t links = web->GetLinkCount();
    EXPECT_TRUE(editor->Modified());
    editor->findChild<QAction*>(QStringLiteral("SaveItem"))->trigger();
    EXPECT_FALSE(editor->Modified());
    EXPECT_EQ(ReadWholeFile(web->Path + "plan.map"), kAreas);
    EXPECT_EQ(web->GetLinkCount(), links + 3);
    EXPECT_EQ(QueryLinks(), 3u);
    const TWebFile* query = web->Tree.FindFile(kMapProgram + "?80,40");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->State, StateToExplore);
    EXPECT_EQ(query->LinkDepth, web->Tree.FindFile(kPageUrl)->LinkDepth + 1);

    // Saving again enters nothing new.
    EXPECT_TRUE(editor->Save());
    EXPECT_EQ(web->GetLinkCount(), links + 3);
    EXPECT_EQ(web->TodoList().size(), 3u);

    editor->close();
    EXPECT_TRUE(Asked.empty());
    EXPECT_TRUE(Errors.empty());

    // The next pass turns the server-side map into a client-side one.
    Resolve();
    const std::string page = ReadWholeFile(web->Path + "map.htm");
    EXPECT_NE(page.find("USEMAP=\"#plan\""), std::string::npos) << page;
    EXPECT_NE(page.find("<map name=\"plan\">"), std::string::npos) << page;
    EXPECT_NE(page.find("coords=\"80,40,15\""), std::string::npos) << page;
    EXPECT_NE(page.find("coords=\"10,60,30,75,50,60\""), std::string::npos) << page;
}

TEST_F(MapEditTest, MapFileIsReadBackAndUnsavedChangesAreAskedAbout)
{
    // A map file as the resolution pass leaves it, with shapes in other
    // spellings, a zone too small and an unknown shape.
    WriteWholeFile(web->Path + "plan.map",
                   "<area shape=\"RECTANGLE\" coords=\"05,07,40,60\" href=\"x.htm\">\r\n"
                   "<area shape=circle coords=\"60,40,02\" href=\"y.htm\">\r\n"
                   "<area shape=\"poly\" coords=\"90,10,110,10,100,30\" href=\"z.htm\">\r\n"
                   "<area shape=\"default\" href=\"w.htm\">\r\n");
    auto editor = Editor();
    ASSERT_TRUE(editor->OpenFirst());
    editor->show();
    ASSERT_EQ(editor->Zones().size(), 2u);
    EXPECT_EQ(editor->Zones()[0]->GetCoords(), "05,07,40,60");
    EXPECT_EQ(editor->Zones()[1]->GetCoords(), "90,10,110,10,100,30");
    EXPECT_FALSE(editor->Modified());

    // Cancel keeps the editor and its zones; No closes it and leaves the file.
    Drag(editor->Canvas(), {50, 50}, {70, 70});
    SaveAnswers = {TModalResult::Cancel, TModalResult::No};
    editor->close();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->Zones().size(), 3u);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(editor.get(), &escape);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(Asked, (std::vector<std::string>{"plan.png", "plan.png"}));
    EXPECT_TRUE(ReadWholeFile(web->Path + "plan.map").starts_with("<area shape=\"RECTANGLE\""));
    EXPECT_EQ(QueryLinks(), 0u);

    // Clear all then Yes: the file is emptied and nothing is entered.
    auto again = Editor();
    ASSERT_TRUE(again->OpenFirst());
    again->show();
    again->findChild<QAction*>(QStringLiteral("ClearAllItem"))->trigger();
    EXPECT_TRUE(again->Zones().empty());
    SaveAnswers = {TModalResult::Yes};
    again->findChild<QAction*>(QStringLiteral("ExitItem"))->trigger();
    EXPECT_FALSE(again->isVisible());
    EXPECT_EQ(ReadWholeFile(web->Path + "plan.map"), "");
}

TEST_F(MapEditTest, OpenDialogListsEveryMapAndKeepsBothColumnsInStep)
{
    WritePicture(web->Path + "other.png", 300, 40);
    TMapImg second;
    second.ImageFile = "other.png";
    second.MapFile = "other.map";
    second.Page = "http://www.example.org/second.htm";
    ASSERT_TRUE(web->MapList.Add(second));

    TMapEditDlg editor(*web);
    QStringList images, pages;
    WhenModal([&](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open an Image MAP"));
        auto* open = static_cast<TMapOpenDlg*>(dialog);
        for (int i = 0; i < open->Images()->count(); ++i) {
            images << open->Images()->item(i)->text();
            pages << open->Pages()->item(i)->text();
        }
        open->Pages()->setCurrentRow(1);
        EXPECT_EQ(open->Images()->currentRow(), 1);
        Click(dialog, QStringLiteral("&OK"));
    });
    ASSERT_TRUE(editor.OpenFirst());
    EXPECT_EQ(images, (QStringList{" plan.png", " other.png"}));
    EXPECT_EQ(pages, (QStringList{QString::fromStdString(" " + kPageUrl), " http://www.example.org/second.htm"}));
    EXPECT_EQ(editor.Entry()->ImageFile, "other.png");
    EXPECT_EQ(editor.Canvas()->size(), QSize(300, 40));

    // A picture that cannot be read opens nothing and says so.
    WriteWholeFile(web->Path + "plan.png", "not a picture");
    std::string error;
    editor.Prompts().Error = [&](const std::string& text) { error = text; };
    EXPECT_FALSE(editor.OpenEntry(0));
    EXPECT_EQ(error, "Cannot read the image plan.png");
    EXPECT_EQ(editor.Entry()->ImageFile, "other.png");
}

class MapEditFromMainWin : public MainWinTest {};

TEST_F(MapEditFromMainWin, ImageMapCommandEditsTheMapOfTheWebShown)
{
    Open();
    TWEB& web = ShowUnsaved(Home() + "webs/site/");
    WritePicture(web.Path + "plan.png", 64, 32);
    TMapImg entry;
    entry.ImageFile = "plan.png";
    entry.MapFile = "plan.map";
    entry.MapLink = "http://127.0.0.1/cgi-bin/nav";
    entry.Page = "http://127.0.0.1/";
    ASSERT_TRUE(web.MapList.Add(entry));
    Window().UpdateCommands();
    auto* command = Window().findChild<QAction*>(QStringLiteral("ImageMapItem"));
    ASSERT_TRUE(command && command->isEnabled());

    QString caption;
    WhenModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        auto* editor = dynamic_cast<TMapEditDlg*>(modal);
        ASSERT_NE(editor, nullptr);
        auto zone = std::make_unique<TZoneRect>(TPixelPoint{}, editor->PictureRect());
        zone->SetCoords("2,2,30,30");
        EXPECT_TRUE(editor->AddZone(std::move(zone)));
        editor->findChild<QAction*>(QStringLiteral("SaveItem"))->trigger();
        editor->findChild<QAction*>(QStringLiteral("ExitItem"))->trigger();
    });
    command->trigger();
    EXPECT_EQ(caption, QStringLiteral("Edit Mapping of plan.png"));
    EXPECT_EQ(ReadText(web.Path + "plan.map"),
              "<area shape=\"rect\" coords=\"02,02,30,30\" href=\"http://127.0.0.1/cgi-bin/nav?16,16\">\r\n");
    const TWebFile* query = web.Tree.FindFile("http://127.0.0.1/cgi-bin/nav?16,16");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->State, StateToExplore);
}
