// What a person reads: index pages in UTF-8 from the shipped templates, and
// the footer of a stored page naming the page's own address.

#include "IndexWeb.h"

#include "capture/ResolvePass.h"
#include "core/Text.h"

#include <gtest/gtest.h>

namespace velbrin {
namespace {

using testing::IndexWeb;
using testing::ReadText;
using testing::WriteText;

std::size_t Count(const std::string& text, const std::string& part)
{
    return testing::CountOf(text, part);
}

TEST(ReadablePages, ShippedTemplatesGiveUtf8PagesThroughout)
{
    IndexWeb w;
    TWEB& web = *w.web;
    web.Title = "Caf\xE9 Kr\xE4mer"; // Latin-1
    web.CapturedCount = 12;
    w.params.LigByPage = 2;
    // A UTF-8 title with a no-break space, as the Python documentation has them.
    w.Page("http://www.example.org/", "0.htm", "1.\xC2\xA0What Is Python? \xE2\x80\x94 docs");
    w.Page("http://www.example.org/r.htm", "R.htm", "R\xE9sum\xE9 d'\xE9t\xE9"); // Latin-1
    for (int i = 0; i < 6; ++i)
        w.Page("http://www.example.org/p" + std::to_string(i) + ".htm", "P" + std::to_string(i) + ".htm");
    w.Picture("http://www.example.org/\xE9t\xE9.gif", "ETE.gif");
    {
        TSommaireIndex index(web.Describe(), w.params, {}, testing::DataIndexDir());
        w.RunAllSites(index);
        index.Finish();
    }
    std::string all;
    for (const std::string& name : ListFiles(web.Path, "_*.htm")) {
        SCOPED_TRACE(name);
        const std::string page = w.Read(name);
        EXPECT_TRUE(IsValidUtf8(page));
        EXPECT_EQ(Count(page, "<meta charset=\"utf-8\">"), 1u);
        EXPECT_EQ(Count(page, "iso-8859-1"), 0u);
        all += page;
    }
    EXPECT_GT(Count(all, "Caf\xC3\xA9 Kr\xC3\xA4mer"), 4u);
    EXPECT_EQ(Count(all, "1.\xC2\xA0What Is Python? \xE2\x80\x94 docs"), 1u);
    EXPECT_EQ(Count(all, "R\xC3\xA9sum\xC3\xA9 d'\xC3\xA9t\xC3\xA9"), 1u);
    EXPECT_EQ(Count(all, "http://www.example.org/\xC3\xA9t\xC3\xA9.gif"), 1u);
    // The navigation's own texts too.
    EXPECT_GT(Count(all, "Page n\xC2\xB0"), 0u);
    EXPECT_GT(Count(all, "<!-- D\xC3\xA9" "but Index sur les Pages -->"), 0u);

    // The picture box keeps its WITDH, which browsers ignore.
    EXPECT_EQ(Count(w.Read("_IxI.htm"), "<TD WITDH=\"" + std::to_string(w.params.ImgSize) + "\""), 1u);
}

TEST(ReadablePages, ShippedTemplatesCloseEveryDivTheyOpen)
{
    for (const char* name : {"_Home.vlb", "_IxH.vlb", "_IxI.vlb", "_IxO.vlb", "_IxE.vlb"}) {
        SCOPED_TRACE(name);
        const std::string text = ReadText(testing::DataIndexDir() + name);
        EXPECT_EQ(Count(text, "<div"), Count(text, "</div>"));
    }
}

TEST(ReadablePages, FooterOfARedirectedPageNamesItsOwnAddress)
{
    IndexWeb w;
    TWEB& web = *w.web;
    web.Options.RealLinkFlag = true;
    // The walk meets the address that redirected first.
    TWebFile& page = w.Page("http://www.example.org/moved.htm", "HERE.htm", "Here");
    WriteText(web.Path + "HERE.htm", "<HTML><BODY>Here</BODY></HTML>");
    std::unique_ptr<TWebFile> replaced;
    ASSERT_TRUE(web.Tree.AddFile("http://www.example.org/here.htm", page, replaced));
    ASSERT_EQ(web.Tree.GetFileUrl(page), "http://www.example.org/here.htm");

    TResolveView view;
    ASSERT_EQ(ResolveLinks(web, w.params, {}, view), kResolveDone);
    const std::string stored = w.Read("HERE.htm");
    EXPECT_EQ(Count(stored, "http://www.example.org/here.htm"), 2u) << stored;
    EXPECT_EQ(Count(stored, "moved.htm"), 0u) << stored;
}

} // namespace
} // namespace velbrin
