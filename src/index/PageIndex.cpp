#include "index/PageIndex.h"
#include "core/SystemFiles.h"

#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebTree.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/Text.h"
#include "html/LinkParam.h"
#include "index/IndexTexts.h"
#include "index/IndexVariables.h"
#include "index/PageNavigation.h"
#include "store/WebTreeWalk.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace velbrin {

namespace {

constexpr std::size_t kContentCapacity = 4096;

// A count of items spread over pages of perPage items.
std::int32_t PagesFor(std::int32_t items, std::int64_t perPage)
{
    if (items <= 0 || perPage <= 0)
        return 0;
    return static_cast<std::int32_t>((std::int64_t{items} + perPage - 1) / perPage);
}

void AppendNumber(std::string& page, std::int64_t value)
{
    page += std::to_string(value);
}

TIndexLayout HtmlListLayout(std::int32_t rowsPerPage)
{
    return {"_IxH", "_IxH.vlb", rowsPerPage, 3, AlignLeft, AlignCenter, 0, 0};
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace

std::string_view CellAlignmentName(std::uint8_t alignment)
{
    static constexpr std::array<std::string_view, 12> names = {
        "", "Left", "Right", "Top", "Bottom", "Center", "TextTop", "Middle", "Baseline", "AbsBottom", "AbsMiddle",
        "RightJustify",
    };
    return alignment < names.size() ? names[alignment] : std::string_view();
}

TPageIndex::TPageIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir)
    : TPageIndex(web, HtmlListLayout(rowsPerPage), std::move(templateDir))
{
}

TPageIndex::TPageIndex(const TWebDescription& web, TIndexLayout layout, std::string templateDir)
    : m_web(web)
    , m_layout(std::move(layout))
    , m_templateDir(std::move(templateDir))
{
    // A page of no rows, or a row of no cells, would never fill.
    m_layout.RowsPerPage = std::max(m_layout.RowsPerPage, 1);
    m_layout.CellsPerRow = std::max(m_layout.CellsPerRow, 1);
    m_content.reserve(kContentCapacity);
    Reset();
}

TPageIndex::~TPageIndex() = default;

// --- Cells and rows ---------------------------------------------------------

void TPageIndex::Reset()
{
    m_content.assign("\r\n");
    m_rowCount = 0;
    m_cellCount = 0;
}

void TPageIndex::BeginCell()
{
    if (m_cellCount == 0 || m_cellCount >= m_layout.CellsPerRow) {
        m_content += "<TR>";
        m_cellCount = 0;
    }
    m_content += "<TD ";
    if (std::string_view align = CellAlignmentName(m_layout.CellAlign); !align.empty())
        m_content.append("ALIGN=\"").append(align).append("\" ");
    if (std::string_view align = CellAlignmentName(m_layout.CellVAlign); !align.empty())
        m_content.append("VALIGN=\"").append(align).append("\" ");
    if (m_layout.CellWidth > 0)
        m_content.append("WIDTH=\"").append(std::to_string(m_layout.CellWidth)).append("\" ");
    if (m_layout.CellHeight > 0)
        m_content.append("HEIGHT=\"").append(std::to_string(m_layout.CellHeight)).append("\" ");
    m_content += ">";
}

void TPageIndex::EndCell()
{
    m_content += "</TD>\r\n";
    if (++m_cellCount >= m_layout.CellsPerRow)
        EndRow();
}

void TPageIndex::EndRow()
{
    m_content += "</TR>\r\n";
    if (++m_rowCount == m_layout.RowsPerPage)
        m_content += "\r\n";
}

void TPageIndex::TextCell(std::string_view html)
{
    BeginCell();
    m_content.append(html);
    EndCell();
}

void TPageIndex::LinkCell(std::string_view href, std::string_view html)
{
    BeginCell();
    m_content.append("<A HREF=\"").append(href).append("\">").append(html).append("</A>\r\n");
    EndCell();
}

void TPageIndex::DescriptionCell(const TWebFile& file)
{
    const std::string& description = file.GetDescription();
    TextCell(PageText(description.empty() ? file.GetFileName() : description));
}

void TPageIndex::FileNameCell(const TWebFile& file)
{
    const std::string& name = file.GetFileName();
    if (HasLocalFile(name))
        LinkCell(LocalHref(name), PageText(name));
    else
        TextCell(PageText(name));
}

void TPageIndex::AddressCell(const TWebFile& file)
{
    std::string address = PageText(AddressOf(file));
    if (IsWebAddress(address))
        LinkCell(address, address);
    else
        TextCell(address);
}

void TPageIndex::FlushIfFull()
{
    if (m_rowCount >= m_layout.RowsPerPage && m_cellCount >= m_layout.CellsPerRow)
        FlushPage();
}

// --- The files of the Web ---------------------------------------------------

bool TPageIndex::IsStored(const TWebFile& file)
{
    return file.State == StateCapturedPage || file.State == StateCapturedFile;
}

const TMimeItem* TPageIndex::MimeOf(const TWebFile& file) const
{
    return m_web.MimeList->GetMimeByString(file.GetMimeType());
}

std::string TPageIndex::AddressOf(const TWebFile& file) const
{
    return m_web.Tree->GetFileUrl(file);
}

std::string TPageIndex::LocalFileName(std::string_view name) const
{
    return m_web.Path + std::string(name);
}

bool TPageIndex::HasLocalFile(std::string_view name) const
{
    return !m_web.Path.empty() && !LocalHref(name).empty() && FileExists(LocalFileName(name));
}

// --- The list of HTML pages -------------------------------------------------

bool TPageIndex::Accepts(const TWebFile& file) const
{
    if (file.GetLinkType() != LinkTypePage || !IsStored(file))
        return false;
    const TMimeItem* mime = MimeOf(file);
    return mime && mime->MimeClass == MimeClassHtml;
}

bool TPageIndex::OfferFile(const TWebFile& file)
{
    if (!Accepts(file))
        return false;
    DescriptionCell(file);
    FileNameCell(file);
    AddressCell(file);
    FlushIfFull();
    return true;
}

// --- Sites and pages --------------------------------------------------------

void TPageIndex::BeginSite(std::string_view title, std::string_view url, std::int32_t firstPage,
                           std::string_view homePage)
{
    m_firstPage = std::max(firstPage, 0);
    m_pageNumber = 0;
    m_pageCount = 0;
    m_itemCount = 0;
    Reset();
    m_siteTitle = title;
    m_siteUrl = url;
    m_siteHomePage = homePage;
}

void TPageIndex::SetItemCount(std::int32_t count)
{
    // No site holds more items than a Web's tree holds files; a count beyond
    // that would only make FinishSite write empty pages without end.
    m_itemCount = std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(TWebTree::kMaxFiles));
    m_pageCount = PagesFor(m_itemCount, m_layout.RowsPerPage);
    Reset();
}

