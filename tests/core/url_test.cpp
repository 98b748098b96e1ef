#include "core/Files.h"
#include "core/ShortString.h"
#include "core/Url.h"

#include "support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

#include <array>

using namespace velbrin;

namespace {

constexpr const char* kBase = "http://srv.site.tld/docs/guide/index.htm";

struct Resolution {
    const char* reference;
    const char* expected;
};

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

} // namespace

TEST(UrlResolution, ReferenceTableAgainstOneBase)
{
    const Resolution table[] = {
        {"page2.htm", "http://srv.site.tld/docs/guide/page2.htm"},
        {"../img/a.gif", "http://srv.site.tld/docs/img/a.gif"},
        {"../../../x.htm", "http://srv.site.tld/x.htm"},
        {"./b/./c.htm", "http://srv.site.tld/docs/guide/b/c.htm"},
        {"/top.htm", "http://srv.site.tld/top.htm"},
        {"//other.tld/x", "http://other.tld/x"},
        {"?q=1", "http://srv.site.tld/docs/guide/?q=1"},
        {"", "http://srv.site.tld/docs/guide/"},
        {"HTTP://Host.Tld:8080", "http://Host.Tld:8080/"},
        {"http://h:/x", "http://h:80/x"},
        {"file:///c:/dir/f.htm", "file:///c:/dir/f.htm"},
        {"files/list.htm", "http://srv.site.tld/docs/guide/files/list.htm"},
    };
    for (const Resolution& row : table)
        EXPECT_EQ(ResolveUrl(row.reference, kBase), row.expected) << "reference: " << row.reference;
}

TEST(UrlResolution, EdgeCases)
{
    EXPECT_EQ(ResolveUrl("a//b.htm", "http://h/d/"), "http://h/d/a//b.htm");
    EXPECT_EQ(ResolveUrl("../../x", "http://h/"), "http://h/x");
    EXPECT_EQ(ResolveUrl("mailto:someone", kBase), "mailto://srv.site.tld/docs/guide/someone");
    EXPECT_EQ(ResolveUrl("httpdocs/a.htm", "http://h/d/"), "http://h/d/httpdocs/a.htm");
    EXPECT_EQ(ResolveUrl("files", "http://h/d/"), "http://h/d/files");
    // A port written explicitly stays, also 80; a port left out stays out.
    EXPECT_EQ(ResolveUrl("http://h:80/x", ""), "http://h:80/x");
    EXPECT_EQ(ResolveUrl("http://h/x", ""), "http://h/x");
    // A last segment "." or ".." is a file name, not a directory.
    EXPECT_EQ(ResolveUrl("http://h/a/..", ""), "http://h/a/..");
    // "#" is an ordinary character.
    EXPECT_EQ(ResolveUrl("p.htm#top", "http://h/d/"), "http://h/d/p.htm#top");
}

TEST(UrlParse, HostPortAndPath)
{
    TUrl url = TUrl::Create("http://h:8080");
    EXPECT_EQ(url.Host, "h");
    EXPECT_EQ(url.Port, 8080);
    EXPECT_EQ(url.Directory, "/");
    EXPECT_EQ(url.FileName, "");
    EXPECT_EQ(GetUrlText(url), "http://h:8080/");

    EXPECT_EQ(TUrl::Create("http://h:abc/x").Port, 80);
    EXPECT_EQ(GetUrlText(TUrl::Create("http://h:abc/x")), "http://h:80/x");

    TUrl query = TUrl::Create("http://h/cgi/s.cgi?u=http://x/y");
    EXPECT_EQ(query.Directory, "/cgi/");
    EXPECT_EQ(query.Query, "?u=http://x/y");
    EXPECT_EQ(query.FileName, "s.cgi?u=http:/x/y");
}

TEST(UrlParse, ProtocolRelativeReferenceKeepsProtocolZero)
{
    TUrl base = TUrl::Create("ftp://base.tld/a/");
    TUrl url = TUrl::Create("//h/x", &base);
    EXPECT_EQ(url.Protocol, ProtocolHttp);
    EXPECT_EQ(url.Host, "h");
    EXPECT_EQ(GetProtocol("mailto:someone"), ProtocolMailto);
    EXPECT_EQ(GetProtocol("FILE:///x"), ProtocolFile);
    EXPECT_EQ(GetProtocol("javascript:go()"), ProtocolHttp);
}

