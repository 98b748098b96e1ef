#pragma once

#include "core/DateTime.h"
#include "core/FileReplacer.h"
#include "core/Text.h"
#include "html/Reference.h"
#include "html/Tag.h"
#include "html/TagParam.h"
#include "core/SystemFiles.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velbrin {

class TKeptPages;
struct TFileStamp;
struct TKeptItems;
class TMAPLIST;
class TWebFile;
class TWebTree;

// Where links to addresses that were not stored lead, when they are suppressed.

// How a page is rewritten.
struct TRewriteFlags {
    // Append a footer that links the page to its real address.
    bool RealLinkFlag = false;
    // Page links to http addresses that were not stored lead to "BadLink.htm",
    // such pictures and backgrounds are emptied, and pictures that were
    // server-side image maps stop being ones.
    bool SuppressLinkFlag = false;
};

enum class TRewriteStatus : std::uint8_t {
    Written,    // the page holds its rewritten content
    Unchanged,  // the page already read as the rewrite would write it; not touched
    Missing,    // there is no such file: nothing to do
    UnsafeName, // the name could lead outside the capture directory: not touched
    ReadError,  // the page (or a map file it needs) could not be read: not touched
    WriteError, // the new content could not be written: the page keeps its previous content
};

// What became of one page, for the caller's log.
struct TRewriteResult {
    TRewriteStatus Status = TRewriteStatus::Missing;
    std::string Message; // why the page was not rewritten; empty when it was
    // The page was rewritten from the items kept when it was stored, not
    // tokenized again.
    bool FromKeptItems = false;

    // The page now holds the rewritten content (written or already so).
    bool Done() const { return Status == TRewriteStatus::Written || Status == TRewriteStatus::Unchanged; }
    // The page's bytes may no longer be those it had (written, or a write
    // was tried): items kept for the old bytes are of no more use.
    bool MayHaveChanged() const { return Status == TRewriteStatus::Written || Status == TRewriteStatus::WriteError; }
};

// Rewrites the stored pages of a Web for offline reading, against the Web's
// current tree and map list. All stored files sit in one directory, so a
// link to a stored file is its bare name.
//
// Every link is derived again from the address the tag was captured with
// (its OLDREF attribute when an earlier pass set one, else its link):
// - an address stored as a page, a file, or as not found leads to the
//   stored file ("NotFound.htm" for the latter), and OLDREF keeps the address;
// - otherwise, with SuppressLinkFlag, an http address leads to "BadLink.htm"
//   for a page link and to nothing for a picture or background, OLDREF
//   keeping the address;
// - otherwise the link is the address again, without OLDREF.
// A BASE tag loses its HREF, so that relative addresses resolve against the
// stored page. A picture marked ISMAP whose stored file has a map entry and
// map file is pointed at its stored file like any picture and at a
// client-side map: its ISMAP attribute becomes USEMAP, and a block holding
// the map file follows the picture and its text. With SuppressLinkFlag, the
// ISMAP attributes left are parked as _SMAP (and restored without it). With RealLinkFlag a footer with the page's real address ends
// the page. The blocks of an earlier pass are dropped first (TRewriteBlocks),
// so rewriting an unchanged Web again gives the same bytes.
//
// Nothing else of the page changes: items without a link are copied byte for
// byte, and the text after the last tag is kept. A page that ends in an
// unfinished tag or comment keeps it as its end, after the footer. A tag
// whose rewritten form the next pass would read otherwise (attributes that
// run into each other, as in SRC"x"y) is left as it stands.
class TPageRewriter {
public:
    // directory: the capture directory (a "/" is added when it lacks one).
    // The tree and the map list must outlive the rewriter, and the tree
    // must not gain or lose records while it is in use (what an address
    // leads to is remembered).
    TPageRewriter(std::string directory, const TWebTree& tree, const TMAPLIST& mapList, TRewriteFlags flags,
                  TDateTime captureDate);

    const std::string& Directory() const { return m_directory; }

    // The bytes of a page rewritten; address is the page's own, for the
    // footer. Raises EInOutError when a map file it needs cannot be read, and
    // EStreamError for a page of 2 GiB or more.
    // items: those of an earlier scan of these very bytes, if there are
    // any (THtmlParser::Items); the page is then not tokenized again.
    std::string Rewrite(std::string_view page, std::string_view address, std::vector<TTag> items = {}) const;

