#include "rewrite/RewriteWeb.h"

#include <gtest/gtest.h>

using namespace velbrin;
using velbrin::test::kSuppress;
using velbrin::test::RewriteWeb;

namespace {

const std::string kPage = "http://www.example.org/page.htm";
const std::string kPicture = "http://www.example.org/pic.gif";
const std::string kMissing = "http://www.example.org/missing.htm";

} // namespace

TEST(RewriteLinks, StoredTargetsLeadToTheirFiles)
{
    RewriteWeb web;
    web.Add(kPage, StateCapturedPage, "PAGE.HTM");
    web.Add(kPicture, StateCapturedFile, "PIC.GIF");
    web.Add(kMissing, StateNotFound, "NotFound.htm");

    EXPECT_EQ(web.Rewrite("<A HREF=\"" + kPage + "#part\">p</A>"),
              "<A HREF=\"PAGE.HTM#part\" OLDREF=\"" + kPage + "\">p</A>");
    EXPECT_EQ(web.Rewrite("<IMG SRC=" + kPicture + " ALT=x>"),
              "<IMG SRC=PIC.GIF OLDREF=\"" + kPicture + "\" ALT=x>");
    EXPECT_EQ(web.Rewrite("<BODY BACKGROUND=\"" + kPicture + "\">"),
              "<BODY BACKGROUND=\"PIC.GIF\" OLDREF=\"" + kPicture + "\">");
    EXPECT_EQ(web.Rewrite("<AREA SHAPE=rect HREF=\"" + kMissing + "\">"),
              "<AREA SHAPE=rect HREF=\"NotFound.htm\" OLDREF=\"" + kMissing + "\">");
    EXPECT_EQ(web.Rewrite("<FRAME SRC=\"" + kPage + "#top\">"),
              "<FRAME SRC=\"PAGE.HTM#top\" OLDREF=\"" + kPage + "\">");
    EXPECT_EQ(web.Rewrite("<FORM ACTION=\"" + kPage + "\" METHOD=get>"),
              "<FORM ACTION=\"PAGE.HTM\" OLDREF=\"" + kPage + "\" METHOD=get>");
    EXPECT_EQ(web.Rewrite("<INPUT TYPE=image SRC=\"" + kPicture + "\">"),
              "<INPUT TYPE=image SRC=\"PIC.GIF\" OLDREF=\"" + kPicture + "\">");
    // Looking up the address ignores the letter case of the scheme and the
    // host, not that of the path.
    EXPECT_EQ(web.Rewrite("<a href=\"HTTP://WWW.EXAMPLE.ORG/page.htm\">"),
              "<a href=\"PAGE.HTM\" OLDREF=\"HTTP://WWW.EXAMPLE.ORG/page.htm\">");
    EXPECT_EQ(web.Rewrite("<a href=\"http://www.example.org/PAGE.HTM\">"), "<a href=\"http://www.example.org/PAGE.HTM\">");
}

TEST(RewriteLinks, LaterPassesStartFromTheCapturedAddress)
{
    RewriteWeb web;
    const std::string captured = "<P><A HREF=\"" + kPage + "\">later</A>";

    // Not yet stored: the page keeps the address.
    const std::string first = web.Rewrite(captured);
    EXPECT_EQ(first, captured);

    // Stored since: the next pass points at the file, OLDREF keeps the address.
    TWebFile& page = web.Add(kPage, StateCapturedPage, "PAGE.HTM");
    const std::string second = web.Rewrite(first);
    EXPECT_EQ(second, "<P><A HREF=\"PAGE.HTM\" OLDREF=\"" + kPage + "\">later</A>");

    // Stored under another name: only the link changes.
    page.SetFileName("PAGE1.HTM");
    EXPECT_EQ(web.Rewrite(second), "<P><A HREF=\"PAGE1.HTM\" OLDREF=\"" + kPage + "\">later</A>");

    // Back to a link that leads nowhere local: the captured tag again.
    page.State = StateError;
    EXPECT_EQ(web.Rewrite(second), captured);
}

