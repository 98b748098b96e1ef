#include "browser/WebBookmark.h"

#include "browser/Bookmarks.h"
#include "browser/BrowserLaunch.h"
#include "config/Param.h"
#include "core/Text.h"
#include "core/Url.h"

namespace velbrin {

namespace {

// Releases the tree when the command ends, whichever way it ends.
class TReleaseAtEnd {
public:
    explicit TReleaseAtEnd(TBookMarks& bookmarks)
        : m_bookmarks(bookmarks)
    {
    }
    ~TReleaseAtEnd() { m_bookmarks.Release(); }
    TReleaseAtEnd(const TReleaseAtEnd&) = delete;
    TReleaseAtEnd& operator=(const TReleaseAtEnd&) = delete;

private:
    TBookMarks& m_bookmarks;
};

// A plain text for the bookmark file, which browsers read as UTF-8.
std::string FileText(std::string_view text)
{
    return HtmlEscape(ToUtf8(text));
}

bool LoadSettingsFile(TBookMarks& bookmarks, const TParam& param)
{
    bookmarks.SetFileName(param.BookmarkFile);
    return bookmarks.Load() == BookmarksLoaded;
}

} // namespace

std::string WebBookmarkAddress(std::string_view webDirectory)
{
    return HtmlEscape(MakeFileUrl(WebHomePage(webDirectory)));
}

TBookmarkChange AddWebBookmark(TBookMarks& bookmarks, TParam& param, const TWebBookmark& web,
                               const TBrowserPrompts& prompts)
{
    TReleaseAtEnd release(bookmarks);
    if (!LoadSettingsFile(bookmarks, param)) {
        if (!param.UseBookmark)
            return TBookmarkChange::NotLoaded;
        const bool chosen = prompts.Ask(TErrorKind::BookmarkFile, "Create or choose another bookmark file?",
                                        mbYes | mbNo) == TModalResult::Yes &&
                            prompts.Edit(kBrowserSettingsPage);
        if (!chosen) {
            param.UseBookmark = false;
            return TBookmarkChange::NotLoaded;
        }
        if (!LoadSettingsFile(bookmarks, param))
            return TBookmarkChange::NotLoaded;
    }

    const std::string folderName = FileText(param.BookmarkFolder);
    TBookmarkFolder* folder = bookmarks.FindFolder(folderName);
    if (folder == nullptr)
        folder = &bookmarks.AddFolder(std::make_unique<TBookmarkFolder>(folderName));

    const std::string address = WebBookmarkAddress(web.Directory);
    const std::string title = FileText(web.Title);
    TBookmarkChange change = TBookmarkChange::None;
    if (TBookmarkItem* item = folder->FindItem(address)) {
        // An untitled Web's bookmark is titled with its address: that is no change.
        const std::string& wanted = title.empty() ? address : title;
        if (item->Title != wanted) {
            item->Title = wanted;
            change = TBookmarkChange::Retitled;
        }
    } else {
        folder->AddItem(std::make_unique<TBookmarkItem>(address, title, FileText(web.StartUrl)));
        change = TBookmarkChange::Added;
    }
    if (change != TBookmarkChange::None || bookmarks.Modified) {
        bookmarks.Modified = true;
        bookmarks.Save();
    }
    return change;
}

bool RemoveWebBookmark(TBookMarks& bookmarks, const TParam& param, std::string_view webDirectory)
{
    TReleaseAtEnd release(bookmarks);
    if (!LoadSettingsFile(bookmarks, param))
        return false;
    TBookmarkFolder* folder = bookmarks.FindFolder(FileText(param.BookmarkFolder));
    if (folder == nullptr)
        return false;
    TBookmarkItem* item = folder->FindItem(WebBookmarkAddress(webDirectory));
    if (item == nullptr)
        return false;
    item->Parent()->RemoveItem(item);
    if (folder->Children().empty())
        bookmarks.RemoveFolder(folder);
    bookmarks.Modified = true;
    bookmarks.Save();
    return true;
}

} // namespace velbrin
