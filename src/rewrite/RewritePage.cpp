#include "rewrite/RewritePage.h"
#include "core/SystemFiles.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"
#include "core/MemoryStream.h"
#include "core/Text.h"
#include "core/Url.h"
#include "html/CssRewriter.h"
#include "html/HtmlParser.h"
#include "html/ReferenceTable.h"
#include "html/TagParam.h"
#include "html/TagReferences.h"
#include "rewrite/KeptPages.h"
#include "rewrite/RewriteFooter.h"
#include "rewrite/RewriteMap.h"
#include "rewrite/RewriteMarkers.h"
#include "maps/MapList.h"
#include "store/LocalName.h"
#include "store/WebTree.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace velbrin {

namespace {

// A name from the tree or the map list that may stand as a link, or as a
// map's name, in a page: a bare name inside the capture directory, and one
// that reads back as the same whole value (no blank ends it, no quote closes
// it, no "#" makes it a fragment, no "<" or ">" ends the tag).
bool IsLinkableName(std::string_view name)
{
    if (name.empty() || !IsSafeLocalName(name))
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](char c) { return IsBlank(c) || c == '"' || c == '<' || c == '>' || c == '#'; });
}

// The items RewriteTag may change: opening tags of the kinds the reference
// table knows. Every other item is copied as it is, unless a STYLE
// attribute holds references (MayHoldOtherReferences).
bool MayRewrite(const TTag& tag)
{
    return tag.IsOpen() && !tag.IsBoundary() && CarriesReferences(tag.Kind);
}

// Whether RewriteTag may give other bytes for the tag (text: its bytes).
bool RewriteMayChange(const TTag& tag, std::string_view text)
{
    return MayRewrite(tag)
        || (tag.IsOpen() && tag.Kind != TagComment && tag.Length > 12 && MayHoldOtherReferences(text, tag.Kind));
}

bool LeadsToStoredFile(const TWebFile& file)
{
    return file.State == StateCapturedPage || file.State == StateCapturedFile || file.State == StateNotFound;
}

void Write(TStringStream& out, std::string_view bytes)
{
    out.Write(bytes.data(), bytes.size()); // a string stream takes every byte
}

// The address a tag was captured with, as read (references decoded, whole):
// its OLDREF when an earlier pass set one, else its link.
const std::string& CapturedAddress(const TLinkParam& link)
{
    return link.OldLink.Value.empty() ? link.Link.Value : link.OldLink.Value;
}

// The address looked up in the tree: without the fragment an OLDREF may
// hold, for the tags whose link stops before its "#".
std::string_view LookupAddress(const TLinkParam& link, std::string_view address)
{
    if (link.TagKind == TagA || link.TagKind == TagFrame || link.TagKind == TagIframe)
        return address.substr(0, address.find('#'));
    return address;
}

// A byte the value of an address may hold for StabilityKey: none that
// ends a tag or a value, begins a character reference, or is looked for by
// the search for style references.
constexpr std::array<bool, 256> PlainAddressBytes()
{
    std::array<bool, 256> table{};
    for (int byte = 0x21; byte < 0x7F; ++byte)
        table[byte] = true;
    for (unsigned char c : std::string_view("\"'<>&\\()@"))
        table[c] = false;
    for (int byte = 0x80; byte < 0x100; ++byte)
        table[byte] = true;
    return table;
}
constexpr std::array<bool, 256> kPlainAddressBytes = PlainAddressBytes();

bool IsPlainAddressByte(char c) { return kPlainAddressBytes[static_cast<unsigned char>(c)]; }

// The key under which the check of a rewritten tag is remembered: its text,
// with the values of the tag's own link and of its OLDREF each cut down to
// one mark. The next pass makes of those two values nothing but what the
// address in OLDREF leads to, which the rewrite wrote into them: tags that
// differ only there read back alike, as long as each value cut is written in
// double quotes and holds plain address bytes alone. False when the text
// holds the mark itself.
bool StabilityKey(std::string_view text, std::uint8_t kind, std::vector<TAttributeSpan>& spans, std::string& key)
{
    constexpr char kMark = '\x01';
    if (text.find(kMark) != std::string_view::npos)
        return false;
    const TReferenceRule* rule = OwnLinkRule(kind);
    ReadAttributeSpans(text, spans);
    key.clear();
    std::size_t copied = 0;
    for (const TAttributeSpan& span : spans) {
        const std::size_t end = span.ValueAt + span.ValueLength;
        if (span.Quote != '"' || span.QuotedTwice || span.ValueLength == 0 || end >= text.size() || text[end] != '"')
            continue;
        if (!SameText(span.Name, "OLDREF") && !(rule && SameText(span.Name, rule->Attribute)))
            continue;
        const std::string_view value = text.substr(span.ValueAt, span.ValueLength);
        if (!std::all_of(value.begin(), value.end(), IsPlainAddressByte))
            continue;
        key.append(text.substr(copied, span.ValueAt - copied));
        key += kMark;
        copied = end;
    }
    key.append(text.substr(copied));
    return true;
}

