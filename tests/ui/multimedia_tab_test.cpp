#include "capture/WebTestSupport.h"
#include "media/PictureView.h"
#include "media/Player.h"
#include "ui/MultimediaTab.h"

#include "../media/MediaBytes.h"
#include "ui/MainWinTestSupport.h"

#include <QCheckBox>
#include <QListWidget>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

namespace velbrin::test {
namespace {

class MultimediaTabTest : public WebFixture {
protected:
    MultimediaTabTest()
    {
        web = InitWeb("http://site.test/");
        web->Options.ListGifFlag = web->Options.ListJpegFlag = true;
        web->Options.ListAviFlag = web->Options.ListWavFlag = true;
        web->Options.StretchImageFlag = true;
    }

    TWebFile& Add(const std::string& address, const std::string& fileName, const std::string& mime,
                  std::uint8_t state = StateCapturedFile)
    {
        auto record = std::make_unique<TWebFile>();
        record->SetFileName(fileName);
        record->SetMimeType(mime);
        record->State = state;
        TWebFile& added = *record;
        std::unique_ptr<TWebFile> replaced;
        EXPECT_TRUE(web->Tree.AddFile(address, record, replaced)) << address;
        return added;
    }

    std::vector<std::string> Listed() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < tab.DocumentList()->count(); ++i)
            names.push_back(tab.DocumentList()->item(i)->text().toStdString());
        return names;
    }

    std::unique_ptr<TWEB> web;
    TMultimediaTab tab;
};

TEST_F(MultimediaTabTest, TypeBoxesFilterTheCapturedDocuments)
{
    TWebFile& pic = Add("http://site.test/pic.gif", "pic.gif", "image/gif");
    Add("http://site.test/page.html", "page.html", "text/html", StateCapturedPage);
    Add("http://site.test/photo.jpg", "photo.jpg", "IMAGE/JPEG");
    Add("http://site.test/lost.gif", "", "image/gif", StateError);
    Add("http://site.test/clip.avi", "clip.avi", "video/x-msvideo");
    Add("http://site.test/tone.wav", "tone.wav", "audio/x-wav");
    Add("http://site.test/todo.gif", "todo.gif", "image/gif", StateToExplore);
    // A redirected address that leads to the same stored file.
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(web->Tree.AddFile("http://site.test/old/pic.gif", pic, replaced));

    tab.WebToControls(*web);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"pic.gif", "photo.jpg", "clip.avi", "tone.wav"}));
    EXPECT_EQ(tab.DocumentList()->currentRow(), -1);

    tab.TypeCheck(TDocumentKind::Jpeg)->setChecked(false);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"pic.gif", "clip.avi", "tone.wav"}));
    tab.TypeCheck(TDocumentKind::Avi)->setChecked(false);
    tab.TypeCheck(TDocumentKind::Gif)->setChecked(false);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"tone.wav"}));
    tab.TypeCheck(TDocumentKind::Wav)->setChecked(false);
    EXPECT_TRUE(Listed().empty());
    tab.TypeCheck(TDocumentKind::Jpeg)->setChecked(true);
    tab.ResizeCheck()->setChecked(false);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"photo.jpg"}));

    tab.ControlsToWeb(*web);
    EXPECT_FALSE(web->Options.ListGifFlag);
    EXPECT_TRUE(web->Options.ListJpegFlag);
    EXPECT_FALSE(web->Options.ListAviFlag);
    EXPECT_FALSE(web->Options.ListWavFlag);
    EXPECT_FALSE(web->Options.StretchImageFlag);
}

