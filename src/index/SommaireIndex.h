#pragma once

#include "index/ErrorIndex.h"
#include "index/ImageIndex.h"
#include "index/OtherIndex.h"
#include "index/PageIndex.h"

#include <array>
#include <memory>

namespace velbrin {

struct TSommaireParam;

// The index templates and the files that go with them: ProgramDir() + "index/".
std::string IndexTemplateDir();

// The list a stored or failed file of a site goes to.
enum class IndexList : std::uint8_t { None, Image, Html, Other, Error };

// What AddSite announces for one site.
struct TSiteCounts {
    std::int32_t Html = 0;   // files of the HTML list
    std::int32_t Images = 0; // pictures shown in the picture list
    std::int32_t Others = 0; // files of the other-file list
    std::int32_t Errors = 0; // links of the error list
};

// The index of a Web: the home page "_Home.htm" with one row per site, and
// the four lists of every site (HTML pages, pictures, other files, failed
// links). The resolution pass drives it:
//   1. construct it, which copies the template directory's other files
//      (style sheet, pictures) into the Web's directory;
//   2. for each site: AddSite with the site's counts (a first walk over the
//      site with CountFile gives them, with the sizes of its pictures), then
//      OfferFile for every file of the site, then FlushLists;
//   3. Finish, which writes the home page.
// The destructor finishes a generator that was not finished, silently.
class TSommaireIndex final : public TPageIndex {
public:
    TSommaireIndex(const TWebDescription& web, const TSommaireParam& params, TPictureSizeReader readSize = {},
                   std::string templateDir = IndexTemplateDir());
    ~TSommaireIndex() override;

    // Starts the lists of a site. homePage is the stored file of its first
    // page; sizes, when given, holds the sizes of its pictures in the order
    // they will be offered and must stay alive until FlushLists.
    void AddSite(std::string_view title, std::string_view url, std::string_view homePage, std::int32_t htmlCount,
                 std::int32_t imageCount, std::int32_t otherCount, std::int32_t errorCount, TStream* sizes);
    void AddSite(std::string_view title, std::string_view url, std::string_view homePage, const TSiteCounts& counts,
                 TStream* sizes);
    // Offers the file to the picture, HTML and other-file lists, in this
    // order, and to the error list when none of them takes it.
    bool OfferFile(const TWebFile& file) override;
    bool Accepts(const TWebFile& file) const override;
    // Ends the site: the last page of each list.
    void FlushLists();
    // Writes the home page (after ending a site still open). Raises
    // EInOutError naming the first page that could not be written, once
    // everything that could be written was; later calls do nothing.
    void Finish();
    // The Web's texts and counters changed: the home page and the lists
    // written from now on show these.
    void SetWeb(const TWebDescription& web);
    bool Finished() const { return m_finished; }

    // VLBN_SITE_TITLE: "Site list".
    void WriteVariable(std::string& page, int variable) override;

    // The list OfferFile gives the file to.
    IndexList Classify(const TWebFile& file) const;
    // The counting walk's step for one file of a site: counts it where
    // OfferFile will list it; for a picture, its size (PictureSizeOf) is
    // appended to sizes when given.
    void CountFile(const TWebFile& file, TSiteCounts& counts, TStream* sizes) const;

    TPageIndex& HtmlList() { return *m_htmlList; }
    TImageIndex& ImageList() { return *m_imageList; }
    TOtherIndex& OtherList() { return *m_otherList; }
    TErrorIndex& ErrorList() { return *m_errorList; }
    // Sites added so far.
    std::size_t SiteCount() const { return m_sites.size(); }
    // The problems of the home page and of every list, oldest first.
    std::vector<std::string> AllErrors() const;

private:
    // One row of the home page. A list's cell links to its first page for
    // the site when the list wrote any.
    struct TSiteRow {
        std::string Title;
        std::string HomePage;
        std::array<std::string, 4> ListPage; // HTML, pictures, others, errors; empty for none
    };

    std::array<TPageIndex*, 4> Lists();
    void EndSite();
    void WriteSiteRow(const TSiteRow& row);

    std::unique_ptr<TPageIndex> m_htmlList;
    std::unique_ptr<TImageIndex> m_imageList;
    std::unique_ptr<TOtherIndex> m_otherList;
    std::unique_ptr<TErrorIndex> m_errorList;
    std::vector<TSiteRow> m_sites;
    bool m_siteOpen = false;
    bool m_finished = false;
};

} // namespace velbrin