// The largest file read into the room every small file of a pass shares.
constexpr std::size_t kReadRoom = 256 * 1024;

// Reads a stored file whole into room; the room a large file needed goes
// to own, to be freed with it rather than kept for the next files.
std::string_view ReadStored(const std::string& path, std::string& room, std::string& own)
{
    const std::size_t size = ReadWholeFileInto(path, room).size();
    if (room.size() <= kReadRoom)
        return std::string_view(room).substr(0, size);
    own = std::move(room);
    room.clear();
    return std::string_view(own).substr(0, size);
}

// Passes that rewrite a page again after one that left a seam.
constexpr int kSeamRounds = 3;
// Rewritten tags whose check is remembered, at most (then forgotten all).
constexpr std::size_t kStableTagsKept = 8192;
// Addresses whose record is remembered, at most.
constexpr std::size_t kTargetsKept = 8192;

// What becomes of the link of one tag: views into the tree's record, the
// address asked about or the program's own names.
struct TLinkChange {
    bool Keep = true; // the tag stays as it stands
    std::string_view NewLink;
    std::string_view OldRef; // empty: no OLDREF
};

} // namespace

// One pass over one page: the page is scanned once, and every item is
// written once, in order, to the output.
//
// A page may end in an unfinished tag or comment ("<!-- x", "<A HREF=x"):
// its tail. Whatever the pass writes after the page's content (the map block
// of a last picture, the footer) goes before that tail, so that the tail
// finishes nothing of ours and stays the unfinished end of the page in every
// later pass. The page's part of a comment that ran into an opening marker
// (a footer written after such a tail by an earlier writer) joins the tail.
class TPageRewrite {
public:
    TPageRewrite(const TPageRewriter& rewriter, std::string_view page, std::vector<TTag> items = {})
        : m_rewriter(rewriter)
        , m_source(page)
        , m_parser(m_source, std::move(items))
        , m_page(page)
        , m_blocks(m_parser, m_page)
        , m_out(RewrittenPageRoom(page.size()))
    {
    }

    std::string Run(std::string_view address);
    // A tag that ended with the "<" of a block this pass dropped now runs
    // into what followed the block: the next pass reads it otherwise.
    bool HasSeam() const { return m_seam; }

private:
    // A tag as a rewrite writes it: its whole text, a last "<" that begins
    // the next item included, and the map block that follows it, if any.
    struct TRewrittenTag {
        std::string Text;
        std::string MapBlock;
    };

    void FindTail();
    bool StandsAsItIs(int i) const;
    void WriteTag(int i, bool dropLastByte);
    TRewrittenTag RewriteTag(const THtmlParser& parser, int i) const;
    bool IsUnchanged(int i, std::string_view text) const;
    bool IsStable(const TRewrittenTag& rewritten, std::uint8_t kind) const;
    bool ReadsBack(const TRewrittenTag& rewritten) const;
    TPageRewriter::TTarget FindTarget(const TLinkParam& link, const std::string& address) const;
    TLinkChange ChooseLink(const TLinkParam& link, const std::string& address) const;
    std::optional<std::string> ChooseAddress(std::string_view address, TReferenceKind kind) const;
    std::string ReplaceLink(const THtmlParser& parser, int i, const TLinkParam& link, std::string_view tagText) const;
    std::string RemoveBaseAddress(std::string_view tagText) const;
    TRewrittenTag RewritePicture(const THtmlParser& parser, int i, const TLinkParam& link,
                                 std::string_view tagText) const;
    const std::string* FindMap(const TLinkParam& link, std::string& mapFile) const;
    void WriteText(int i);
    std::size_t TextStart(int i) const;

