#include "capture/ConsoleErrorBox.h"
#include "capture/ErrorBox.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace velbrin;

namespace {

// Records the boxes it is shown and presses a chosen button.
class TRecordingView final : public TErrorBoxView {
public:
    explicit TRecordingView(TModalResult answer)
        : m_answer(answer)
    {
    }
    TModalResult ShowBox(const TBox& box) override
    {
        Boxes.push_back(box);
        return m_answer;
    }
    std::vector<TBox> Boxes;

private:
    TModalResult m_answer;
};

} // namespace

TEST(ErrorMessage, ConnectionBoxOpensWithTheUrlLine)
{
    EXPECT_EQ(ErrorMessage(TErrorKind::Connection, "\r\nRename Web's URL?", 0, "http://srv.site.tld/"),
              "URL :http://srv.site.tld/\r\n"
              "Cannot reach server,its Internet address is either misspelled or unknown!\r\n"
              "\r\nRename Web's URL?");
}

TEST(ErrorMessage, ConnectionBoxOfAServerThatAnsweredNamesTheAnswer)
{
    EXPECT_EQ(ErrorMessage(TErrorKind::Connection, "\r\nRename Web's URL?", 404, "http://srv.site.tld/x/"),
              "URL :http://srv.site.tld/x/\r\n"
              "Not found (404)\r\n"
              "\r\nRename Web's URL?");
}

TEST(ErrorMessage, ConnectionBoxWithoutUrlHasNoUrlLine)
{
    EXPECT_EQ(ErrorMessage(TErrorKind::Connection, "", 0, ""),
              "Cannot reach server,its Internet address is either misspelled or unknown!\r\n");
}

TEST(ErrorMessage, HttpBoxGivesTheStatusTextAndIgnoresTheText)
{
    EXPECT_EQ(ErrorMessage(TErrorKind::Http, "ignored", 403, "http://srv/a.htm"),
              "URL :http://srv/a.htm\r\nForbidden (403)");
    EXPECT_EQ(ErrorMessage(TErrorKind::Http, "ignored", 207, ""), " (207)");
}

TEST(ErrorMessage, BookmarkAndBrowserBoxesIgnoreTheUrl)
{
    EXPECT_EQ(ErrorMessage(TErrorKind::BookmarkFile, "\r\nCreate or choose another bookmark file?", 0, "http://x/"),
              "Cannot open bookmark file!\r\n\r\nCreate or choose another bookmark file?");
    EXPECT_EQ(ErrorMessage(TErrorKind::Browser, "\r\nChoose a browser?", 0, ""),
              "Cannot load browser!\r\n\r\nChoose a browser?");
    EXPECT_EQ(ErrorCaption(TErrorKind::BookmarkFile), "Error");
    EXPECT_EQ(ErrorCaption(TErrorKind::Browser), "Error");
    EXPECT_EQ(ErrorCaption(TErrorKind::Connection), "Connection error");
    EXPECT_EQ(ErrorCaption(TErrorKind::Http), "HTTP protocol error");
}

TEST(WarningBox, CaptionMessageAndTheOneOkButton)
{
    TBox box = MakeWarningBox(TWarning::NoCaptureType, "");
    EXPECT_EQ(box.Caption, "Warning");
    EXPECT_EQ(box.Message, "You have to specifiy a capture type");
    EXPECT_EQ(box.Buttons, mbOk);
    EXPECT_EQ(box.Icon, TBoxIcon::Warning);
    EXPECT_EQ(MakeWarningBox(TWarning::SocketLibrary, " (text)").Message, "Cannot load SCX.DLL! (text)");
    EXPECT_EQ(WarningText(TWarning::WinsockLibrary), "Cannot load WINSOCK.DLL!");
    EXPECT_EQ(WarningText(TWarning::UndefinedMimeType), "Undefined MIME types will not be captured!");
}

TEST(LayoutBoxButtons, CentresTheGroupInOrderYesNoOkCancel)
{
    auto two = LayoutBoxButtons(mbNo | mbYes);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].Caption, "&Yes");
    EXPECT_EQ(two[0].Left, 96); // (357 - (80 + 4 + 80)) / 2
    EXPECT_EQ(two[1].Caption, "&No");
    EXPECT_EQ(two[1].Left, 180);

    auto one = LayoutBoxButtons(mbOk);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].Left, 138);
    EXPECT_EQ(one[0].Result, TModalResult::Ok);

    auto all = LayoutBoxButtons(mbCancel | mbOk | mbNo | mbYes);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].Left, 12);
    EXPECT_EQ(all[3].Caption, "&Cancel");
    EXPECT_EQ(all[3].Left, 264);
}

TEST(ConsoleErrorBox, PrintsTheBoxAndTakesNoWhenOffered)
{
    std::ostringstream out;
    TConsoleErrorBoxView view(out);
    TModalResult answer = view.ShowBox(MakeErrorBox(TErrorKind::Connection, "\r\nRename Web's URL?", mbYes | mbNo, 0,
                                                    "http://srv/"));
    EXPECT_EQ(answer, TModalResult::No);
    EXPECT_EQ(out.str(), "Connection error\n"
                         "  URL :http://srv/\n"
                         "  Cannot reach server,its Internet address is either misspelled or unknown!\n"
                         "  \n"
                         "  Rename Web's URL?\n"
                         "  [Yes] [No] -> No\n");
}

TEST(ConsoleErrorBox, TakesOkWithoutNo)
{
    std::ostringstream out;
    TConsoleErrorBoxView view(out);
    EXPECT_EQ(view.ShowBox(MakeErrorBox(TErrorKind::Http, "", mbOk, 404, "")), TModalResult::Ok);
    EXPECT_EQ(out.str(), "HTTP protocol error\n  Not found (404)\n  [Ok] -> Ok\n");
    EXPECT_EQ(view.ShowBox(MakeErrorBox(TErrorKind::Browser, "", mbOk | mbCancel, 0, "")), TModalResult::Ok);
}

TEST(ErrorBox, GoesThroughTheCurrentView)
{
    auto owned = std::make_unique<TRecordingView>(TModalResult::Yes);
    TRecordingView* view = owned.get();
    std::unique_ptr<TErrorBoxView> previous = SetErrorBoxView(std::move(owned));

    EXPECT_EQ(ErrorBox(TErrorKind::Connection, "", mbOk, 0, "http://proxy/"), TModalResult::Yes);
    EXPECT_EQ(WarningBox(TWarning::UndefinedMimeType), TModalResult::Yes);
    ASSERT_EQ(view->Boxes.size(), 2u);
    EXPECT_EQ(view->Boxes[0].Caption, "Connection error");
    EXPECT_EQ(view->Boxes[0].Icon, TBoxIcon::Error);
    EXPECT_EQ(view->Boxes[0].Buttons, mbOk);
    EXPECT_EQ(view->Boxes[0].Message.rfind("URL :http://proxy/\r\n", 0), 0u);
    EXPECT_EQ(view->Boxes[1].Caption, "Warning");

    SetErrorBoxView(std::move(previous));
    EXPECT_NE(&CurrentErrorBoxView(), view);
}