    // Rewrites the stored file in place: read whole, written to a scratch
    // file that then trades places with it (TFileReplacer), so that a
    // failure leaves the previous content. A page that would not change is not written. With kept, the
    // items kept for the file are used when the file still has the size and
    // modification time they were kept with; kept forgets them once the page
    // is written.
    TRewriteResult RewriteFile(std::string_view fileName, std::string_view address,
                               TKeptPages* kept = nullptr) const;
    // The same with the items taken out of a TKeptPages (Take), which the
    // rewriter then leaves alone: several rewriters may run at once, one per
    // thread, each on pages of its own. The caller puts the items back
    // (PutBack) when the page was neither written nor tried to be.
    TRewriteResult RewriteFile(std::string_view fileName, std::string_view address, const TKeptItems& kept) const;

    // A stored style sheet rewritten the same way: its references lead to
    // the stored files, a marker comment keeping each captured address.
    std::string RewriteStyleSheet(std::string_view css) const;
    TRewriteResult RewriteStyleSheetFile(std::string_view fileName) const;

private:
    // What an address leads to: its record in the tree, if any, and whether
    // a link may name that record's stored file.
    struct TTarget {
        const TWebFile* File = nullptr;
        bool Linkable = false;
    };
    TTarget FindTarget(std::string_view address) const;
    // What an address found in a style sheet, or beside a tag's own link,
    // leads to; nullopt leaves it as captured.
    std::optional<std::string> ChooseAddress(std::string_view address, TReferenceKind kind) const;
    // The items kept for the bytes of a file with the stamp given, if any.
    using TKeptLookup = std::function<std::vector<TTag>(const TFileStamp&)>;
    TRewriteResult RewriteStored(std::string_view fileName, const TKeptLookup& kept,
                                 const std::function<std::string(std::string_view, std::vector<TTag>)>& rewrite) const;

    friend class TPageRewrite;

    std::string m_directory;
    const TWebTree& m_tree;
    const TMAPLIST& m_mapList;
    TRewriteFlags m_flags;
    TDateTime m_captureDate;
    // Whether a rewritten tag reads back as itself, by the tag's text with
    // its addresses left out (StabilityKey): the pages of a Web write their
    // links with the same few tags over and over. Only tags that need no map
    // are kept (the map list grows during a pass).
    mutable std::unordered_map<std::string, bool, TTextHash, std::equal_to<>> m_stableTags;
    // Room for the key of a rewritten tag and the attributes read for it.
    mutable std::string m_stableKey;
    mutable std::vector<TAttributeSpan> m_spans;
    // The record each address looked up leads to, if any.
    mutable std::unordered_map<std::string, TTarget, TTextHash, std::equal_to<>> m_targets;
    // Puts rewritten files in place without making or deleting files.
    mutable TFileReplacer m_replacer;
    // The bytes of the small files read, each over the last (ReadStored).
    mutable std::string m_readRoom;
};

// The items of a page (as a scan of page finds them) that a pass over it
// reads: the others stand as they are, and the pass copies them with the
// text of the item before them. A page's items shrink to a tenth or so, and
// the pass over it gives the same bytes. Items marked TagNoOtherReferences
// are not searched again. None for items that do not fit the page.
std::vector<TTag> ItemsAPassReads(std::vector<TTag> items, std::string_view page);

// Rewrites one stored page of the Web: the page's file name and address
// come from its record in the tree.
TRewriteResult RewritePage(const std::string& directory, const TWebFile& page, const TWebTree& tree,
                           const TMAPLIST& mapList, TRewriteFlags flags, TDateTime captureDate);

// Rewrites a map file of the map list like a page, without a footer, so that
// its areas lead to the stored files. Pages copy map files into their map
// blocks, so map files are rewritten before the pages.
TRewriteResult RewriteMapFile(const std::string& directory, std::string_view mapFile, const TWebTree& tree,
                              const TMAPLIST& mapList, bool suppressLinkFlag);

} // namespace velbrin
