#pragma once

#include "core/CaseFold.h"
#include "core/SystemFiles.h"
#include "store/WebDescription.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velbrin {

class TMimeItem;
class TWebFile;

// Values written in the ALIGN and VALIGN attributes of a list's cells; 0
// writes no attribute.
enum CellAlignment : std::uint8_t {
    AlignNone = 0,
    AlignLeft,
    AlignRight,
    AlignTop,
    AlignBottom,
    AlignCenter,
    AlignTextTop,
    AlignMiddle,
    AlignBaseline,
    AlignAbsBottom,
    AlignAbsMiddle,
    AlignRightJustify,
};
// "Left", "Center", ...; empty for AlignNone and values outside the table.
std::string_view CellAlignmentName(std::uint8_t alignment);

// The home page of the index, where every list leads back to.
// The value of VLBN_VERSION.
inline constexpr std::string_view kIndexVersion = "17";

// How the pages of one list are named and laid out.
struct TIndexLayout {
    std::string BaseName;     // start of every page file name, "_IxH"
    std::string TemplateName; // in the template directory, "_IxH.vlb"
    std::int32_t RowsPerPage = 10;
    std::int32_t CellsPerRow = 3;
    std::uint8_t CellAlign = AlignLeft;
    std::uint8_t CellVAlign = AlignCenter;
    std::int32_t CellWidth = 0;  // pixels, 0 for none
    std::int32_t CellHeight = 0; // pixels, 0 for none
};

// One paged list of the index of a Web, filled site by site, and the
// generator the other lists are made of. This class itself is the list of
// the HTML pages of a site.
//
// A list gathers the table rows of the page being filled in Content and
// writes the page from its template as soon as it is full: every line of the
// template goes to the page with its VLBN_ variables replaced (IndexVariables.h).
// Pages go into the Web's directory, beside the captured files, so every link
// they hold is a bare file name. For each site the cycle is BeginSite,
// SetItemCount, OfferFile for every file of the site, FinishSite; page numbers
// run on across the sites of a Web (NextFirstPage).
//
// Texts that come from the captured site (descriptions, addresses, MIME
// types, the Web's title) are HTML-escaped wherever they are written, and a
// local file is only linked to when its name is a safe bare name and the
// file exists, so that the pages hold no markup of the site and no link that
// leads nowhere. A page that cannot be written, or whose name a captured file
// already has (that file is kept), is noted in Errors() and the list goes on.
class TPageIndex {
public:
    // The list of HTML pages: rowsPerPage rows of three cells per page.
    // templateDir ends with "/".
    TPageIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir);
    virtual ~TPageIndex();
    // The Web's texts and counters changed (a pass measured its files): the
    // pages written from now on show these.
    void SetWeb(const TWebDescription& web) { m_web = web; }
    TPageIndex(const TPageIndex&) = delete;
    TPageIndex& operator=(const TPageIndex&) = delete;

    // Writes the value of a template variable (1 to 40, IndexVariable) into page.
    virtual void WriteVariable(std::string& page, int variable);
    // The number of items the site will list (0 to 32767): gives PageCount.
    virtual void SetItemCount(std::int32_t count);
    // Lists the file when it belongs to this list; tells whether it did.
    virtual bool OfferFile(const TWebFile& file);
    // Whether OfferFile takes the file (which is then also counted as an item).
    virtual bool Accepts(const TWebFile& file) const;

    // Starts the list of a site whose pages are numbered from firstPage on.
    // homePage is the stored file of the site's first page.
    void BeginSite(std::string_view title, std::string_view url, std::int32_t firstPage, std::string_view homePage);
    // Writes the page being filled, when it holds anything.
    void FlushPage();
    // Ends the site: writes the last page, then, should fewer items have come
    // than SetItemCount announced, empty pages up to PageCount, so that every
    // page the navigation offers exists.
    void FinishSite();

    // BaseName + ".htm" for n <= 0, else BaseName + n in upper-case
    // hexadecimal of at least two digits + ".htm": "_IxH01.htm", "_IxH0A.htm".
    std::string PageFileName(std::int32_t n) const;
    // The first page number free for the next site: past every page this
    // list announced or wrote.
    std::int32_t NextFirstPage() const;

    const TIndexLayout& Layout() const { return m_layout; }
    const std::string& TemplateDir() const { return m_templateDir; }
    const std::string& SiteTitle() const { return m_siteTitle; }
    const std::string& SiteUrl() const { return m_siteUrl; }
    const std::string& SiteHomePage() const { return m_siteHomePage; }
    std::int32_t FirstPage() const { return m_firstPage; }
    std::int32_t PageCount() const { return m_pageCount; }
    // Pages of the current site written so far.
    std::int32_t PageNumber() const { return m_pageNumber; }
    std::int32_t ItemCount() const { return m_itemCount; }
    std::int32_t RowCount() const { return m_rowCount; }
    std::int32_t CellCount() const { return m_cellCount; }
    // The rows of the page being filled.
    const std::string& Content() const { return m_content; }
    // Why pages were not written, oldest first.
    const std::vector<std::string>& Errors() const { return m_errors; }

