#include "index/ImageIndex.h"

#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebTree.h"
#include "config/SommaireParam.h"
#include "core/Stream.h"
#include "core/StreamPrimitives.h"
#include "core/Text.h"
#include "index/IndexTexts.h"
#include "index/IndexVariables.h"

#include <algorithm>

namespace velbrin {

namespace {

TIndexLayout ImageListLayout(const TSommaireParam& params)
{
    return {"_IxI", "_IxI.vlb", params.ImgLigByPage, params.ImgColByPage, AlignCenter, AlignCenter, 0, 0};
}

bool IsKnown(TPictureSize size)
{
    return size.Width > 0 && size.Height > 0;
}

std::string Quoted(std::int64_t value)
{
    return "\"" + std::to_string(value) + "\"";
}

} // namespace

TPictureSize ThumbnailSize(TPictureSize picture, std::int32_t imgSize, bool keepRatio)
{
    if (!keepRatio || !IsKnown(picture))
        return {imgSize, imgSize};
    const std::int64_t w = picture.Width;
    const std::int64_t h = picture.Height;
    if (w <= imgSize && h <= imgSize)
        return picture;
    if (h < w)
        return {imgSize, static_cast<std::int32_t>(imgSize * h / w)};
    return {static_cast<std::int32_t>(imgSize * w / h), imgSize};
}

void AppendPictureSize(TStream& sizes, TPictureSize size)
{
    WriteInt(sizes, size.Width);
    WriteInt(sizes, size.Height);
}

TImageIndex::TImageIndex(const TWebDescription& web, const TSommaireParam& params, std::string templateDir,
                         TPictureSizeReader readSize)
    : TPageIndex(web, ImageListLayout(params), std::move(templateDir))
    , m_imgSize(std::max(params.ImgSize, 1))
    , m_imgSizeMin(std::max(params.ImgSizeMin, 0))
    , m_imgRatio(params.ImgRatio)
    , m_readSize(std::move(readSize))
{
}

void TImageIndex::WriteVariable(std::string& page, int variable)
{
    if (variable == VarCaptureImageCount)
        page += std::to_string(ItemCount());
    else
        TPageIndex::WriteVariable(page, variable);
}

void TImageIndex::SetItemCount(std::int32_t count)
{
    TPageIndex::SetItemCount(count);
    const std::int64_t perPage = std::int64_t{Layout().RowsPerPage} * Layout().CellsPerRow;
    SetPageCount(static_cast<std::int32_t>((std::int64_t{ItemCount()} + perPage - 1) / perPage));
}

bool TImageIndex::Accepts(const TWebFile& file) const
{
    if (!IsStored(file))
        return false;
    const TMimeItem* mime = MimeOf(file);
    return mime && mime->MimeClass == MimeClassImage;
}

bool TImageIndex::OfferFile(const TWebFile& file)
{
    if (!Accepts(file))
        return false;
    ++m_pictureCount;
    TPictureSize size = NextSize(file);
    if (!IsListed(size))
        return true;
    PictureCell(file, size);
    FlushIfFull();
    return true;
}

TPictureSize TImageIndex::PictureSizeOf(const TWebFile& file) const
{
    if ((m_imgSizeMin == 0 && !m_imgRatio) || !m_readSize || !HasLocalFile(file.GetFileName()))
        return {};
    TPictureSize size = m_readSize(LocalFileName(file.GetFileName()));
    return IsKnown(size) ? size : TPictureSize{};
}

bool TImageIndex::IsListed(TPictureSize size) const
{
    return !IsKnown(size) || size.Width >= m_imgSizeMin || size.Height >= m_imgSizeMin;
}

TPictureSize TImageIndex::NextSize(const TWebFile& file)
{
    if (!m_sizes)
        return PictureSizeOf(file);
    // A stream that ends early leaves the remaining pictures unknown.
    if (m_sizes->Remaining() < 8)
        return {};
    TPictureSize size;
    size.Width = ReadInt(*m_sizes);
    size.Height = ReadInt(*m_sizes);
    return IsKnown(size) ? size : TPictureSize{};
}

void TImageIndex::PictureCell(const TWebFile& file, TPictureSize size)
{
    // The caption gives the box side for a picture of unknown size.
    const TPictureSize shown = IsKnown(size) ? size : TPictureSize{m_imgSize, m_imgSize};
    const TPictureSize box = ThumbnailSize(size, m_imgSize, m_imgRatio);
    const std::string& name = file.GetFileName();
    const std::string href = HasLocalFile(name) ? LocalHref(name) : std::string();
    const std::string address = PageText(AddressOf(file));
    const std::string caption = "(" + std::to_string(shown.Width) + "x" + std::to_string(shown.Height) + ")";

    BeginCell();
    // WITDH as the template markup has always had it: browsers ignore it, so
    // the caption cell below sets the column's width, not the thumbnail box.
    Append("<TABLE><TR><TD WITDH=" + Quoted(m_imgSize) + " HEIGHT=" + Quoted(m_imgSize)
           + " ALIGN=\"CENTER\" VALIGN=\"CENTER\">\r\n");
    if (!href.empty()) {
        Append("<A HREF=\"" + href + "\"><IMG SRC=\"" + href + "\" WIDTH=" + Quoted(box.Width)
               + " HEIGHT=" + Quoted(box.Height) + " BORDER=\"0\"></IMG></A></TD></TR>\r\n");
        Append("<TR><TD ALIGN=\"CENTER\" VALIGN=\"CENTER\"><A HREF=\"" + href + "\"><FONT SIZE=\"2\">" + caption
               + "</FONT></A><BR>\r\n");
    } else {
        Append("Local file not found!</TD></TR>\r\n");
        Append("<TR><TD ALIGN=\"CENTER\" VALIGN=\"CENTER\"><FONT SIZE=\"2\">" + caption + "</FONT><BR>\r\n");
    }
    if (IsWebAddress(address))
        Append("<A HREF=\"" + address + "\">" + PageText(name) + "</A></TD></TR></TABLE>\r\n");
    else
        Append(PageText(name) + "</TD></TR></TABLE>\r\n");
    EndCell();
}

} // namespace velbrin