TEST(RewriteLinks, SuppressedLinksLeadToTheBadLinkPage)
{
    RewriteWeb web;
    const std::string captured = "<A HREF=\"" + kMissing + "\">gone</A>";
    const std::string suppressed = web.Rewrite(captured, kSuppress);
    EXPECT_EQ(suppressed, "<A HREF=\"BadLink.htm\" OLDREF=\"" + kMissing + "\">gone</A>");
    EXPECT_EQ(web.Rewrite(suppressed, kSuppress), suppressed);
    // Without the flag the address comes back and OLDREF goes.
    EXPECT_EQ(web.Rewrite(suppressed), captured);

    // Records that hold no stored file count as not stored.
    web.Add(kMissing, StateFiltered, "");
    EXPECT_EQ(web.Rewrite(captured, kSuppress), suppressed);
}

TEST(RewriteLinks, OnlyHttpAddressesAreSuppressed)
{
    RewriteWeb web;
    for (const char* tag : {"<A HREF=\"mailto:someone@example.org\">", "<A HREF=\"ftp://ftp.example.org/f.zip\">",
                            "<A HREF=\"news:comp.lang\">", "<A HREF=\"file:///c|/x.htm\">"}) {
        EXPECT_EQ(web.Rewrite(tag, kSuppress), tag);
    }
    // A mail link that a pass had redirected gets its address back.
    EXPECT_EQ(web.Rewrite("<A HREF=\"BadLink.htm\" OLDREF=\"mailto:someone@example.org\">", kSuppress),
              "<A HREF=\"mailto:someone@example.org\">");
}

TEST(RewriteLinks, SuppressedPicturesAreEmptied)
{
    RewriteWeb web;
    EXPECT_EQ(web.Rewrite("<IMG SRC=" + kPicture + " ALT=x>", kSuppress),
              "<IMG SRC=\"\" OLDREF=\"" + kPicture + "\" ALT=x>");
    const std::string quoted = web.Rewrite("<IMG SRC=\"" + kPicture + "\">", kSuppress);
    EXPECT_EQ(quoted, "<IMG SRC=\"\" OLDREF=\"" + kPicture + "\">");
    EXPECT_EQ(web.Rewrite(quoted, kSuppress), quoted);
    EXPECT_EQ(web.Rewrite("<BODY BACKGROUND=" + kPicture + " BGCOLOR=white>", kSuppress),
              "<BODY BACKGROUND=\"\" OLDREF=\"" + kPicture + "\" BGCOLOR=white>");

    // Stored later: the emptied value gets the file.
    web.Add(kPicture, StateCapturedFile, "PIC.GIF");
    EXPECT_EQ(web.Rewrite(quoted, kSuppress), "<IMG SRC=\"PIC.GIF\" OLDREF=\"" + kPicture + "\">");
}

TEST(RewriteLinks, BaseLosesItsAddress)
{
    RewriteWeb web;
    EXPECT_EQ(web.Rewrite("<HEAD><BASE HREF=\"http://www.example.org/menu/\"></HEAD>"), "<HEAD><BASE ></HEAD>");
    EXPECT_EQ(web.Rewrite("<BASE TARGET=_top>"), "<BASE TARGET=_top>");
    const std::string page = "<HTML><HEAD><TITLE>t</TITLE></HEAD><BODY>b</BODY></HTML>";
    EXPECT_EQ(web.Rewrite(page), page);
}

TEST(RewriteLinks, TagsWithoutAnAddressStayAsTheyAre)
{
    RewriteWeb web;
    for (const char* page : {"<A NAME=top>x</A>", "<A HREF=\"#part\">in page</A>", "<IMG ALT=none>",
                             "<A HREF=>empty</A>", "<FORM METHOD=post>", "<INPUT TYPE=text NAME=q>"}) {
        EXPECT_EQ(web.Rewrite(page, kSuppress), page);
    }
}

TEST(RewriteLinks, NamesThatCannotStandAsALinkAreNotUsed)
{
    RewriteWeb web;
    web.Add("http://www.example.org/a.htm", StateCapturedPage, "../a.htm");
    web.Add("http://www.example.org/b.htm", StateCapturedPage, "B 1.HTM");
    web.Add("http://www.example.org/c.htm", StateCapturedPage, "C\".HTM");
    web.Add("http://www.example.org/d.htm", StateCapturedPage, "D#1.HTM");
    for (char name : {'a', 'b', 'c', 'd'}) {
        const std::string address = std::string("http://www.example.org/") + name + ".htm";
        EXPECT_EQ(web.Rewrite("<A HREF=\"" + address + "\">", kSuppress),
                  "<A HREF=\"BadLink.htm\" OLDREF=\"" + address + "\">");
    }
}