protected:
    TPageIndex(const TWebDescription& web, TIndexLayout layout, std::string templateDir);

    const TWebDescription& Web() const { return m_web; }

    // Content holds only CR LF; no row, no cell.
    void Reset();
    void BeginCell();
    void EndCell();
    void EndRow();
    // Cells of text that is HTML already (escaped site text, or our own).
    void TextCell(std::string_view html);
    void LinkCell(std::string_view href, std::string_view html);
    // The description of the file, or its name when it has none.
    void DescriptionCell(const TWebFile& file);
    // The file's name, linking to the stored file when there is one.
    void FileNameCell(const TWebFile& file);
    // The file's address, as a link when it is a web address.
    void AddressCell(const TWebFile& file);
    void Append(std::string_view html) { m_content.append(html); }
    // Writes the page at once when it is full.
    void FlushIfFull();

    // Stored by the capture: CapturedPage or CapturedFile.
    static bool IsStored(const TWebFile& file);
    // The file's entry in the Web's MIME table; none when the table no longer has its type.
    const TMimeItem* MimeOf(const TWebFile& file) const;
    std::string AddressOf(const TWebFile& file) const;
    // The full name of a stored file.
    std::string LocalFileName(std::string_view name) const;
    // A safe bare name whose file exists in the Web's directory.
    bool HasLocalFile(std::string_view name) const;
    // The link target of a stored file; the home page of the index when
    // there is no such file, so that a template's link always leads somewhere.
    std::string LinkToFileOrHome(std::string_view name) const;

    void SetPageCount(std::int32_t count) { m_pageCount = count; }
    void NoteError(std::string message) { m_errors.push_back(std::move(message)); }

private:
    // The template's lines; none when there is no template.
    const std::vector<std::string>* TemplateLines();
    // Writes the page of Content; then Content is reset and PageNumber moves on.
    void WritePage();
    void StorePage(const std::string& name, const std::string& page);
    bool IsCapturedName(const std::string& name);

    TWebDescription m_web;
    TIndexLayout m_layout;
    std::string m_templateDir;
    std::string m_siteTitle;
    std::string m_siteUrl;
    std::string m_siteHomePage;
    std::int32_t m_firstPage = 0;
    std::int32_t m_pageCount = 0;
    std::int32_t m_pageNumber = 0;
    std::int32_t m_itemCount = 0;
    std::int32_t m_rowCount = 0;
    std::int32_t m_cellCount = 0;
    std::string m_content;
    std::vector<std::string> m_errors;

    bool m_templateRead = false;
    std::optional<std::vector<std::string>> m_template;
    // Names of the Web's stored files that an index page could take, folded.
    std::optional<std::unordered_set<std::string, NoCaseHash, NoCaseEqual>> m_capturedNames;
};

} // namespace velbrin
