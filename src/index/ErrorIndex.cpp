#include "index/ErrorIndex.h"

#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebTree.h"

namespace velbrin {

TErrorIndex::TErrorIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir)
    : TPageIndex(web, TIndexLayout{"_IxE", "_IxE.vlb", rowsPerPage, 3, AlignLeft, AlignCenter, 0, 0},
                 std::move(templateDir))
{
}

bool TErrorIndex::Accepts(const TWebFile& file) const
{
    return file.State == StateError || file.State == StateNotFound;
}

bool TErrorIndex::OfferFile(const TWebFile& file)
{
    if (!Accepts(file))
        return false;
    DescriptionCell(file);
    AddressCell(file);
    TextCell(file.State == StateError ? "<B>In error</B>" : "<B>Not Found</B>");
    FlushIfFull();
    return true;
}

} // namespace velbrin
