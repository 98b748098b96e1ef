#include "capture/WebPlace.h"

#include "core/Files.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace velbrin;

namespace {

// Project files written with the start address they hold; "" for one that does not load.
class Webs {
public:
    explicit Webs(const std::string& root)
        : m_root(root)
    {
    }
    void Put(const std::string& directory, const std::string& start)
    {
        std::filesystem::create_directories(m_root + directory);
        const std::string file = m_root + directory + "/LOCAL.WEB";
        WriteWholeFile(file, "x");
        m_starts[file] = start;
    }
    TWebPlace Find(const std::string& address)
    {
        return FindWebPlace(m_root, address, [this](const std::string& file) { return m_starts.at(file); });
    }

private:
    std::string m_root;
    std::map<std::string, std::string> m_starts;
};

} // namespace

TEST(WebPlace, EachStartAddressKeepsADirectoryOfItsOwn)
{
    test::TempDir dir;
    Webs webs(dir.Path());
    // Nothing there yet: the short name.
    TWebPlace place = webs.Find("http://a.site.tld/docs/");
    EXPECT_EQ(place.ProjectFile, dir.Path() + "DOCS/LOCAL.WEB");
    EXPECT_FALSE(place.Exists);
    EXPECT_TRUE(place.Passed.empty());

    webs.Put("DOCS", "http://a.site.tld/docs/");
    // The same address, written another way, finds its Web.
    place = webs.Find("HTTP://A.Site.Tld/docs/");
    EXPECT_EQ(place.ProjectFile, dir.Path() + "DOCS/LOCAL.WEB");
    EXPECT_TRUE(place.Exists);

    // Another site with the same short name goes on to the next free name.
    place = webs.Find("http://b.site.tld/docs/");
    EXPECT_EQ(place.ProjectFile, dir.Path() + "DOCS1/LOCAL.WEB");
    EXPECT_FALSE(place.Exists);
    EXPECT_EQ(place.Passed, std::vector<std::string>{dir.Path() + "DOCS/ holds the Web of http://a.site.tld/docs/"});

    // Damaged projects and other files are passed over too; the Web made
    // further on is found again there.
    webs.Put("DOCS1", "");
    std::filesystem::create_directories(dir.Path() + "DOCS2/sub");
    webs.Put("DOCS3", "http://b.site.tld/docs/");
    place = webs.Find("http://b.site.tld/docs/");
    EXPECT_EQ(place.ProjectFile, dir.Path() + "DOCS3/LOCAL.WEB");
    EXPECT_TRUE(place.Exists);
    EXPECT_EQ(place.Passed.size(), 3u);
    EXPECT_EQ(place.Passed[1], dir.Path() + "DOCS1/ holds a project file that does not load");
    EXPECT_EQ(place.Passed[2], dir.Path() + "DOCS2/ holds other files");
    // An empty directory is free.
    std::filesystem::create_directories(dir.Path() + "DOCS4");
    EXPECT_EQ(webs.Find("http://c.site.tld/docs/").ProjectFile, dir.Path() + "DOCS4/LOCAL.WEB");
}

TEST(WebPlace, NumbersKeepTheNameWithinEightCharacters)
{
    test::TempDir dir;
    Webs webs(dir.Path());
    webs.Put("LONGNAME", "http://a.tld/longnamed/");
    EXPECT_EQ(webs.Find("http://b.tld/longnamed/").ProjectFile, dir.Path() + "LONGNAM1/LOCAL.WEB");
    // Every address at a server's root is "0".
    webs.Put("0", "http://127.0.0.1:8080/");
    EXPECT_EQ(webs.Find("http://127.0.0.1:8081/").ProjectFile, dir.Path() + "01/LOCAL.WEB");
}