TEST(UrlParse, ParentSegmentsOfBothSeparators)
{
    // "..\" is handled only once every "../" is gone.
    EXPECT_EQ(GetDirectory("http://h/a/b\\..\\c/"), "/a/c/");
    EXPECT_EQ(GetDirectory("http://h/a/b/../../../c/"), "/c/");
    EXPECT_EQ(GetDirectory("http://h/./a/./"), "/a/");
}

TEST(UrlParse, LongTextsAreCutBeforeParsing)
{
    std::string longUrl = "http://h.tld/" + std::string(300, 'a');
    TUrl url = TUrl::Create(longUrl);
    EXPECT_EQ(url.FileName.size(), 255u - 13u);
    EXPECT_LE(GetUrlText(url).size(), 255u);

    // A long base directory plus a reference still yields a directory that ends
    // with a separator.
    std::string deepBase = "http://h.tld/" + std::string(120, 'd') + "/" + std::string(120, 'e') + "/";
    TUrl base = TUrl::Create(deepBase);
    TUrl joined = TUrl::Create(std::string(100, 'f') + "/g.htm", &base);
    EXPECT_TRUE(joined.Directory.back() == '/' || joined.Directory.back() == '\\');
    EXPECT_LE(joined.Directory.size(), 255u);
}

TEST(UrlQuestions, ValidityExtensionDomainMachine)
{
    EXPECT_TRUE(IsValidUrl("http://srv.site.tld/a.htm"));
    EXPECT_FALSE(IsValidUrl("http://localhost/a.htm"));
    EXPECT_FALSE(IsValidUrl("javascript:go()"));
    EXPECT_FALSE(IsValidUrl("http://h.tld/a:b/c"));

    EXPECT_EQ(GetExtension("http://h/docs/Guide.Part1.htm"), "Part1.htm");
    EXPECT_EQ(GetExtension("http://h/q.cgi?x=1"), "cgi?x=1");
    EXPECT_EQ(GetExtension("http://h/a."), "");
    EXPECT_EQ(GetExtension("http://h/"), "");
    EXPECT_EQ(GetExtension("http://h/a.b.c"), "b.c");

    EXPECT_EQ(GetDomainName("http://srv.site.tld/"), "site");
    EXPECT_EQ(GetDomainName("http://srv.site.co.tld/"), "co");
    EXPECT_EQ(GetDomainName("http://localhost/"), "localhost");
    EXPECT_EQ(GetDomainName("http://10.0.0.1/"), "0");
    EXPECT_EQ(GetMachineName("http://srv.site.tld/"), "srv");
    EXPECT_EQ(GetMachineName("http://localhost/"), "localhost");

    EXPECT_EQ(GetPort("http://h/"), 80);
    EXPECT_EQ(GetPort("http://h:81/"), 81);
    EXPECT_EQ(GetDocument("http://srv.site.tld/docs/a.htm?x=1"), "/docs/a.htm?x=1");
}

TEST(UrlQuestions, ForeignSchemes)
{
    EXPECT_TRUE(HasForeignScheme("gopher://www.example.org/"));
    EXPECT_TRUE(HasForeignScheme("javascript:go()"));
    EXPECT_TRUE(HasForeignScheme("DATA:image/gif;base64,R0lG"));
    EXPECT_FALSE(HasForeignScheme("http://h.tld/"));
    EXPECT_FALSE(HasForeignScheme("HTTPS://www.example.org/"));
    EXPECT_TRUE(HasForeignScheme("httpsx://h.tld/"));
    EXPECT_FALSE(HasForeignScheme("MAILTO:someone"));
    EXPECT_FALSE(HasForeignScheme("files/list.htm"));
    EXPECT_FALSE(HasForeignScheme("a/b:c"));
    EXPECT_FALSE(HasForeignScheme(":x"));
}

