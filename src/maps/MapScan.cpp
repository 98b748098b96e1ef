#include "maps/MapScan.h"

#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/ShortString.h"
#include "html/HtmlParser.h"
#include "maps/MapFile.h"
#include "store/LocalName.h"

namespace velbrin {

namespace {

// The address a tag was captured with: OLDREF once the page was rewritten.
const std::string& CapturedAddress(const TLinkParam& link)
{
    return link.OldLink.Value.empty() ? link.Link.Value : link.OldLink.Value;
}

} // namespace

int BuildPageMaps(std::string_view pageUrl, const std::string& pageFile, const TWebTree& tree, TMAPLIST& maps)
{
    if (!FileExists(pageFile))
        return 0;
    TMemoryStreamEx page;
    page.LoadFromFile(pageFile);
    THtmlParser parser(page);

    int added = 0;
    std::string currentLink;
    std::string currentTarget;
    TLinkParam link;
    for (int i = 0; i < parser.Count(); ++i) {
        const TTag& item = parser.Item(i);
        if (!item.IsOpen() || item.IsBoundary())
            continue;
        if (item.Kind == TagA)
            currentLink.clear();
        if (!parser.GetLink(i, link))
            continue;
        const std::string& address = CapturedAddress(link);
        if (address.empty())
            continue;

        if (item.Kind == TagA) {
            currentLink = address;
            if (link.IsMap) {
                TTagParam target;
                parser.GetParam("TARGET", i, target);
                currentTarget = target.Value;
            }
        } else if (item.Kind == TagImg && link.IsMap) {
            const TWebFile* picture = tree.FindFile(address);
            if (!picture || picture->State != StateCapturedFile)
                continue;
            const std::string& imageFile = picture->GetFileName();
            if (imageFile.empty() || !IsSafeLocalName(imageFile) || maps.Find(imageFile) >= 0)
                continue;
            TMapImg entry;
            entry.ImageFile = imageFile;
            entry.MapFile = MapFileName(imageFile);
            entry.MapLink = currentLink;
            entry.Description = picture->GetDescription();
            entry.Page = ShortString(pageUrl);
            entry.Target = currentTarget;
            if (maps.Add(std::move(entry)))
                ++added;
        }
    }
    return added;
}

} // namespace velbrin
