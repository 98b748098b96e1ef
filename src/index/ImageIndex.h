#pragma once

#include "index/PageIndex.h"
#include "core/PictureSize.h"

#include <functional>

namespace velbrin {

class TStream;
struct TSommaireParam;

// Reads the size of a stored picture from its file (full name); 0 × 0 when
// it cannot. The desktop and the command line bind media's ReadPictureSize.
using TPictureSizeReader = std::function<TPictureSize(const std::string& fileName)>;

// The thumbnail box of a picture of the given size (0 × 0 when unknown):
// a square of side imgSize, or with keepRatio the picture's own size when it
// fits in that square and else the picture scaled down into it.
TPictureSize ThumbnailSize(TPictureSize picture, std::int32_t imgSize, bool keepRatio);

// The list of the pictures of a site ("_IxI"), as a grid of thumbnails with
// their size and address. Pictures known to be smaller than ImgSizeMin in
// both directions are taken but not shown.
class TImageIndex final : public TPageIndex {
public:
    TImageIndex(const TWebDescription& web, const TSommaireParam& params, std::string templateDir,
                TPictureSizeReader readSize = {});

    // VLBN_CAPTURE_IMAGECOUNT: the pictures listed for the site.
    void WriteVariable(std::string& page, int variable) override;
    // Pages hold RowsPerPage × CellsPerRow pictures.
    void SetItemCount(std::int32_t count) override;
    bool OfferFile(const TWebFile& file) override;
    bool Accepts(const TWebFile& file) const override;

    // Where the sizes of the site's pictures come from, in the order of
    // their files: two 32-bit integers (width, height) per picture, as
    // AppendPictureSize writes them. Not owned. Without one, each picture's
    // size is read when it is offered (PictureSizeOf).
    void SetSizeStream(TStream* sizes) { m_sizes = sizes; }

    // The size of a stored picture, read only when ImgSizeMin or ImgRatio
    // needs it; 0 × 0 otherwise and when it cannot be read.
    TPictureSize PictureSizeOf(const TWebFile& file) const;
    // Whether a picture of this size is shown: not when it is known to be
    // smaller than ImgSizeMin in both directions.
    bool IsListed(TPictureSize size) const;

    std::int32_t ImgSize() const { return m_imgSize; }
    std::int32_t ImgSizeMin() const { return m_imgSizeMin; }
    bool ImgRatio() const { return m_imgRatio; }
    // Pictures offered and taken since the list began, shown or not.
    std::int32_t PictureCount() const { return m_pictureCount; }

private:
    TPictureSize NextSize(const TWebFile& file);
    void PictureCell(const TWebFile& file, TPictureSize size);

    std::int32_t m_imgSize;
    std::int32_t m_imgSizeMin;
    bool m_imgRatio;
    std::int32_t m_pictureCount = 0;
    TStream* m_sizes = nullptr;
    TPictureSizeReader m_readSize;
};

// Appends the size of one picture to a size stream.
void AppendPictureSize(TStream& sizes, TPictureSize size);

} // namespace velbrin