TEST(UrlParse, HttpsIsItsOwnProtocolWithPort443)
{
    // "http:" does not begin "https:": the secure prefix is matched whole.
    TUrl url = TUrl::Create("HTTPS://Srv.Site.tld/docs/a.htm?x=1");
    EXPECT_EQ(url.Protocol, ProtocolHttps);
    EXPECT_EQ(url.Host, "Srv.Site.tld");
    EXPECT_EQ(url.Port, -1);
    EXPECT_EQ(url.Directory, "/docs/");
    EXPECT_EQ(url.FileName, "a.htm?x=1");
    EXPECT_EQ(GetUrlText(url), "https://Srv.Site.tld/docs/a.htm?x=1");
    EXPECT_EQ(GetPort("https://h.tld/"), 443);
    EXPECT_EQ(GetPort("http://h.tld/"), 80);
    // A written port stays written, even the default one.
    EXPECT_EQ(ResolveUrl("https://h.tld:443", ""), "https://h.tld:443/");
    EXPECT_EQ(GetPort("https://h.tld:8443/x"), 8443);
    EXPECT_EQ(ResolveUrl("https://h.tld:zz/x", ""), "https://h.tld:443/x");

    // Relative references keep the base's host and port; a reference without
    // a prefix is protocol 0 whatever its base, as for every other protocol.
    EXPECT_EQ(ResolveUrl("https://h.tld:8443/a/b.htm", "http://other.tld/"), "https://h.tld:8443/a/b.htm");
    EXPECT_EQ(GetProtocol("//h.tld/x"), ProtocolHttp);
    EXPECT_EQ(UrlToList("https://h.tld/a/b.htm"), (TStringList{"https:", "//h.tld", "/", "a/", "b.htm"}));

    EXPECT_TRUE(IsFetchableProtocol(GetProtocol("https://h.tld/")));
    EXPECT_TRUE(IsFetchableProtocol(GetProtocol("http://h.tld/")));
    EXPECT_FALSE(IsFetchableProtocol(GetProtocol("ftp://h.tld/")));
    EXPECT_FALSE(IsFetchableProtocol(GetProtocol("mailto:x@h.tld")));
    // Numbers kept in project files keep their meaning.
    EXPECT_EQ(GetProtocol("file:///x"), 4);
    EXPECT_EQ(GetProtocol("https://h.tld/"), 5);
}

TEST(UrlParse, LinksOfAnHttpsPageStayHttps)
{
    const TUrl page = TUrl::Create("https://h.tld:8443/docs/a.htm");
    EXPECT_EQ(GetUrlText(ResolveLink("b.htm", page)), "https://h.tld:8443/docs/b.htm");
    EXPECT_EQ(GetUrlText(ResolveLink("/top.htm?x=1", page)), "https://h.tld:8443/top.htm?x=1");
    EXPECT_EQ(GetUrlText(ResolveLink("//other.tld/x", page)), "https://other.tld/x");
    EXPECT_EQ(GetUrlText(ResolveLink("//other.tld:zz/x", page)), "https://other.tld:443/x");
    // A written prefix wins, and an http page's links are what they were.
    EXPECT_EQ(GetUrlText(ResolveLink("http://h.tld/x", page)), "http://h.tld/x");
    EXPECT_EQ(GetUrlText(ResolveLink("../c.htm", TUrl::Create("http://h.tld/d/e/"))), "http://h.tld/d/c.htm");
}

// The text of a resolved address, when it was not cut, reads back as that
// address: a page's preparation classifies links without parsing them twice.
TEST(UrlParse, TheTextOfAnAddressReadsBackAsTheAddress)
{
    const char* bases[] = {"http://h.tld/d/e/p.htm", "https://H.tld:8443/", "http://h.tld:zz/a//b/", "http://h/"};
    const char* references[] = {"x.htm", "../../../x.htm", "./a/./b/../c?q=a//b/../c", "//o.tld", "//o.tld?x/y",
                                "/a..b/c./d", "a\\..\\b.htm", "http://o.tld:080/x", "mailto:a@b.tld", "?only",
                                "x:y/z:w", "//o.tld:/p", "", "#frag", "a//b//c.htm"};
    for (const char* base : bases) {
        const TUrl parsedBase = TUrl::Create(base);
        for (const char* reference : references) {
            const TUrl url = ResolveLink(reference, parsedBase);
            const std::string text = GetUrlText(url);
            ASSERT_LT(text.size(), kShortStringMax);
            const TUrl again = TUrl::Create(text);
            EXPECT_EQ(again.Protocol, url.Protocol) << text;
            EXPECT_EQ(again.Host, url.Host) << text;
            EXPECT_EQ(again.Directory, url.Directory) << text;
            EXPECT_EQ(again.FileName, url.FileName) << text;
            EXPECT_EQ(IsValidUrl(again), IsValidUrl(url)) << text;
        }
    }
}

