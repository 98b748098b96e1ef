#include "capture/DroppedNames.h"
#include "capture/WebTestSupport.h"

#include <gtest/gtest.h>

using namespace velbrin;

using DroppedNames = test::WebFixture;

TEST_F(DroppedNames, RecordsWhoseFileLedOutsideAreCapturedAgain)
{
    auto web = InitWeb("http://h.com/");
    auto enter = [&](const std::string& url, std::uint8_t state, const std::string& file) {
        TLinkItem item;
        item.Url = url;
        TWebFile* record = web->NewLink(item, nullptr);
        record->State = state;
        record->SetFileName(file);
    };
    web->Tree.FindFile("http://h.com/")->State = StateCapturedPage;
    web->Tree.FindFile("http://h.com/")->SetFileName("INDEX.htm");
    enter("http://h.com/a.htm", StateCapturedPage, "../../a.htm");
    enter("http://h.com/b.gif", StateCapturedFile, "b/..");
    enter("http://h.com/gone.htm", StateNotFound, "/etc/NotFound.htm");
    enter("http://h.com/late.htm", StateError, "");
    web->CapturedCount = 3;
    web->NotFoundCount = 1;
    web->ErrorCount = 1;
    web->SaveToFile(capture + "LOCAL.WEB");

    auto loaded = NewWeb();
    ASSERT_TRUE(loaded->LoadFromFile(capture + "LOCAL.WEB"));
    EXPECT_EQ(RequeueRecordsWithoutFile(*loaded), 3);
    for (const char* url : {"http://h.com/a.htm", "http://h.com/b.gif", "http://h.com/gone.htm"})
        EXPECT_EQ(loaded->Tree.FindFile(url)->State, StateToExplore) << url;
    EXPECT_EQ(loaded->Tree.FindFile("http://h.com/")->State, StateCapturedPage);
    EXPECT_EQ(loaded->Tree.FindFile("http://h.com/late.htm")->State, StateError);
    EXPECT_EQ(loaded->CapturedCount, 1);
    EXPECT_EQ(loaded->NotFoundCount, 0);
    EXPECT_EQ(loaded->GetTodoCount(), 3);
    // Once re-queued, nothing is left to repair.
    EXPECT_EQ(RequeueRecordsWithoutFile(*loaded), 0);
}