    const TPageRewriter& m_rewriter;
    // The page, read in place: the caller keeps it while the pass runs.
    TViewStream m_source;
    THtmlParser m_parser;
    std::string_view m_page;
    TRewriteBlocks m_blocks;
    TStringStream m_out;
    int m_last = 0;

    // Where the page's tail begins, or npos.
    std::size_t m_tail = std::string_view::npos;
    // The tail begins with the last item's own last byte.
    bool m_tailInLastTag = false;
    // The page's parts of comments that ran into an opening marker.
    std::string m_prefixes;
    bool m_seam = false;

    // The last address looked up, and what the tree gave for it: checking a
    // rewritten tag looks its address up once more.
    mutable std::string m_lookedUp;
    mutable TPageRewriter::TTarget m_found;
    mutable bool m_hasLookedUp = false;
    // Map files read so far, by name; none when a map file is not usable.
    mutable std::map<std::string, std::optional<std::string>> m_mapFiles;
    // The link RewriteTag reads, whose room serves every tag.
    mutable TLinkParam m_link;
    // The changes to the tag being rewritten: their room serves every tag.
    mutable TTagEdits m_edits;
    // The rewritten tag ReadsBack checks, and the parser that reads it.
    mutable TViewStream m_checkSource{std::string_view()};
    mutable std::optional<THtmlParser> m_check;
};

std::string TPageRewrite::Run(std::string_view address)
{
    m_last = m_parser.Count() - 2;
    FindTail();
    for (int i = 0; i <= m_last; ++i) {
        if (StandsAsItIs(i)) {
            // A run of such items and their texts is one run of the page's bytes.
            const int first = i;
            while (StandsAsItIs(i + 1))
                ++i;
            const auto start = static_cast<std::size_t>(m_parser.Item(first).Position);
            Write(m_out, m_page.substr(start, static_cast<std::size_t>(m_parser.Item(i + 1).Position) - start));
            continue;
        }
        if (m_blocks.DropsTag(i)) {
            // Part of a block an earlier pass added; the text after its
            // closing marker may be the page's.
            WriteText(i);
        } else if (m_blocks.OpensBlock(i)) {
            m_prefixes += m_page.substr(static_cast<std::size_t>(m_parser.Item(i).Position), m_blocks.KeptPrefix(i));
            WriteText(i);
        } else {
            WriteTag(i, i == m_last && m_tailInLastTag);
            const TTag& tag = m_parser.Item(i);
            const bool nextGoes = m_blocks.DropsTag(i + 1) || m_blocks.OpensBlock(i + 1);
            if (nextGoes && !tag.IsBoundary() && TextStart(i) < static_cast<std::size_t>(tag.Position) + tag.Length)
                m_seam = true;
        }
    }
    if (m_rewriter.m_flags.RealLinkFlag)
        AppendRealLinkFooter(m_out, address, m_rewriter.m_captureDate);
    Write(m_out, m_prefixes);
    if (m_tail != std::string_view::npos)
        Write(m_out, m_page.substr(m_tail));
    return m_out.Take();
}

// Whether item i and the text after it are written as the page has them,
// which is then exactly the page's bytes up to the next item: an item that
// carries no link, with nothing of a block about it, and not the last one
// (whose text may hold the page's tail).
bool TPageRewrite::StandsAsItIs(int i) const
{
    if (i >= m_last)
        return false;
    if (m_blocks.DropsTag(i) || m_blocks.OpensBlock(i) || m_blocks.DropsTextAfter(i) || m_blocks.SkippedText(i) != 0
        || m_blocks.DropsTag(i + 1) || m_blocks.OpensBlock(i + 1))
        return false;
    const TTag& tag = m_parser.Item(i);
    const auto next = static_cast<std::size_t>(m_parser.Item(i + 1).Position);
    const auto end = static_cast<std::size_t>(tag.Position) + static_cast<std::size_t>(tag.Length);
    // Bytes between the item and the next that it does not call its text
    // are not written; a tag may overlap the next item by its "<" only.
    if (end < next ? !tag.HasTextFollowing() : end > next && (end != next + 1 || m_page[next] != '<'))
        return false;
    if (tag.IsBoundary())
        return true;
    if (tag.IsOpen() && tag.Kind == TagStyle)
        return false;
    return !RewriteMayChange(tag, m_page.substr(static_cast<std::size_t>(tag.Position), tag.Length));
}

