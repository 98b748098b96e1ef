#include "index/OtherIndex.h"

#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebTree.h"
#include "core/Files.h"
#include "core/Text.h"
#include "index/IndexTexts.h"

namespace velbrin {

TOtherIndex::TOtherIndex(const TWebDescription& web, std::int32_t rowsPerPage, std::string templateDir)
    : TPageIndex(web, TIndexLayout{"_IxO", "_IxO.vlb", rowsPerPage, 4, AlignLeft, AlignCenter, 0, 0},
                 std::move(templateDir))
{
}

bool TOtherIndex::Accepts(const TWebFile& file) const
{
    return IsStored(file);
}

bool TOtherIndex::OfferFile(const TWebFile& file)
{
    if (!Accepts(file))
        return false;
    DescriptionCell(file);
    FileNameCell(file);
    // A type the Web's table has forgotten is shown as the file has it.
    const TMimeItem* mime = MimeOf(file);
    TextCell(PageText(mime ? mime->MimeType : file.GetMimeType()));
    const std::string& name = file.GetFileName();
    if (HasLocalFile(name))
        TextCell(SizeText(GetFileSize(LocalFileName(name))));
    else
        TextCell("Local file not found!");
    FlushIfFull();
    return true;
}

} // namespace velbrin
