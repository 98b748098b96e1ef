#include "html/CssMarker.h"
#include "html/CssReferences.h"
#include "html/CssRewriter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace velbrin;

namespace {

// One line per reference: "S" (StyleSheet) or "I" (InlineObject), the source,
// the value as written between brackets, and the address.
std::string Describe(std::string_view css)
{
    std::string out;
    for (const TReference& reference : TCssExtractor().Extract(css)) {
        EXPECT_LE(reference.Begin, reference.End);
        EXPECT_LE(reference.End, css.size());
        out += reference.Kind == TReferenceKind::StyleSheet ? "S " : (reference.Kind == TReferenceKind::InlineObject ? "I " : "? ");
        out += std::string(reference.Source) + " [" + std::string(css.substr(reference.Begin, reference.End - reference.Begin)) +
               "] " + reference.Address + "\n";
    }
    return out;
}

TCssNewValue Map(std::map<std::string, std::string> values)
{
    return [values](const TReference& reference) -> std::optional<std::string> {
        const auto found = values.find(reference.Address);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    };
}

const TCssNewValue kKeep = [](const TReference&) { return std::optional<std::string>(); };

// Lines of Sphinx's classic.css, basic.css and pydoctheme.css as Debian's
// python3.11-doc installs them.
constexpr std::string_view kSphinx = "/*\n"
                                     " * :license: BSD, see LICENSE for details.\n"
                                     " *\n"
                                     " */\n"
                                     "\n"
                                     "@import url(\"basic.css\");\n"
                                     "\n"
                                     "ul.search li {\n"
                                     "    padding: 5px 0 5px 20px;\n"
                                     "    background-image: url(file.png);\n"
                                     "    background-repeat: no-repeat;\n"
                                     "}\n"
                                     "    .version_switcher_placeholder::after {\n"
                                     "        content: url('../_static/caret-down.svg');\n"
                                     "        position: absolute;\n";

} // namespace

TEST(CssReferences, RealSheets)
{
    EXPECT_EQ(Describe(kSphinx), "S @import [basic.css] basic.css\n"
                                 "I url [file.png] file.png\n"
                                 "I url [../_static/caret-down.svg] ../_static/caret-down.svg\n");

    // The start of a minified sheet (Debian's libexpat1-dev documentation):
    // an @import right after a comment, then several data: pictures a line.
    const std::string minified =
        "/*! OK.css v1.0.3 | MIT License | github.com/andrewh0/okcss */@import url(\"https://rsms.me/inter/inter.css\");\n"
        "--ok-b-1:1px solid #848484;--ok-down-0:url(\"data:image/svg+xml;charset=utf-8,%3Csvg xmlns='http://www.w3.org/2000/svg' "
        "height='8' viewBox='0 0 12 8' width='24' fill='none'%3E%3Cpath d='M6 6l4-4h1v1-1L6 7 1 2h1l4 4z' "
        "fill='%23747474'/%3E%3C/svg%3E\");--ok-down-1:url(\"data:image/svg+xml;charset=utf-8,%3Csvg "
        "fill='%23848484'/%3E%3C/svg%3E\")}@media (prefers-color-scheme:dark){:root{--ok-tc-accent:#5c9aff;";
    const std::vector<TReference> found = ExtractCssReferences(minified);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].Address, "https://rsms.me/inter/inter.css");
    EXPECT_EQ(found[0].Kind, TReferenceKind::StyleSheet);
    EXPECT_EQ(found[1].Address.substr(0, 45), "data:image/svg+xml;charset=utf-8,%3Csvg xmlns");
    EXPECT_EQ(found[2].Address, "data:image/svg+xml;charset=utf-8,%3Csvg fill='%23848484'/%3E%3C/svg%3E");

    // Fonts and a picture of a documentation generator's sheet: local() and
    // format() strings are no references; a backslash ends the string's lines.
    const std::string fonts =
        "@font-face {font-family:'Fira Sans';font-style:normal;font-weight:400;src:local('Fira Sans'),"
        "url(\"FiraSans-Regular-0fe48ade.woff2\") format(\"woff2\");font-display:swap;}"
        "--checkmark-image:url('data:image/svg+xml,<svg viewBox=\"-1 -1 23 23\" \\\n"
        "xmlns=\"http://www.w3.org/2000/svg\" fill=\"black\" height=\"18px\">\\\n"
        "</svg>');--button-left-margin:4px;";
    const std::vector<TReference> pictures = ExtractCssReferences(fonts);
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].Address, "FiraSans-Regular-0fe48ade.woff2");
    EXPECT_EQ(pictures[1].Address, "data:image/svg+xml,<svg viewBox=\"-1 -1 23 23\" xmlns=\"http://www.w3.org/2000/svg\" "
                                   "fill=\"black\" height=\"18px\"></svg>");
}