void TPageRewrite::FindTail()
{
    if (m_blocks.DropsTextAfter(m_last))
        return;
    const TTag& tag = m_parser.Item(m_last);
    if (!tag.IsBoundary() && !m_blocks.DropsTag(m_last) && !m_blocks.OpensBlock(m_last)) {
        // A tag that a "<" ended, and nothing after that "<" closed.
        const auto end = static_cast<std::size_t>(tag.Position) + static_cast<std::size_t>(tag.Length);
        if (tag.Length > 1 && end <= m_page.size() && m_page[end - 1] == '<') {
            m_tail = end - 1;
            m_tailInLastTag = true;
            return;
        }
    }
    // No item follows: from its first "<" on, the text is unfinished.
    m_tail = m_page.find('<', TextStart(m_last) + m_blocks.SkippedText(m_last));
}

// Writes item i, the text after it and the map block that follows a picture.
// dropLastByte: the item's last byte, a "<", begins the page's tail.
void TPageRewrite::WriteTag(int i, bool dropLastByte)
{
    const TTag& tag = m_parser.Item(i);
    TRewrittenTag rewritten;
    if (!tag.IsBoundary()) {
        // Most items carry no link: RewriteTag would give their bytes back.
        std::string_view text = m_page.substr(static_cast<std::size_t>(tag.Position),
                                              static_cast<std::size_t>(tag.Length));
        if (RewriteMayChange(tag, text)) {
            rewritten = RewriteTag(m_parser, i);
            if (!IsUnchanged(i, rewritten.Text) && !IsStable(rewritten, tag.Kind))
                rewritten = TRewrittenTag{m_parser.FullTagText(i), {}};
            text = rewritten.Text;
        }
        // A last "<" that begins the next item, or the tail, is not the tag's.
        if (dropLastByte || TextStart(i) < static_cast<std::size_t>(tag.Position) + static_cast<std::size_t>(tag.Length)) {
            if (text.ends_with('<'))
                text.remove_suffix(1);
        }
        Write(m_out, text);
    }
    WriteText(i);
    Write(m_out, rewritten.MapBlock);
}

// The rewrite of a tag of its own (of a parser over just that tag) or of the
// page's item i: what the next pass makes of a rewritten tag is checked with
// the same function.
TPageRewrite::TRewrittenTag TPageRewrite::RewriteTag(const THtmlParser& parser, int i) const
{
    TLinkParam& link = m_link;
    std::string copy;
    const std::string_view tagText = parser.FullTagView(i, copy);
    TRewrittenTag rewritten;
    bool made = false;
    const std::uint8_t kind = parser.Item(i).Kind;
    // Neither an anchor's text nor its IsMap changes what the tag becomes.
    if (parser.GetLink(i, link, TLinkText::Skip)) {
        switch (link.TagKind) {
        case TagBase:
            if (link.Link.Found()) {
                rewritten.Text = RemoveBaseAddress(tagText);
                made = true;
            }
            break;
        case TagImg:
            rewritten = RewritePicture(parser, i, link, tagText);
            made = true;
            break;
        case TagTitle:
            break;
        default:
            rewritten.Text = ReplaceLink(parser, i, link, tagText);
            made = true;
            break;
        }
    }
    if (!made)
        rewritten.Text.assign(tagText);
    if (MayHoldOtherReferences(rewritten.Text, kind)) {
        const TAddressMap map = [this](std::string_view address, TReferenceKind referenceKind) {
            return ChooseAddress(address, referenceKind);
        };
        rewritten.Text = RewriteOtherReferences(rewritten.Text, kind, map, TCapturedValues::Keep);
    }
    return rewritten;
}

// What an address found beside a tag's own link, or in a style sheet,
// leads to: its stored file; with SuppressLinkFlag, "BadLink.htm" for a
// page that was not stored; otherwise the address as captured.
std::optional<std::string> TPageRewrite::ChooseAddress(std::string_view address, TReferenceKind kind) const
{
    return m_rewriter.ChooseAddress(address, kind);
}

TPageRewriter::TTarget TPageRewriter::FindTarget(std::string_view address) const
{
    if (auto known = m_targets.find(address); known != m_targets.end())
        return known->second;
    TTarget target;
    target.File = m_tree.FindFile(address);
    target.Linkable = target.File && LeadsToStoredFile(*target.File) && IsLinkableName(target.File->GetFileName());
    if (m_targets.size() >= kTargetsKept)
        m_targets.clear();
    m_targets.emplace(std::string(address), target);
    return target;
}

