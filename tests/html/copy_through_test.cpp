#include "html/HtmlPage.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

using namespace velbrin;
using velbrin::test::CopyItemByItem;
using velbrin::test::CopyLikeWriters;
using velbrin::test::DescribeItems;
using velbrin::test::HtmlPage;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FixturePages()
{
    std::vector<fs::path> pages;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(VELBRIN_FIXTURES) / "pages")) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name != "copyright" && name != "README")
            pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A source that hands out at most 7 bytes per read.
class TTrickleStream final : public TStream {
public:
    explicit TTrickleStream(std::string bytes)
        : m_bytes(std::move(bytes))
    {
    }
    std::size_t Read(void* buffer, std::size_t count) override
    {
        const std::size_t n = std::min({count, std::size_t(7), m_bytes.size() - std::min(m_position, m_bytes.size())});
        std::copy_n(m_bytes.data() + m_position, n, static_cast<char*>(buffer));
        m_position += n;
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override
    {
        const std::int64_t base = origin == SeekOrigin::Begin ? 0
            : origin == SeekOrigin::Current                   ? static_cast<std::int64_t>(m_position)
                                                              : Size();
        m_position = static_cast<std::size_t>(base + offset);
        return base + offset;
    }
    std::int64_t Size() const override { return static_cast<std::int64_t>(m_bytes.size()); }

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

// Every link with a value pointed at a local name, keeping its address in
// OLDREF (when local is true), or given back the address it keeps.
std::string RewriteLinks(const THtmlParser& parser, bool local)
{
    TMemoryStreamEx out;
    TLinkParam link;
    for (int i = 0; i + 1 < parser.Count(); ++i) {
        if (parser.Item(i).IsBoundary()) {
            parser.CopyTextAfter(i, out);
            continue;
        }
        const bool hasLink = parser.GetLink(i, link);
        const std::string address = link.OldLink.Value.empty() ? link.Link.Value : link.OldLink.Value;
        if (hasLink && !address.empty()) {
            if (local)
                parser.WriteLinkTag(i, out, link, "L" + std::to_string(i) + ".HTM", address);
            else
                parser.WriteLinkTag(i, out, link, address, "");
        } else {
            parser.CopyTag(i, out);
        }
        parser.CopyTextAfter(i, out);
    }
    return out.ToString();
}

} // namespace

TEST(CopyThrough, FixturePagesComeBackByteForByte)
{
    const std::vector<fs::path> pages = FixturePages();
    ASSERT_GE(pages.size(), 12u);
    for (const fs::path& path : pages) {
        SCOPED_TRACE(path.string());
        const std::string bytes = ReadBytes(path);
        HtmlPage page(bytes);
        EXPECT_EQ(CopyItemByItem(page.parser), bytes);
        EXPECT_EQ(CopyLikeWriters(page.parser), bytes);

        // The scan does not depend on how the source hands out its bytes.
        TTrickleStream trickle(bytes);
        THtmlParser trickled(trickle);
        EXPECT_EQ(DescribeItems(trickled), DescribeItems(page.parser));

        // Nor on whether it reads the bytes in place without owning them.
        TViewStream view(bytes);
        THtmlParser viewed(view);
        EXPECT_EQ(DescribeItems(viewed), DescribeItems(page.parser));
        EXPECT_EQ(CopyLikeWriters(viewed), bytes);
    }
}

TEST(CopyThrough, RewrittenLinksComeBack)
{
    int rewritten = 0;
    for (const fs::path& path : FixturePages()) {
        SCOPED_TRACE(path.string());
        const std::string bytes = ReadBytes(path);
        HtmlPage page(bytes);
        const std::string local = RewriteLinks(page.parser, true);
        if (local != bytes)
            ++rewritten;
        HtmlPage localPage(local);
        EXPECT_EQ(RewriteLinks(localPage.parser, false), bytes);
        // A second pass over the local page changes nothing.
        EXPECT_EQ(RewriteLinks(localPage.parser, true), local);
    }
    EXPECT_GE(rewritten, 6);
}

TEST(CopyThrough, OldStylePage)
{
    HtmlPage page(ReadBytes(fs::path(VELBRIN_FIXTURES) / "pages/handmade/old-style.htm"));
    const THtmlParser& parser = page.parser;
    std::vector<std::string> links;
    TLinkParam link;
    for (int i = 0; i + 1 < parser.Count(); ++i) {
        if (parser.GetLink(i, link) && AcceptLink(link))
            links.push_back(link.Link.Value);
        if (link.TagKind == TagTitle && parser.Item(i).IsOpen()) {
            EXPECT_EQ(link.Description, "Caf\xE9 &amp; th\xE9");
        }
    }
    EXPECT_EQ(links, (std::vector<std::string>{"http://www.example.org/menu/"}));
    EXPECT_EQ(parser.TextAfter(parser.Count() - 2), "\r\ntrailing text after the last tag");
}