TEST(CssReferences, TokensDecideWhatIsAReference)
{
    // Only a whole function name "url", in any case and with escapes, opens a reference.
    EXPECT_EQ(Describe("a{b:xurl(1) --url(2) -url(3) 1url(4) #url(5) @url(6) URL(7) u\\72l(8) \\75 rl(9)}"),
              "I url [7] 7\nI url [8] 8\nI url [9] 9\n");
    // Strings, comments, empty values and invalid values are none either; CDO
    // and CDC of a STYLE block are not part of a name.
    EXPECT_EQ(Describe("p:after{content:\"url(s)\"} /* url(c) */ <!--url(k)--> url() url(  ) url(\"\") "
                       "url(a b) url(\"a\" \"b\") url(x(y)) url(ok) url(\"a\nb\")"),
              "I url [k] k\nI url [ok] ok\n");
    // Blanks around the value, escapes decoded (code points past 0x7F as UTF-8).
    EXPECT_EQ(Describe("url(  a\\ b.png\t) url( \" q\\\"\\'.gif \" ) url(\\E9t\\E9.png) url(c\\).png)"),
              "I url [a\\ b.png] a b.png\n"
              "I url [ q\\\"\\'.gif ] q\"'.gif\n"
              "I url [\\E9t\\E9.png] \xC3\xA9t\xC3\xA9.png\n"
              "I url [c\\).png] c).png\n");
    // Every form of @import, media queries after it.
    EXPECT_EQ(Describe("@import \"a.css\";@import 'b.css' screen;@IMPORT/**/url(c.css) print, tv;"
                       "@import url( 'd.css' );@imports \"e.css\";"),
              "S @import [a.css] a.css\nS @import [b.css] b.css\n"
              "S @import [c.css] c.css\nS @import [d.css] d.css\n");
}

TEST(CssReferences, TextEndingInsideAReference)
{
    // Each is reported as far as it goes, and a rewrite leaves it as it stands.
    for (const std::string_view css : {"b{x:url(abc", "b{x:url(  abc  ", "b{x:url(\"abc", "b{x:url('abc' /* ",
                                       "@import \"abc", "b{x:url(abc\\"}) {
        const std::vector<TCssReference> found = FindCssReferences(css);
        ASSERT_EQ(found.size(), 1u) << css;
        EXPECT_TRUE(found[0].Unterminated) << css;
        EXPECT_EQ(found[0].Reference.Address.substr(0, 3), "abc") << css;
        EXPECT_EQ(RewriteCss(css, Map({{"abc", "X.PNG"}, {"abc\xEF\xBF\xBD", "X.PNG"}})), css);
    }
    for (const std::string_view css : {"url(", "url(\"", "@import", "/* url(a)", "url(a b", "\\"})
        EXPECT_EQ(Describe(css), "") << css;
}