std::optional<std::string> TPageRewriter::ChooseAddress(std::string_view address, TReferenceKind kind) const
{
    if (address.empty())
        return std::nullopt;
    const TTarget target = FindTarget(address.substr(
        0, kind == TReferenceKind::PageLink || kind == TReferenceKind::Frame ? address.find('#') : std::string_view::npos));
    if (target.Linkable)
        return target.File->GetFileName();
    if (m_flags.SuppressLinkFlag && LinkTypeOf(kind) == LinkTypePage &&
        IsFetchableProtocol(GetProtocol(address)))
        return std::string(kBadLinkFileName);
    return std::nullopt;
}

bool TPageRewrite::IsUnchanged(int i, std::string_view text) const
{
    const TTag& tag = m_parser.Item(i);
    return m_page.substr(static_cast<std::size_t>(tag.Position), static_cast<std::size_t>(tag.Length)) == text;
}

// The next pass must leave a rewritten tag as it is: the tag must read back
// as the link it was given, with its map words and map as they were set. In
// tags whose attributes run into each other (SRC"x"y, HREF= OLDREF=...) an
// edit can read back otherwise; such a tag is left as it stands.
bool TPageRewrite::IsStable(const TRewrittenTag& rewritten, std::uint8_t kind) const
{
    // The check reads nothing but the tag, the tree and the flags, unless
    // the tag leads to a map: only a picture may, and one with no "map" in it
    // at all (no ISMAP, _SMAP or USEMAP) does not. Only tags that lead to no
    // map are remembered.
    if (!rewritten.MapBlock.empty() || (kind == TagImg && FindNoCase(rewritten.Text, "MAP") != std::string::npos))
        return ReadsBack(rewritten);
    std::string& key = m_rewriter.m_stableKey;
    if (!StabilityKey(rewritten.Text, kind, m_rewriter.m_spans, key))
        return ReadsBack(rewritten);
    auto& stable = m_rewriter.m_stableTags;
    if (auto found = stable.find(key); found != stable.end())
        return found->second;
    const bool result = ReadsBack(rewritten);
    if (stable.size() >= kStableTagsKept)
        stable.clear();
    stable.emplace(key, result);
    return result;
}

bool TPageRewrite::ReadsBack(const TRewrittenTag& rewritten) const
{
    // One parser for every check of the pass: its item lists are allocated
    // once, not for each tag.
    m_checkSource = TViewStream(rewritten.Text);
    if (m_check)
        m_check->Rescan();
    else
        m_check.emplace(m_checkSource);
    const THtmlParser& parser = *m_check;
    if (parser.Count() != 3 || parser.Item(1).Length != static_cast<std::int32_t>(rewritten.Text.size()))
        return false;
    const TRewrittenTag again = RewriteTag(parser, 1);
    return again.Text == rewritten.Text && again.MapBlock == rewritten.MapBlock;
}

// What a captured address leads to in the tree.
TPageRewriter::TTarget TPageRewrite::FindTarget(const TLinkParam& link, const std::string& address) const
{
    if (address.empty())
        return {};
    const std::string_view key = LookupAddress(link, address);
    if (!m_hasLookedUp || m_lookedUp != key) {
        m_lookedUp = key;
        m_found = m_rewriter.FindTarget(key);
        m_hasLookedUp = true;
    }
    return m_found;
}

TLinkChange TPageRewrite::ChooseLink(const TLinkParam& link, const std::string& address) const
{
    TLinkChange change;
    if (address.empty())
        return change;
    change.Keep = false;
    const TPageRewriter::TTarget target = FindTarget(link, address);
    if (target.Linkable) {
        change.NewLink = target.File->GetFileName();
        change.OldRef = address;
    } else if (m_rewriter.m_flags.SuppressLinkFlag && IsFetchableProtocol(GetProtocol(address))) {
        // A picture or background is emptied; an unquoted value gets its
        // quotes, so that it does not read as the attribute after it.
        if (link.LinkType == LinkTypePage)
            change.NewLink = kBadLinkFileName;
        change.OldRef = address;
    } else {
        change.NewLink = address;
    }
    return change;
}

