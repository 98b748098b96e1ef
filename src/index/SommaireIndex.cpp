#include "index/SommaireIndex.h"

#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebTree.h"
#include "config/ProgramDir.h"
#include "config/SommaireParam.h"
#include "core/Errors.h"
#include "core/Files.h"
#include "core/Text.h"
#include "index/IndexTexts.h"
#include "index/IndexVariables.h"

namespace velbrin {

namespace {

constexpr std::int32_t kSitesPerPage = 100;
// The template files themselves stay behind; everything else is copied.
constexpr std::string_view kCopiedFiles = "+*,-vlb";

constexpr std::array<std::string_view, 4> kListCaptions = {"Htmls", "Images", "Others", "Errors"};
constexpr std::array<std::string_view, 4> kNoListCaptions = {"     ", "      ", "      ", "      "};

TIndexLayout SommaireLayout()
{
    return {"_Home", "_Home.vlb", kSitesPerPage, 5, AlignLeft, AlignCenter, 0, 0};
}

} // namespace

std::string IndexTemplateDir()
{
    return ProgramDir() + "index/";
}

TSommaireIndex::TSommaireIndex(const TWebDescription& web, const TSommaireParam& params, TPictureSizeReader readSize,
                               std::string templateDir)
    : TPageIndex(web, SommaireLayout(), templateDir)
    , m_htmlList(std::make_unique<TPageIndex>(web, params.LigByPage, templateDir))
    , m_imageList(std::make_unique<TImageIndex>(web, params, templateDir, std::move(readSize)))
    , m_otherList(std::make_unique<TOtherIndex>(web, params.LigByPage, templateDir))
    , m_errorList(std::make_unique<TErrorIndex>(web, params.LigByPage, templateDir))
{
    if (web.Path.empty())
        return;
    try {
        CopyFilesByExtension(web.Path, templateDir, kCopiedFiles);
    } catch (const EVelbrinError& error) {
        NoteError("Index files not copied from " + templateDir + ": " + error.what());
    }
}

TSommaireIndex::~TSommaireIndex()
{
    if (m_finished)
        return;
    try {
        Finish();
    } catch (...) {
        // Nobody is left to tell; Finish() is the way to hear of it.
    }
}

std::array<TPageIndex*, 4> TSommaireIndex::Lists()
{
    return {m_htmlList.get(), m_imageList.get(), m_otherList.get(), m_errorList.get()};
}

void TSommaireIndex::AddSite(std::string_view title, std::string_view url, std::string_view homePage,
                             std::int32_t htmlCount, std::int32_t imageCount, std::int32_t otherCount,
                             std::int32_t errorCount, TStream* sizes)
{
    AddSite(title, url, homePage, TSiteCounts{htmlCount, imageCount, otherCount, errorCount}, sizes);
}

void TSommaireIndex::AddSite(std::string_view title, std::string_view url, std::string_view homePage,
                             const TSiteCounts& counts, TStream* sizes)
{
    if (m_siteOpen)
        EndSite();
    BeginSite(title, url, 0, homePage);
    for (TPageIndex* list : Lists())
        list->BeginSite(title, url, list->NextFirstPage(), homePage);
    m_imageList->SetSizeStream(sizes);
    m_imageList->SetItemCount(counts.Images);
    m_htmlList->SetItemCount(counts.Html);
    m_errorList->SetItemCount(counts.Errors);
    m_otherList->SetItemCount(counts.Others);
    m_sites.push_back({std::string(title), std::string(homePage), {}});
    m_siteOpen = true;
}

bool TSommaireIndex::Accepts(const TWebFile& file) const
{
    return Classify(file) != IndexList::None;
}

bool TSommaireIndex::OfferFile(const TWebFile& file)
{
    if (!m_siteOpen)
        return false;
    return m_imageList->OfferFile(file) || m_htmlList->OfferFile(file) || m_otherList->OfferFile(file)
           || m_errorList->OfferFile(file);
}

IndexList TSommaireIndex::Classify(const TWebFile& file) const
{
    if (m_imageList->Accepts(file))
        return IndexList::Image;
    if (m_htmlList->Accepts(file))
        return IndexList::Html;
    if (m_otherList->Accepts(file))
        return IndexList::Other;
    if (m_errorList->Accepts(file))
        return IndexList::Error;
    return IndexList::None;
}

void TSommaireIndex::CountFile(const TWebFile& file, TSiteCounts& counts, TStream* sizes) const
{
    switch (Classify(file)) {
    case IndexList::Image: {
        TPictureSize size = m_imageList->PictureSizeOf(file);
        if (sizes)
            AppendPictureSize(*sizes, size);
        if (m_imageList->IsListed(size))
            ++counts.Images;
        break;
    }
    case IndexList::Html: ++counts.Html; break;
    case IndexList::Other: ++counts.Others; break;
    case IndexList::Error: ++counts.Errors; break;
    case IndexList::None: break;
    }
}

void TSommaireIndex::FlushLists()
{
    if (m_siteOpen)
        EndSite();
}

void TSommaireIndex::EndSite()
{
    m_siteOpen = false;
    TSiteRow& row = m_sites.back();
    std::array<TPageIndex*, 4> lists = Lists();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        lists[i]->FinishSite();
        if (lists[i]->PageNumber() > 0)
            row.ListPage[i] = lists[i]->PageFileName(lists[i]->FirstPage());
    }
    m_imageList->SetSizeStream(nullptr);
}

void TSommaireIndex::SetWeb(const TWebDescription& web)
{
    TPageIndex::SetWeb(web);
    m_htmlList->SetWeb(web);
    m_imageList->SetWeb(web);
    m_otherList->SetWeb(web);
    m_errorList->SetWeb(web);
}

void TSommaireIndex::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_siteOpen)
        EndSite();
    // The rows wait until now so that the home page knows how many pages it has.
    SetItemCount(static_cast<std::int32_t>(m_sites.size()));
    for (const TSiteRow& row : m_sites) {
        WriteSiteRow(row);
        FlushIfFull();
    }
    FlushPage();

    std::vector<std::string> errors = AllErrors();
    if (!errors.empty()) {
        std::string message = errors.front();
        if (errors.size() > 1)
            message += " (and " + std::to_string(errors.size() - 1) + " more)";
        throw EInOutError(message);
    }
}

void TSommaireIndex::WriteSiteRow(const TSiteRow& row)
{
    if (HasLocalFile(row.HomePage))
        LinkCell(LocalHref(row.HomePage), PageText(row.Title));
    else
        TextCell(PageText(row.Title));
    for (std::size_t i = 0; i < row.ListPage.size(); ++i) {
        if (row.ListPage[i].empty())
            TextCell(kNoListCaptions[i]);
        else
            LinkCell(row.ListPage[i], kListCaptions[i]);
    }
}

void TSommaireIndex::WriteVariable(std::string& page, int variable)
{
    if (variable == VarSiteTitle)
        page += "Site list";
    else
        TPageIndex::WriteVariable(page, variable);
}

std::vector<std::string> TSommaireIndex::AllErrors() const
{
    std::vector<std::string> errors = Errors();
    for (const TPageIndex* list :
         {static_cast<const TPageIndex*>(m_htmlList.get()), static_cast<const TPageIndex*>(m_imageList.get()),
          static_cast<const TPageIndex*>(m_otherList.get()), static_cast<const TPageIndex*>(m_errorList.get())})
        errors.insert(errors.end(), list->Errors().begin(), list->Errors().end());
    return errors;
}

} // namespace velbrin