TEST(UrlQuestions, TreeKeys)
{
    TStringList keys = UrlToList("http://h:81/a/b.htm");
    EXPECT_EQ(keys, (TStringList{"http:", "//h:81", "/", "a/", "b.htm"}));
    // The document name is a key even when empty.
    EXPECT_EQ(UrlToList("http://h/"), (TStringList{"http:", "//h", "/", ""}));
}

// The keys read in place are those of the full parse, or none: plain
// addresses are read in place, the others are left to the parse.
TEST(UrlQuestions, TreeKeysReadInPlaceAreThoseOfTheParse)
{
    const std::string longName = "http://h.tld/" + std::string(250, 'x');
    struct Case {
        std::string_view Url;
        bool InPlace;
    };
    const Case cases[] = {
        {"http://h.tld/a/b.htm", true},
        {"HTTPS://Host.TLD:8443/Docs/a.htm?x=1/y", true},
        {"http://h.tld/", true},
        {"http://h.tld/?q", true},
        {"http://h.tld/a\\b\\c.htm", true},
        {"http://h.tld:0/x", true},
        {"mailto://h.tld/x", true},
        {"http://h.tld", false},            // the parse supplies the "/"
        {"http://h.tld?q/x", false},        // the query starts before any path
        {"http://h.tld:080/x", false},      // the port reads back as 80
        {"http://h.tld:/x", false},         // no port: the default one
        {"http://h.tld:8a/x", false},
        {"http://h.tld/a/./b/../c.htm", false},
        {"http://h.tld/a/b.htm?u=//x", false}, // the parse makes one "/" of "//"
        {"//h.tld/x", false},
        {"a/b.htm", false},
        {"javascript:x()", false},
        {longName, false},
    };
    std::array<std::string_view, 32> views;
    for (const Case& c : cases) {
        const std::size_t count = UrlKeysInPlace(c.Url, views);
        EXPECT_EQ(count > 0, c.InPlace) << c.Url;
        if (count > 0)
            EXPECT_EQ(TStringList(views.begin(), views.begin() + static_cast<std::ptrdiff_t>(count)), UrlToList(c.Url))
                << c.Url;
    }
    // More keys than room: the parse.
    std::array<std::string_view, 4> few;
    EXPECT_EQ(UrlKeysInPlace("http://h.tld/a/c.htm", few), 0u);
    EXPECT_EQ(UrlKeysInPlace("http://h.tld/c.htm", few), 4u);
}

TEST(UrlQuestions, LetterCaseCountsInPathsAndQueriesOnly)
{
    EXPECT_TRUE(SameAddress("HTTP://Host.Example/a", "http://host.example/a"));
    EXPECT_TRUE(SameAddress("http://H.example:81/x/../A/b?Q", "http://h.EXAMPLE:81/A/b?Q"));
    EXPECT_FALSE(SameAddress("http://h.example/a/b/x.html", "http://h.example/A/B/x.html"));
    EXPECT_FALSE(SameAddress("http://h.example/x.html?id=A", "http://h.example/x.html?id=a"));
    EXPECT_FALSE(SameAddress("http://h.example/a", "http://h.example:81/a"));
    EXPECT_FALSE(SameAddress("http://h.example/a/", "http://h.example/a"));

    EXPECT_TRUE(IsUnderDirectory("/Docs/api/", "/Docs/"));
    EXPECT_FALSE(IsUnderDirectory("/docs/api/", "/Docs/"));
    EXPECT_FALSE(IsUnderDirectory("/", "/Docs/"));
}