std::string TPageRewrite::ReplaceLink(const THtmlParser& parser, int i, const TLinkParam& link,
                                      std::string_view tagText) const
{
    const TLinkChange change = ChooseLink(link, CapturedAddress(link));
    if (change.Keep)
        return std::string(tagText);
    TStringStream written(tagText.size() + change.OldRef.size() + 16);
    parser.WriteLinkTag(i, written, link, change.NewLink, change.OldRef, m_edits);
    std::string text = written.Take();
    // WriteLinkTag leaves a last "<" that begins the next item to that item.
    if (tagText.ends_with('<') && !text.ends_with('<'))
        text += '<';
    return text;
}

// Relative addresses of the stored page then resolve against the stored
// file. Every HREF goes, so that the next pass finds none to remove.
std::string TPageRewrite::RemoveBaseAddress(std::string_view tagText) const
{
    std::string text(tagText);
    TTagParam href;
    for (;;) {
        FindTagParam(text, "HREF", href);
        if (!href.Found())
            break;
        TTagEdits edits;
        edits.Delete(href.ParamStart, href.ParamLength);
        std::string shorter = edits.Apply(text);
        if (shorter == text)
            break;
        text = std::move(shorter);
    }
    return text;
}

// A picture is pointed at its stored file like any link. Its server-map
// words are then parked (with SuppressLinkFlag) or restored; a picture with
// a map gets USEMAP in place of the first of them and its map block.
TPageRewrite::TRewrittenTag TPageRewrite::RewritePicture(const THtmlParser& parser, int i, const TLinkParam& link,
                                                        std::string_view tagText) const
{
    const bool useMap = HasUseMap(tagText);
    const bool serverMap = !FindServerMapWords(tagText).empty();

    TRewrittenTag rewritten{ReplaceLink(parser, i, link, tagText), {}};
    const std::string_view mark = m_rewriter.m_flags.SuppressLinkFlag ? kParkedMapWord : kServerMapWord;
    for (std::size_t word : FindServerMapWords(rewritten.Text))
        rewritten.Text.replace(word, mark.size(), mark);

    std::string mapFile;
    const std::string* content = (useMap || serverMap) ? FindMap(link, mapFile) : nullptr;
    if (!content)
        return rewritten;
    const std::string name = MapName(mapFile);
    if (!useMap) {
        const std::size_t at = FindServerMapWord(rewritten.Text);
        if (at != std::string::npos)
            rewritten.Text.replace(at, ServerMapAttributeLength(rewritten.Text, at), UseMapAttribute(name));
    }
    rewritten.MapBlock = MapBlock(name, *content);
    return rewritten;
}

// The content of the map file of the picture's stored file, when its map
// entry and its map file are there; null otherwise. Raises EInOutError when
// the map file cannot be read.
const std::string* TPageRewrite::FindMap(const TLinkParam& link, std::string& mapFile) const
{
    const std::string address = CapturedAddress(link);
    if (address.empty() || !IsValidUrl(address))
        return nullptr;
    const TWebFile* file = FindTarget(link, address).File;
    if (!file || file->GetFileName().empty())
        return nullptr;
    const int entry = m_rewriter.m_mapList.Find(file->GetFileName());
    if (entry < 0)
        return nullptr;
    mapFile = m_rewriter.m_mapList.Item(static_cast<std::size_t>(entry)).MapFile;
    if (!IsLinkableName(mapFile) || MapName(mapFile).empty())
        return nullptr;

    auto known = m_mapFiles.find(mapFile);
    if (known == m_mapFiles.end()) {
        std::optional<std::string> content;
        const std::string path = m_rewriter.m_directory + mapFile;
        if (FileExists(path)) {
            content = ReadWholeFile(path);
            // Markers inside the block would end it early or open another
            // one; map files never hold them, and one that does is not
            // copied into the page.
            for (std::string_view marker : {kFooterOn, kFooterOff, kMapOn, kMapOff}) {
                if (content->find(marker) != std::string::npos)
                    content.reset();
            }
        }
        known = m_mapFiles.emplace(mapFile, std::move(content)).first;
    }
    return known->second ? &*known->second : nullptr;
}

std::size_t TPageRewrite::TextStart(int i) const
{
    const TTag& tag = m_parser.Item(i);
    const std::int64_t end = static_cast<std::int64_t>(tag.Position) + tag.Length;
    return static_cast<std::size_t>(std::min<std::int64_t>(end, m_parser.Item(i + 1).Position));
}