TEST(RewriteLinks, LongAddressesStayWhole)
{
    RewriteWeb web;
    const std::string address = "http://www.example.org/" + std::string(400, 'a') + ".htm";
    const std::string captured = "<A HREF=\"" + address + "\" TARGET=_top>x</A>";
    EXPECT_EQ(web.Rewrite(captured), captured);
    const std::string suppressed = web.Rewrite(captured, kSuppress);
    EXPECT_EQ(suppressed, "<A HREF=\"BadLink.htm\" OLDREF=\"" + address + "\" TARGET=_top>x</A>");
    EXPECT_EQ(web.Rewrite(suppressed), captured);
}

TEST(RewriteLinks, CapturedAddressWithAFragment)
{
    // The address is looked up without its fragment, and kept whole.
    RewriteWeb web;
    const std::string tag = "<A HREF=\"BadLink.htm\" OLDREF=\"" + kPage + "#part\">";
    EXPECT_EQ(web.Rewrite(tag), "<A HREF=\"" + kPage + "#part\">");
    web.Add(kPage, StateCapturedPage, "PAGE.HTM");
    EXPECT_EQ(web.Rewrite(tag), "<A HREF=\"PAGE.HTM\" OLDREF=\"" + kPage + "#part\">");
}

TEST(RewriteLinks, TagsThatWouldReadBackOtherwiseStayAsTheyAre)
{
    RewriteWeb web;
    // Emptied, the value would run into the next bytes and read as "a" in
    // the next pass.
    const std::string glued = "<IMG SRC\"" + kPicture + "\"a>";
    EXPECT_EQ(web.Rewrite(glued, kSuppress), glued);
    // A base address written twice loses both.
    const std::string base = web.Rewrite("<BASE HREF=\"http://www.example.org/\" HREF=http://www.example.org/x/>");
    EXPECT_EQ(base.find("HREF"), std::string::npos) << base;
    EXPECT_EQ(web.Rewrite(base), base);
}

TEST(RewriteLinks, QuotedValuesOfEveryKindStayStable)
{
    RewriteWeb web;
    const std::string spaced = "http://www.example.org/my file.html";
    const std::string about = "http://www.example.org/about.html";
    const std::string query = "http://www.example.org/q?a=1&b=\"2\"";
    web.Add(spaced, StateCapturedPage, "MYFILE.HTM");
    web.Add(about, StateCapturedPage, "ABOUT.HTM");
    web.Add(query, StateCapturedPage, "Q.HTM");
    const std::string captured = "<a href=\"" + spaced + "\" title=\"a > b\">1</a><a href='" + about
                                 + "'>2</a><a href='http://www.example.org/q?a=1&amp;b=\"2\"'>3</a>";

    const std::string local = web.Rewrite(captured);
    EXPECT_EQ(local, "<a href=\"MYFILE.HTM\" OLDREF=\"" + spaced + "\" title=\"a > b\">1</a>"
                     "<a href='ABOUT.HTM' OLDREF=\"" + about + "\">2</a>"
                     "<a href='Q.HTM' OLDREF=\"http://www.example.org/q?a=1&b=&quot;2&quot;\">3</a>");
    EXPECT_EQ(web.Rewrite(local), local);

    // Nothing stored any more: each link gets its address back, in its own
    // quotes, and reads as captured.
    web.tree.FindFile(spaced)->State = StateError;
    web.tree.FindFile(about)->State = StateError;
    web.tree.FindFile(query)->State = StateError;
    const std::string restored = web.Rewrite(local);
    EXPECT_EQ(restored, "<a href=\"" + spaced + "\" title=\"a > b\">1</a><a href='" + about
                            + "'>2</a><a href='" + query + "'>3</a>");
    EXPECT_EQ(web.Rewrite(restored), restored);
}