TEST(UrlQuestions, ShortNames)
{
    EXPECT_EQ(GetShortName("http://srv.site.tld/"), "SITE");
    EXPECT_EQ(GetShortName("http://srv.site.tld/docs/Guide.htm"), "DOCS");
    EXPECT_EQ(GetShortName("http://localhost/"), "LOCALHOS");
    EXPECT_EQ(GetShortName("http://10.0.0.1/a/b/c.htm"), "B");
}

TEST(UrlPaths, SplitAndJoin)
{
    EXPECT_EQ(SplitPath("c:\\x\\y\\"), (TStringList{"c:\\", "x\\", "y\\"}));
    EXPECT_EQ(SplitPath("/a/b"), (TStringList{"/", "a/", "b/"}));
    EXPECT_EQ(JoinPath({"/", "a/", "b/"}), "/a/b/");
    EXPECT_EQ(MakeFileUrl("/home/u/Webs/SITE/INDEX.htm"), "file:///home/u/Webs/SITE/INDEX.htm");
    EXPECT_EQ(MakeFileUrl("C:\\Webs\\site\\INDEX.htm"), "file:///C:/Webs/site/INDEX.htm");
}

TEST(LocalFileNames, BaseNames)
{
    EXPECT_EQ(MakeLocalFileName("http://srv.site.tld/", "", "htm"), "INDEX.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/docs/Guide.Part1.htm", "", "htm"), "Guide.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/dir/a b.htm", "", "htm"), "a.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/cgi/q.cgi?x=1", "", "htm"), "q.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/verylongname.html", "", "htm"), "verylong.htm");
    EXPECT_EQ(LocalBaseName("http://h/a=b*c,d+e\"f.htm"), "abcdef");
    EXPECT_EQ(LocalBaseName(std::string("http://h/a\0b.htm", 16)), "ab");
}

TEST(LocalFileNames, NumberedWhenTakenInAnyCase)
{
    test::TempDir dir;
    std::string path = dir.Path();
    Touch(path + "verylong.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/verylongname.html", path, "htm"), path + "verylon1.htm");
    for (int n = 1; n <= 9; ++n)
        Touch(path + "verylon" + std::to_string(n) + ".htm");
    EXPECT_EQ(MakeLocalFileName("http://h/verylongname.html", path, "htm"), path + "verylo10.htm");

    // "INDEX.htm" on disk takes "index.htm".
    Touch(path + "INDEX.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/b/index.htm", path, "htm"), path + "index1.htm");
    // A name created after the first question is seen by the next one.
    Touch(path + "INDEX1.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/c/", path, "htm"), path + "INDEX2.htm");
}

TEST(LocalFileNames, NamesOfTheProgramsOwnPagesAreNeverTaken)
{
    test::TempDir dir;
    // Before the index pages exist, a site's own "_Home.htm" or "_IxH01.htm"
    // must not take their names.
    EXPECT_EQ(MakeLocalFileName("http://h/_Home.htm", dir.Path(), "htm"), dir.Path() + "_Home1.htm");
    std::string list = MakeLocalFileName("http://h/_ixh01.html", dir.Path(), "htm");
    EXPECT_FALSE(IsReservedLocalName(ExtractFileName(list))) << list;
    EXPECT_TRUE(IsReservedLocalName("_IxE.HTM"));
    EXPECT_TRUE(IsReservedLocalName("_IxI0A.htm"));
    EXPECT_FALSE(IsReservedLocalName("_IxI0A.gif"));
    EXPECT_EQ(MakeLocalFileName("http://h/logfile.htm", dir.Path(), "htm"), dir.Path() + "logfile1.htm");
    EXPECT_EQ(MakeLocalFileName("http://h/_Home.gif", dir.Path(), "gif"), dir.Path() + "_Home.gif");
    EXPECT_EQ(MakeLocalFileName("http://h/_Index.htm", dir.Path(), "htm"), dir.Path() + "_Index.htm");
}

TEST(LocalFileNames, ExtensionNeverLeavesTheDirectory)
{
    std::string name = MakeLocalFileName("http://h/a.htm", "/tmp/web/", "?/.");
    EXPECT_EQ(name.rfind('/'), std::string("/tmp/web/").size() - 1);
}