void TPageRewrite::WriteText(int i)
{
    if (m_blocks.DropsTextAfter(i) || (i == m_last && m_tailInLastTag))
        return;
    const std::size_t skip = m_blocks.SkippedText(i);
    const TTag& tag = m_parser.Item(i);
    if (tag.IsOpen() && tag.Kind == TagStyle && i < m_last) {
        const std::size_t start = TextStart(i) + skip;
        const std::size_t end = static_cast<std::size_t>(m_parser.Item(i + 1).Position);
        if (start < end) {
            const TCssNewValue newValue = [this](const TReference& reference) {
                return ChooseAddress(reference.Address, reference.Kind);
            };
            Write(m_out, RewriteCss(m_page.substr(start, end - start), newValue));
        }
        return;
    }
    if (skip == 0 && i < m_last) {
        // CopyTextAfter, read straight from the page.
        if (tag.HasTextFollowing()) {
            const std::size_t start = TextStart(i);
            Write(m_out, m_page.substr(start, static_cast<std::size_t>(m_parser.Item(i + 1).Position) - start));
        }
        return;
    }
    // The text after the last item stops where the tail begins.
    const std::size_t start = TextStart(i) + skip;
    std::size_t end = static_cast<std::size_t>(m_parser.Item(i + 1).Position);
    if (i == m_last)
        end = std::min(end, m_tail);
    if (start < end)
        Write(m_out, m_page.substr(start, end - start));
}

std::vector<TTag> ItemsAPassReads(std::vector<TTag> items, std::string_view page)
{
    constexpr auto kNotKept = static_cast<std::uint8_t>(~TagNoOtherReferences);
    const std::size_t count = items.size();
    if (count < 3) {
        for (TTag& tag : items)
            tag.Flags &= kNotKept;
        return items;
    }
    const auto pageSize = static_cast<std::int64_t>(page.size());
    // The pass must see: what it may write otherwise, what may belong to a
    // block (every comment), what bounds the text of a style block, the text
    // a picture's map block follows, or the page's tail, and both items of a
    // tag that runs into the next one. The items left standing go with the
    // text of the one kept before them, which then has text after it: their
    // own bytes at least.
    std::size_t kept = 1;
    bool keepNext = false;
    for (std::size_t j = 1; j + 1 < count; ++j) {
        TTag tag = items[j];
        const std::int64_t end = static_cast<std::int64_t>(tag.Position) + tag.Length;
        const std::int64_t next = items[j + 1].Position;
        if (end > pageSize)
            return {}; // not the page's items: the page is scanned again
        bool keep = keepNext || j + 2 == count;
        keepNext = false;
        if (end > next || (end < next) != tag.HasTextFollowing()) {
            keep = keepNext = true;
        } else if (tag.IsBoundary() || tag.Kind == TagComment) {
            keep = true;
        } else if (tag.IsOpen() && (tag.Kind == TagStyle || tag.Kind == TagImg)) {
            keep = keepNext = true;
        } else if (!keep) {
            keep = (tag.Flags & TagNoOtherReferences) != 0
                ? MayRewrite(tag)
                : RewriteMayChange(tag, page.substr(static_cast<std::size_t>(tag.Position),
                                                    static_cast<std::size_t>(tag.Length)));
        }
        if (keep) {
            tag.Flags &= kNotKept;
            items[kept++] = tag;
        } else {
            items[kept - 1].Flags |= TagTextFollows;
        }
    }
    items[kept++] = items[count - 1];
    items[0].Flags &= kNotKept;
    items[kept - 1].Flags &= kNotKept;
    items.resize(kept);
    items.shrink_to_fit();
    return items;
}

TPageRewriter::TPageRewriter(std::string directory, const TWebTree& tree, const TMAPLIST& mapList,
                             TRewriteFlags flags, TDateTime captureDate)
    : m_directory(std::move(directory))
    , m_tree(tree)
    , m_mapList(mapList)
    , m_flags(flags)
    , m_captureDate(captureDate)
{
    m_directory = WithTrailingSlash(std::move(m_directory));
}