void TPageIndex::FlushPage()
{
    if (m_rowCount == 0 && m_cellCount == 0)
        return;
    if (m_rowCount < m_layout.RowsPerPage) {
        EndRow();
        m_content += "\r\n";
    }
    WritePage();
}

void TPageIndex::FinishSite()
{
    FlushPage();
    while (m_pageNumber < m_pageCount && TemplateLines())
        WritePage();
}

std::string TPageIndex::PageFileName(std::int32_t n) const
{
    if (n <= 0)
        return m_layout.BaseName + ".htm";
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(n));
    return m_layout.BaseName + digits + ".htm";
}

std::int32_t TPageIndex::NextFirstPage() const
{
    return m_firstPage + std::max(m_pageCount, m_pageNumber);
}

const std::vector<std::string>* TPageIndex::TemplateLines()
{
    if (!m_templateRead) {
        m_templateRead = true;
        std::string fileName = m_templateDir + m_layout.TemplateName;
        if (FileExists(fileName)) {
            try {
                // A template written in Latin-1 makes UTF-8 pages too.
                m_template = SplitLines(ToUtf8(ReadWholeFile(fileName)));
            } catch (const EVelbrinError& error) {
                NoteError("Index template " + fileName + " not read: " + error.what());
            }
        }
    }
    return m_template ? &*m_template : nullptr;
}

void TPageIndex::WritePage()
{
    const std::vector<std::string>* lines = TemplateLines();
    if (!lines) {
        // No template, no page of this kind; the rows are of no further use.
        Reset();
        return;
    }
    std::string page;
    page.reserve(m_content.size() + 8192);
    TVariableWriter write = [this](std::string& out, int variable) { WriteVariable(out, variable); };
    for (const std::string& line : *lines)
        SubstituteLine(line, page, write);
    StorePage(PageFileName(m_firstPage + m_pageNumber), page);
    Reset();
    ++m_pageNumber;
}

