#include "capture/PagePreparer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace velbrin;

namespace {

bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return done();
}

std::string Page(int n)
{
    return "<HTML><HEAD><TITLE>page " + std::to_string(n) + "</TITLE></HEAD><BODY><A HREF=\"p" + std::to_string(n + 1)
           + ".htm\">next</A><IMG SRC=\"../pic.gif\"></BODY></HTML>";
}

} // namespace

TEST(PagePreparer, AnswersComeThroughTheEventLoopInTheOrderAsked)
{
    TPagePreparer preparer;
    std::vector<std::string> titles;
    std::vector<std::string> links;
    for (int n = 1; n <= 3; ++n) {
        preparer.Prepare("http://example.org/dir/p" + std::to_string(n) + ".htm", Page(n), false, 0,
                         [&](TPreparedPage& page, std::exception_ptr failure) {
                             EXPECT_FALSE(failure);
                             titles.push_back(page.Title);
                             for (std::size_t i = 0; i < page.Links.size(); ++i)
                                 links.emplace_back(page.LinkUrl(i));
                             EXPECT_NE(page.Bytes.find("<!-- Url : \"http://example.org/dir/p"), std::string::npos);
                             EXPECT_FALSE(page.Items.empty());
                         });
    }
    // Nothing is answered before the event loop runs.
    EXPECT_EQ(preparer.Pending(), 3u);
    EXPECT_TRUE(titles.empty());
    ASSERT_TRUE(RunUntil([&] { return titles.size() == 3; }));

    EXPECT_EQ(titles, (std::vector<std::string>{"page 1", "page 2", "page 3"}));
    EXPECT_EQ(links, (std::vector<std::string>{"http://example.org/dir/p2.htm", "http://example.org/pic.gif",
                                               "http://example.org/dir/p3.htm", "http://example.org/pic.gif",
                                               "http://example.org/dir/p4.htm", "http://example.org/pic.gif"}));
    EXPECT_EQ(preparer.Pending(), 0u);
}

TEST(PagePreparer, AnswersNotDeliveredGoWithThePreparer)
{
    // A session that ends while pages are prepared hears nothing of them
    // afterwards: their answers would reach requests that are gone.
    int answered = 0;
    int answeredBefore = 0;
    {
        TPagePreparer preparer;
        std::string big;
        for (int n = 0; n < 2000; ++n)
            big += Page(n);
        for (int n = 0; n < 20; ++n)
            preparer.Prepare("http://example.org/big.htm", big, false, 0,
                             [&](TPreparedPage&, std::exception_ptr) { ++answered; });
        RunUntil([&] { return answered > 0; });
        answeredBefore = answered;
    }
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(answered, answeredBefore);
    EXPECT_LT(answered, 20);
}