TEST_F(MultimediaTabTest, ShowsThePictureOrThePlayerOfTheSelection)
{
    WriteBytes(capture + "pic.gif", GifBytes(600, 30, {2}));
    WriteBytes(capture + "cut.jpg", "\xFF\xD8\xFF\xE0\x00\x10JFIF");
    WriteBytes(capture + "tone.wav", WavBytes());
    Add("http://site.test/pic.gif", "pic.gif", "image/gif");
    Add("http://site.test/cut.jpg", "cut.jpg", "image/jpeg");
    Add("http://site.test/tone.wav", "tone.wav", "audio/x-wav");
    tab.resize(510, 340);
    tab.show();
    tab.WebToControls(*web);
    auto* wall = tab.findChild<QStackedWidget*>(QStringLiteral("Wall"));
    ASSERT_NE(wall, nullptr);
    EXPECT_FALSE(tab.LoadIcon()->isEnabled());

    // A click shows the document half a second later.
    tab.DocumentList()->setCurrentRow(0);
    EXPECT_TRUE(tab.SelectionTimer()->isActive());
    EXPECT_EQ(tab.SelectionTimer()->interval(), 500);
    EXPECT_EQ(tab.Picture()->State(), TPictureState::Empty);
    ASSERT_TRUE(WaitUntil([&] { return tab.Picture()->State() == TPictureState::Shown; }, 3000));
    EXPECT_TRUE(tab.LoadIcon()->isEnabled());
    EXPECT_TRUE(tab.Player()->isHidden());
    EXPECT_EQ(wall->currentWidget(), tab.Picture());
    // " Resize pictures": shrunk to the panel's width, proportions kept.
    const QRect shown = tab.Picture()->PictureRect();
    EXPECT_LT(shown.width(), 600);
    EXPECT_NEAR(shown.height(), shown.width() / 20, 1);

    tab.ShowDocument(1);
    EXPECT_EQ(tab.Picture()->State(), TPictureState::Failed);
    EXPECT_TRUE(tab.LoadIcon()->isEnabled());

    tab.ShowDocument(2);
    EXPECT_EQ(tab.DocumentList()->currentRow(), 2);
    EXPECT_EQ(tab.Picture()->State(), TPictureState::Empty);
    EXPECT_FALSE(tab.Player()->isHidden());
    EXPECT_EQ(tab.Player()->height(), TPlayer::kBarHeight);
    EXPECT_EQ(wall->currentWidget(), tab.Player()->Display());
    EXPECT_FALSE(tab.SelectionTimer()->isActive());

    tab.ShowDocument(-1);
    EXPECT_EQ(tab.DocumentList()->currentRow(), -1);
    EXPECT_TRUE(tab.Player()->isHidden());
    EXPECT_FALSE(tab.LoadIcon()->isEnabled());
    EXPECT_EQ(tab.Player()->State() == TPlayerState::Playing, false);
}

TEST_F(MultimediaTabTest, FollowsTheCaptureWithoutLosingTheSelection)
{
    WriteBytes(capture + "a.gif", GifBytes(4, 4, {1}));
    Add("http://site.test/a.gif", "a.gif", "image/gif");
    TWebFile& late = Add("http://site.test/b.gif", "b.gif", "image/gif", StateInProgress);
    web->LinksChanged = [this](const TWebFile* record) { tab.LinkChanged(*web, record); };
    tab.WebToControls(*web);
    tab.ShowDocument(0);
    ASSERT_EQ(Listed(), (std::vector<std::string>{"a.gif"}));

    web->SetState(late, StateCapturedFile);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"a.gif", "b.gif"}));
    EXPECT_EQ(tab.DocumentList()->currentRow(), 0);
    EXPECT_EQ(tab.Picture()->State(), TPictureState::Shown);
    // Told again (a second state change): still listed once.
    web->SetState(late, StateCapturedFile);
    EXPECT_EQ(Listed().size(), 2u);
    // The capture asks for a kept picture to be shown at once.
    WriteBytes(capture + "b.gif", GifBytes(4, 4, {2}));
    tab.ListDocument("b.gif", true);
    EXPECT_EQ(Listed().size(), 2u);
    EXPECT_EQ(tab.DocumentList()->currentRow(), 1);
    EXPECT_EQ(tab.Picture()->PictureSize(), QSize(4, 4));
    tab.ListDocument("c.jpg", false);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"a.gif", "b.gif", "c.jpg"}));
    EXPECT_EQ(tab.DocumentList()->currentRow(), 1);

    // Clean forgets every link: the list is read again, empty.
    web->Clean();
    EXPECT_TRUE(Listed().empty());
    EXPECT_EQ(tab.Picture()->State(), TPictureState::Empty);
}

} // namespace
} // namespace velbrin::test