void TPageIndex::StorePage(const std::string& name, const std::string& page)
{
    if (m_web.Path.empty()) {
        NoteError("Index page " + name + " not written: the Web has no directory");
        return;
    }
    if (IsCapturedName(name)) {
        NoteError("Index page " + name + " not written: a captured file of the Web has this name");
        return;
    }
    try {
        WriteWholeFile(LocalFileName(name), page, 0644, TFlush::Cached);
    } catch (const EVelbrinError& error) {
        NoteError("Index page " + name + " not written: " + error.what());
    }
}

bool TPageIndex::IsCapturedName(const std::string& name)
{
    if (!m_capturedNames) {
        m_capturedNames.emplace();
        auto visit = [this](TWebFile& file, std::string*) {
            // Index pages all begin with "_".
            if (IsStored(file) && file.GetFileName().starts_with('_'))
                m_capturedNames->insert(file.GetFileName());
            return false;
        };
        detail::WalkWebNode(m_web.Tree->Root(), nullptr, visit);
    }
    return m_capturedNames->contains(name);
}

// --- Variables --------------------------------------------------------------

std::string TPageIndex::LinkToFileOrHome(std::string_view name) const
{
    return HasLocalFile(name) ? LocalHref(name) : std::string(kHomePageName);
}

void TPageIndex::WriteVariable(std::string& page, int variable)
{
    const TCaptureInfo& session = m_web.LastCaptureInfo;
    switch (variable) {
    case VarVersion: page += kIndexVersion; break;
    case VarSommaire: page += kHomePageName; break;
    case VarTitle:
    case VarPageTitle: page += PageText(m_web.Title); break;
    case VarUrl: page += PageText(m_web.Url); break;
    case VarHomePage: page += LinkToFileOrHome(m_web.HomePage); break;
    case VarCaptureDate: page += ToUtf8(FormatLongDate(m_web.CaptureDate)); break;
    case VarCaptureTitle: page += PageText(m_siteTitle); break;
    case VarCaptureUrl: page += PageText(m_siteUrl); break;
    case VarCaptureSize: page += SizeText(m_web.TotalSize); break;
    case VarCaptureHomePage: page += LinkToFileOrHome(m_siteHomePage); break;
    case VarCaptureErrorCount: AppendNumber(page, m_web.ErrorCount); break;
    case VarCaptureNotFoundCount: AppendNumber(page, m_web.NotFoundCount); break;
    case VarCaptureHtmlCount: AppendNumber(page, m_web.CapturedCount); break;
    case VarCaptureFilteredCount: AppendNumber(page, m_web.FilteredCount); break;
    case VarSessionErrorCount: AppendNumber(page, session.SessionErrors); break;
    case VarSessionNotFoundCount: AppendNumber(page, session.SessionNotFound); break;
    case VarSessionCapturedCount: AppendNumber(page, session.SessionCaptured); break;
    case VarSessionFilteredCount: AppendNumber(page, session.SessionFiltered); break;
    case VarSessionStartTime: page += ToUtf8(FormatLongDate(session.StartDate)); break;
    case VarSessionStopTime: page += ToUtf8(FormatLongDate(session.EndDate)); break;
    case VarSessionTime: page += ToUtf8(SessionTimeText(session.StartDate, session.EndDate)); break;
    case VarSessionSize: page += std::to_string(session.ReceivedKb) + " Kb"; break;
    case VarSessionSpeed:
        page += std::to_string(SessionSpeed(session.ReceivedKb, session.StartDate, session.EndDate)) + " bytes/s";
        break;
    case VarPageCount: AppendNumber(page, m_pageCount); break;
    case VarPageNumber: AppendNumber(page, std::int64_t{m_pageNumber} + 1); break;
    case VarPageNext:
        page += m_pageNumber < m_pageCount - 1 ? PageFileName(m_firstPage + m_pageNumber + 1)
                                               : std::string(kHomePageName);
        break;
    case VarPageBack:
        page += m_pageNumber > 0 ? PageFileName(m_firstPage + m_pageNumber - 1) : std::string(kHomePageName);
        break;
    case VarPageIndex:
        WritePageNavigation(page, m_pageCount, m_pageNumber,
                            [this](std::int32_t k) { return PageFileName(m_firstPage + k); });
        break;
    case VarImageTable:
    case VarHtmlTable:
    case VarSoundTable:
    case VarVideoTable:
    case VarOtherTable: page += m_content; break;
    default:
        // VLBN_CAPTURE_IMAGECOUNT and VLBN_SITE_TITLE belong to the picture
        // list and the home page; the others have no value.
        break;
    }
}

} // namespace velbrin