TEST(CssRewrite, MarkersMakeItRepeatableAndReversible)
{
    const auto local = Map({{"basic.css", "BASIC.CSS"}, {"file.png", "IMAGE12.PNG"}});
    const std::string once = RewriteCss(kSphinx, local);
    std::string expected(kSphinx);
    expected.replace(expected.find("url(file.png)"), 13, "url(IMAGE12.PNG)/*VELBRIN OLDREF=file.png*/");
    expected.replace(expected.find("\"basic.css\")"), 12, "\"BASIC.CSS\")/*VELBRIN OLDREF=%22basic.css%22*/");
    EXPECT_EQ(once, expected);

    // Read back, the references carry the captured address and the new value's span.
    const std::vector<TReference> back = ExtractCssReferences(once);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[1].Address, "file.png");
    EXPECT_EQ(once.substr(back[1].Begin, back[1].End - back[1].Begin), "IMAGE12.PNG");

    EXPECT_EQ(RewriteCss(once, local), once);
    EXPECT_EQ(RewriteCss(once, kKeep), kSphinx);
    // A later pass answers differently: only the changed reference moves.
    const std::string later = RewriteCss(once, Map({{"file.png", "http://h/_static/file.png"}}));
    EXPECT_EQ(later, std::string(kSphinx).replace(kSphinx.find("url(file.png)"), 13,
                                                   "url(http://h/_static/file.png)/*VELBRIN OLDREF=file.png*/"));
}

TEST(CssRewrite, ValuesAreQuotedAndMarkersStayInsideTheirComment)
{
    // Blanks, quotes and parentheses need quotes; the captured quote is kept;
    // "<" is escaped so that a STYLE block cannot end inside the value.
    const std::string css = "a{b:url( x.png );c:url('y.png');d:url(\"z*/<\\\"q\\\".png\")}";
    const std::string once = RewriteCss(css, Map({{"x.png", "my (1) \"file\".png"},
                                                  {"y.png", "it's.png"},
                                                  {"z*/<\"q\".png", "</style>.png"}}));
    EXPECT_EQ(once, "a{b:url( \"my (1) \\\"file\\\".png\" )/*VELBRIN OLDREF=x.png*/;"
                    "c:url('it\\'s.png')/*VELBRIN OLDREF=%27y.png%27*/;"
                    "d:url(\"\\3C /style\\3E .png\")/*VELBRIN OLDREF=%22z%2A/%3C%5C%22q%5C%22.png%22*/}");
    const std::vector<TReference> back = ExtractCssReferences(once);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[2].Address, "z*/<\"q\".png");
    EXPECT_EQ(RewriteCss(once, kKeep), css);

    // Only the exact writing of a marker counts: the author's look-alikes stay
    // comments, and the reference reads its own value.
    for (const std::string_view lookAlike : {"url(a.png)/*VELBRIN OLDREF=%2fb.png*/", "url(a.png)/*VELBRIN OLDREF=b%2Epng*/",
                                             "url(a.png)/*VELBRIN OLDREF=%22%22*/", "url(a.png) /*VELBRIN OLDREF=b.png*/",
                                             "url(a.png)/*VELBRIN OLDREF=b c*/", "url(\"a.png\"/**/)/*VELBRIN OLDREF=b*/"}) {
        EXPECT_EQ(Describe(lookAlike), "I url [a.png] a.png\n") << lookAlike;
        EXPECT_EQ(RewriteCss(lookAlike, kKeep), lookAlike);
    }
    EXPECT_EQ(WriteCssMarker("\"a b\\\"&<>'*/\"").find_first_of("\"<>&' \\", kCssMarkerPrefix.size()), std::string::npos);
}

TEST(CssRewrite, StyleAttributeValue)
{
    // The decoded value of a style attribute, as a page writes it.
    const std::string style = "background: #fff URL( \"../img/bg.gif\" ) no-repeat; list-style-image:url(dot.gif)";
    const std::string once = RewriteCss(style, Map({{"../img/bg.gif", "BG.GIF"}, {"dot.gif", "dot.gif"}}));
    EXPECT_EQ(once, "background: #fff URL( \"BG.GIF\" )/*VELBRIN OLDREF=%22../img/bg.gif%22*/ no-repeat; "
                    "list-style-image:url(dot.gif)");
    EXPECT_EQ(RewriteCss(once, kKeep), style);
}