std::string TPageRewriter::Rewrite(std::string_view page, std::string_view address, std::vector<TTag> items) const
{
    TPageRewrite pass(*this, page, std::move(items));
    std::string rewritten = pass.Run(address);
    // Only pages made by hand have seams (the blocks a rewrite writes follow
    // whole tags); such a page is rewritten as the next pass reads it.
    bool seam = pass.HasSeam();
    for (int round = 0; seam && round < kSeamRounds; ++round) {
        TPageRewrite again(*this, rewritten);
        std::string next = again.Run(address);
        seam = again.HasSeam();
        if (next == rewritten)
            break;
        rewritten = std::move(next);
    }
    return rewritten;
}

TRewriteResult TPageRewriter::RewriteFile(std::string_view fileName, std::string_view address, TKeptPages* kept) const
{
    TKeptLookup lookup;
    if (kept)
        lookup = [&](const TFileStamp& stamp) { return kept->Find(std::string(fileName), stamp); };
    TRewriteResult result = RewriteStored(fileName, lookup, [&](std::string_view original, std::vector<TTag> items) {
        return Rewrite(original, address, std::move(items));
    });
    // Items kept for bytes the page no longer holds are of no more use.
    if (kept && result.MayHaveChanged())
        kept->Forget(std::string(fileName));
    return result;
}

TRewriteResult TPageRewriter::RewriteFile(std::string_view fileName, std::string_view address,
                                          const TKeptItems& kept) const
{
    return RewriteStored(
        fileName, [&](const TFileStamp& stamp) { return kept.ItemsFor(stamp); },
        [&](std::string_view original, std::vector<TTag> items) { return Rewrite(original, address, std::move(items)); });
}

std::string TPageRewriter::RewriteStyleSheet(std::string_view css) const
{
    return RewriteCss(css, [this](const TReference& reference) { return ChooseAddress(reference.Address, reference.Kind); });
}

TRewriteResult TPageRewriter::RewriteStyleSheetFile(std::string_view fileName) const
{
    return RewriteStored(fileName, {},
                         [&](std::string_view original, std::vector<TTag>) { return RewriteStyleSheet(original); });
}

TRewriteResult TPageRewriter::RewriteStored(
    std::string_view fileName, const TKeptLookup& kept,
    const std::function<std::string(std::string_view, std::vector<TTag>)>& rewrite) const
{
    if (fileName.empty())
        return {TRewriteStatus::Missing, "No stored file"};
    if (!IsSafeLocalName(fileName))
        return {TRewriteStatus::UnsafeName, "Unsafe file name \"" + std::string(fileName) + "\""};
    const std::string path = m_directory + std::string(fileName);
    // The stamp is taken before the bytes are read: a file written meanwhile
    // has another one by the time anyone looks again. It also tells whether
    // the file is there.
    const std::optional<TFileStamp> stamp = StampOf(path);
    if (!stamp)
        return {TRewriteStatus::Missing, "File not found \"" + path + "\""};

    std::string ownBytes;
    std::string_view original;
    std::string rewritten;
    bool fromKept = false;
    try {
        std::vector<TTag> items;
        if (kept)
            items = kept(*stamp);
        original = ReadStored(path, m_readRoom, ownBytes);
        if (!items.empty() && stamp->Size != static_cast<std::int64_t>(original.size()))
            items.clear();
        fromKept = !items.empty();
        rewritten = rewrite(original, std::move(items));
    } catch (const EVelbrinError& e) {
        return {TRewriteStatus::ReadError, e.what()};
    }
    if (rewritten == original)
        return {TRewriteStatus::Unchanged, {}, fromKept};

    try {
        // Like every stored page, left to the system to write back.
        m_replacer.Replace(path, rewritten);
    } catch (const EVelbrinError& e) {
        return {TRewriteStatus::WriteError, e.what()};
    }
    return {TRewriteStatus::Written, {}, fromKept};
}

TRewriteResult RewritePage(const std::string& directory, const TWebFile& page, const TWebTree& tree,
                           const TMAPLIST& mapList, TRewriteFlags flags, TDateTime captureDate)
{
    const TPageRewriter rewriter(directory, tree, mapList, flags, captureDate);
    return rewriter.RewriteFile(page.GetFileName(), tree.GetFileUrl(page));
}

TRewriteResult RewriteMapFile(const std::string& directory, std::string_view mapFile, const TWebTree& tree,
                              const TMAPLIST& mapList, bool suppressLinkFlag)
{
    const TPageRewriter rewriter(directory, tree, mapList, TRewriteFlags{false, suppressLinkFlag}, 0);
    return rewriter.RewriteFile(mapFile, {});
}

} // namespace velbrin
