#include "capture/Web.h"

#include "core/Url.h"

namespace velbrin {

bool TWEB::LinkFilter(const TWebFile& record)
{
    if (record.State != StateToExplore)
        return false;
    std::string url = Tree.GetFileUrl(record);
    if (!IsFetchableProtocol(GetProtocol(url))) {
        LogUrl(url, " filtr\xE9 : Protocole incorrect");
        return false;
    }

    switch (record.GetLinkType()) {
    case LinkTypePage:
        // Depth limits apply to page links only.
        if (record.WebDepth > 0) {
            if (record.WebDepth > Options.ExternalWebDepth) {
                LogUrl(url, " filtr\xE9 : Externe au domaine principal");
                return false;
            }
            if (record.LinkDepth > Options.ExternalLinkDepth) {
                LogUrl(url, " filtr\xE9 : Niveau externe max atteint");
                return false;
            }
            return true;
        }
        if (record.LinkDepth > Options.InternalLinkDepth)
            return false;
        if (Options.InternalPathLimit) {
            std::string directory = GetDirectory(url);
            if (!IsUnderDirectory(directory, GetDirectory(Url)) && directory.find("cgi-bin") == std::string::npos) {
                LogUrl(url, " filtr\xE9 : Niveau interne max atteint");
                return false;
            }
        }
        return true;
    case LinkTypeInline:
        return !Options.RefLimit && !Options.BackgroundOnlyFlag;
    default:
        return !Options.RefLimit;
    }
}

bool TWEB::Filter(const TWebFile& record, std::int64_t size, std::string_view url)
{
    const std::string& type = record.GetMimeType();
    const TMimeItem* mime = MimeList.GetMimeByString(type);
    if (!mime) {
        // Learnt, so that the user can choose to capture it next time. A
        // response without a type teaches nothing.
        if (!type.empty())
            MimeList.AddMime(type, GetExtension(url), "Other", false);
        return false;
    }
    if (mime->MimeClass == MimeClassHtml)
        return true;
    if (!mime->Capture)
        return false;
    if (size <= 0)
        return true;
    if (Options.MinFileSize > 0 && size < static_cast<std::int64_t>(Options.MinFileSize) * 1024)
        return false;
    if (Options.MaxFileSize > 0 && size > static_cast<std::int64_t>(Options.MaxFileSize) * 1024)
        return false;
    return true;
}

} // namespace velbrin
