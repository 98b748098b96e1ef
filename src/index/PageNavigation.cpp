#include "index/PageNavigation.h"

#include "core/Text.h"

namespace velbrin {

namespace {

constexpr std::int32_t kCellsPerRow = 25;
constexpr std::int32_t kRows = 2;

} // namespace

void WritePageNavigation(std::string& page, std::int32_t pageCount, std::int32_t pageNumber,
                         const std::function<std::string(std::int32_t k)>& pageFile)
{
    // Our own texts are Latin-1; the page is UTF-8.
    page += Latin1ToUtf8("\r\n<!-- D\xE9" "but Index sur les Pages -->\r\n");
    page += "<TABLE BORDER=\"0\" CELLSPACING=\"5\">\r\n";
    const std::int64_t offered = kRows * kCellsPerRow;
    const auto step = static_cast<std::int32_t>((std::int64_t{pageCount} + offered - 1) / offered);
    std::int64_t k = 0;
    for (std::int32_t row = 0; row < kRows && k < pageCount; ++row) {
        page += "<TR>";
        for (std::int32_t cell = 0; cell < kCellsPerRow && k < pageCount; ++cell) {
            page += "<TD>";
            if (cell == 0)
                page += row == 0 ? Latin1ToUtf8("Page n\xB0</TD><TD>") : std::string("</TD><TD>");
            if (k == pageNumber)
                page += "<BLINK><B>" + std::to_string(k + 1) + "</B></BLINK></TD>\r\n";
            else
                page += "<A HREF=\"" + pageFile(static_cast<std::int32_t>(k)) + "\">" + std::to_string(k + 1)
                        + "</A></TD>\r\n";
            k += step;
        }
        page += "</TR>\r\n";
    }
    page += "</TABLE>\r\n<!-- Find Index sur les Pages -->\r\n";
}

} // namespace velbrin
