#pragma once

#include "store/CaptureInfo.h"
#include "core/SystemFiles.h"
#include "capture/CaptureLog.h"
#include "capture/LinkItem.h"
#include "core/AppendFile.h"
#include "config/Options.h"
#include "core/DateTime.h"
#include "core/Pump.h"
#include "core/FileStream.h"
#include "core/MemoryStream.h"
#include "core/Stream.h"
#include "maps/MapList.h"
#include "rewrite/KeptPages.h"
#include "store/MimeList.h"
#include "store/WebDescription.h"
#include "store/WebJournal.h"
#include "store/WebTree.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace velbrin {

class TParam;
struct TPreparedPage;

// The report pages a Web keeps beside its captured files, copied from the
// program's data directory.

// The ".WEB" project file.

// Counters are stored as signed 16-bit values; they stop there.
inline constexpr std::uint16_t kMaxWebCount = 32767;

// Reports the progress of WebCopy: the file being copied, the files done
// before it and the total. A last call with an empty name reports the end.
using TCopyProgress = std::function<void(const std::string& fileName, int done, int total)>;

// One capture project ("Web"): the start address, the capture directory, the
// table of every link met so far with its state, the links still to fetch,
// the Web's own MIME table and image maps, its options and the statistics of
// its last session; read from and written to a ".WEB" project file.
//
// Links. Every link lives in Tree. TodoList refers to records of Tree, in
// fetch order; it only ever holds records the tree holds: the Web empties it
// before it clears the tree, and a record that the tree hands back when it is
// replaced (AddAlias) leaves TodoList and is kept alive, for the requests that
// may still point at it, until the next UpdateTodo, Clean, Reinit, Init or
// LoadFromFile. Callers clear the tree only through those operations.
//
// Files. Path is the capture directory; every stored file is a bare name in
// it. Names read from a project file that could lead elsewhere are dropped by
// the tree and map list loaders, and Clean and WebCopy check every name
// again, so neither ever touches a file outside Path.
//
// The log. Log appends one entry to Path + "LogFile.htm", opening and closing
// the file each time. Texts from a captured site go through LogUrl and
// LogAfter, which escape them. A log entry that cannot be written never
// interrupts a capture: Log returns false, LogError() keeps the reason and
// DiskFull() tells the capture that the disk is full, so that it stops.
class TWEB {
public:
    // settings gives the default options (and CheckDomainMachineFlag) and is
    // written by SaveDefaultOptions; programDir holds the report pages.
    explicit TWEB(TParam& settings, std::string programDir);
    TWEB(const TWEB&) = delete;
    TWEB& operator=(const TWEB&) = delete;
    ~TWEB();

    // Start address, canonical (SetUrl).
    std::string Url;
    // Capture directory: absolute, "/" separators, ending with one "/"; empty
    // until Init or LoadFromFile.
    std::string Path;
    // At most 255 bytes; empty until the user or SetTitleWithHomepageTitle sets it.
    std::string Title;
    // Every link of the Web, keyed by absolute address.
    TWebTree Tree;
    // The project file; empty until the Web is saved or loaded.
    std::string FileName;
    // Kept for the project's layout; always 0 here.
    std::uint8_t Drive = 0;
    TMIMELIST MimeList;
    TMAPLIST MapList;
    // Links in state CapturedPage or CapturedFile (and followed
    // redirections), given up after errors, answered "not found", refused by
    // a filter. Raise them with the Count... operations, which stop at
    // kMaxWebCount; UpdateTodo recounts them.
    std::uint16_t CapturedCount = 0;
    std::uint16_t ErrorCount = 0;
    std::uint16_t NotFoundCount = 0;
    std::uint16_t FilteredCount = 0;
    // Bytes of the captured files.
    std::int32_t TotalSize = 0;
    TOPTIONS Options;
    // Each GIF or JPEG picture listed during a capture is also shown.
    bool DisplayOnlineImage = false;
    // Kept in the project file; nothing depends on it.
    bool RewriteFlag = false;
    // Start of the last capture session.
    TDateTime CaptureDate = 0;
    TCaptureInfo LastCaptureInfo;
    // Result of the last GetFileCount.
    std::int32_t FileCount = 0;
    // Destination directory of the last WebCopy.
    std::string CopyPath;
    // The last WebCopy moved the files.
    bool MoveFlag = false;

    // --- Setting up ---------------------------------------------------------

    // A new Web: start address, capture directory (created with its parents),
    // a copy of the application's MIME table, the report pages, the log with
    // its heading, the default options, and the start address as its only
    // link. False when the directory cannot be created (the Web is set up all
    // the same and cannot store anything).
    bool Init(std::string_view url, std::string_view directory, const TMIMELIST& mimes);
    // Forgets every link and starts again from a new address with the default
    // options. Files on disk are left alone.
    bool Reinit(std::string_view url);
    // Enters Url as a page link without parent.
    void SetInitialUrl();
    // Url := the canonical form of url.
    void SetUrl(std::string_view url);
    // Path := the absolute form of directory ending with one "/"; empty for
    // an empty directory.
    void SetPath(std::string_view directory);

    // --- Links --------------------------------------------------------------

    // Addresses in the tree.
    std::uint16_t GetLinkCount() const;
    // Links still to explore: GetLinkCount() minus the four counters (0 at least).
    std::uint16_t GetTodoCount() const;
    void ClearCount();
    void CountCaptured() { Bump(CapturedCount); }
    void CountError() { Bump(ErrorCount); }
    void CountNotFound() { Bump(NotFoundCount); }
    void CountFiltered() { Bump(FilteredCount); }
    // TotalSize + bytes, kept within 0 .. 2^31 - 1.
    void AddTotalSize(std::int64_t bytes);

    // Enters a link found in the page of parent (none for a link without
    // one). A known address gives its record unchanged. A new record gets its
    // depths from the parent: a page link goes one link deeper; a change of
    // domain (or of machine, with CheckDomainMachineFlag in the default
    // options) counts one web level more and restarts the link depth; both
    // stop at 255. Then AddTodo, whatever it decides. None when the tree
    // refuses the address: logged as URL + ": Tree error", or, once the tree
    // holds kMaxFiles addresses, "Trop de liens : " + URL.
    TWebFile* NewLink(const TLinkItem& item, TWebFile* parent);
    // Applies LinkFilter: an accepted link becomes ToExplore and is queued
    // (a page link at the end of TodoList, any other at its front, each
    // record once); a refused one becomes Filtered and is counted.
    bool AddTodo(TWebFile& record);
    // The address, depth, path and link-type rules; refusals of the first
    // four kinds are logged.
    bool LinkFilter(const TWebFile& record);
    // The MIME type and size rules for a response of size bytes (0 or less
    // when unknown) from url. An unknown MIME type is learnt (class Other, not
    // captured) and refused. Changes neither State nor the counters.
    bool Filter(const TWebFile& record, std::int64_t size, std::string_view url);
    // Enters record, which the tree holds, under a further address too (the
    // address of a request that was redirected to it). The record that held
    // the address before leaves TodoList and stays alive until the next
    // UpdateTodo (see above). False when the tree refuses the address.
    bool AddAlias(std::string_view url, TWebFile& record);

    // Sets a record's state and tells LinksChanged.
    void SetState(TWebFile& record, std::uint8_t state);
    // Told after a record was entered or changed state (the record is valid
    // only during the call), and with none after many records changed at
    // once (load, clean, a new start address, a recount): the whole list is
    // to be read again. A view of the Web's links follows it.
    std::function<void(const TWebFile* record)> LinksChanged;

    // The links to fetch, first first.
    const std::deque<TWebFile*>& TodoList() const { return m_todo; }
    // Removes and returns the first link to fetch; none when there is none.
    TWebFile* TakeTodo();
    // Queues a record at the end again, without filtering, as ToExplore (a
    // retry after an error). A record the tree no longer holds, or one that is
    // queued already, is left alone.
    void RequeueTodo(TWebFile& record);
    void ClearTodo();

    // At the start of a session: recounts the counters and rebuilds TodoList
    // from the tree (errors, links in progress and internal pages not found
    // are tried again, filtered links are weighed again under the current
    // options). Returns GetTodoCount().
    std::uint16_t UpdateTodo();

    // Prepares a page just stored by a capture: every link in it is made
    // absolute against the page's address (and against its BASE address after
    // the BASE tag), LOWSRC attributes are dropped, a comment with the page's
    // address follows the HTML tag, the real-link footer is appended when
    // RealLinkFlag asks for it, and the links are entered in page order as
    // far as validator accepts them (the default acceptance test without
    // one). The page's title becomes the record's description. The page is
    // replaced as a whole: when it cannot be written it stays as it was
    // stored, and false is returned.
    bool SetHtmlLinks(TWebFile& record, std::string_view pageUrl, const TLinkFilter& validator = {});
    // The same for a stored style sheet: the addresses of its url() and
    // @import references are made absolute (against sheetUrl) and offered,
    // pictures and fonts as inline objects, imported sheets as sheets.
    bool SetCssLinks(TWebFile& record, std::string_view sheetUrl, const TLinkFilter& validator = {});
    // The same for a page or style sheet whose bytes are in hand (a body just
    // received): prepared in memory and written once, whole, to the record's
    // file, which need not hold anything yet. The items of the prepared page
    // are kept in KeptPages. target: the record's file, open and empty,
    // which is written and closed; without it the file is created. Raises
    // EInOutError when the file cannot be written, and leaves none then; the
    // links are entered all the same.
    void StoreHtmlPage(TWebFile& record, std::string_view pageUrl, std::string_view page,
                       const TLinkFilter& validator = {}, TFileStream* target = nullptr);
    void StoreStyleSheet(TWebFile& record, std::string_view sheetUrl, std::string_view css,
                         const TLinkFilter& validator = {}, TFileStream* target = nullptr);
    // StoreHtmlPage for a page prepared already (PrepareHtmlPage): its links
    // are entered, its bytes written, its items kept, its title given to the
    // record, as StoreHtmlPage does.
    void StorePreparedPage(TWebFile& record, TPreparedPage& prepared, const TLinkFilter& validator = {},
                           TFileStream* target = nullptr);

    // The items of the pages prepared in this session, for the resolution
    // pass: it rewrites those pages without tokenizing them again.
    TKeptPages KeptPages;

    // --- The Web as a whole -----------------------------------------------

    // Deletes every captured file, the map files and the log, and restarts
    // the Web from its start address. Options, title and file name stay.
    void Clean();
    // File name of the start address once something was captured, as stored
    // (names are case-sensitive here); empty otherwise.
    std::string GetHomePage() const;
    // What the index pages show of this Web; it refers to Tree and MimeList.
    TWebDescription Describe() const;
    // An untitled Web with captures takes the description of its home page,
    // or else its start address in upper case.
    void SetTitleWithHomepageTitle();
    // Copies (or moves) the captured files and the report pages into the
    // directory of destination, makes that the Web's directory and saves the
    // Web there as destination. Moving deletes the sources only after the Web
    // was saved in its new place; copying onto the same directory copies
    // nothing. The log and the map files stay behind. False, with error set,
    // when a file could not be copied (the rest still is) or the Web could not
    // be saved (the Web then keeps its directory).
    bool WebCopy(const std::string& destination, bool move, const TCopyProgress& progress = {},
                 std::string* error = nullptr);
    // Captured records whose file exists; also kept in FileCount.
    std::int32_t GetFileCount();
    // Free bytes on the disk of Path; -1 when unknown.
    std::int64_t FreeDiskSpace() const;
    // The default options of the application become this Web's options (but
    // CheckDomainMachineFlag); the settings file is written. Raises
    // EInOutError when it cannot be.
    void SaveDefaultOptions();

    // --- The project file ---------------------------------------------------

    // Reads a project file of any version from 0 to kProjectVersion; the Web
    // then captures into the directory that holds the file. False when the
    // file is missing, larger than any project, of another format or damaged;
    // the caller then discards the Web.
    bool LoadFromFile(const std::string& fileName, const TPump& pump = {});
    // Writes the project file (version kProjectVersion) atomically, readable
    // by its owner only when it is new (it holds the password), and makes it
    // FileName. Raises EInOutError or EStreamError when it cannot be written;
    // the previous file is then left as it was.
    void SaveToFile(const std::string& fileName, const TPump& pump = {});
    // Keeps what changed since the last save, cheaply, for a capture in
    // progress: appended to the journal beside FileName (in one write, not
    // flushed to the disk) when FileName holds what this Web last wrote or
    // read, or else written as a whole project file (SaveToFile). Nothing is
    // written when nothing changed; nothing without a FileName. Loading the
    // project file folds the journal in, and SaveToFile replaces it.
    // Raises like SaveToFile; what was kept before stays valid.
    // With onlyJournal, nothing is written when the journal cannot be
    // appended.
    void SaveProgress(bool onlyJournal = false);
    // Whether files were kept since the links were last resolved to the end
    // (a marker beside FileName). Setting it may fail silently: the marker
    // only spares the next session from missing an interrupted pass.
    bool ResolvePending() const;
    void SetResolvePending(bool pending);
    // The project file's bytes.
    void WriteProject(TStream& stream, const TPump& pump = {}) const;

    // --- The log ------------------------------------------------------------

    // Creates Path + fileName (a bare name) with the log heading unless it
    // exists. False when it cannot be written.
    bool HtmlFileInit(std::string_view fileName);
    // Appends one entry made of the program's own text. The log stays open
    // for the next entry until CloseLog.
    bool Log(std::string_view message);
    // Closes the log: at the end of a session, and before anything else
    // writes or deletes it.
    void CloseLog();
    // siteText escaped, then the program's text: LogUrl(url, " filtr\xE9 : ...").
    bool LogUrl(std::string_view siteText, std::string_view text);
    // The program's text, then siteText escaped: LogAfter("URL non trouv\xE9e (404):", url).
    bool LogAfter(std::string_view text, std::string_view siteText);
    // Why the last failed log write failed; empty when none failed since
    // ClearLogError.
    const std::string& LogError() const { return m_logError; }
    // A log write failed because the disk is full.
    bool DiskFull() const { return m_diskFull; }
    void ClearLogError();

private:
    static void Bump(std::uint16_t& counter);

    void Forget();
    void TellLinksChanged() const;
    void ResetFields();
    // The default options, fresh counters and the start address as the only
    // link: what a new or re-addressed Web starts from.
    void StartFromUrl();
    void Queue(TWebFile& record, bool atFront);
    void Unqueue(const TWebFile& record);
    void Retire(std::unique_ptr<TWebFile> record);
    void TodoExploreProc(TWebFile& record, const std::string& url);
    void CleanExploreProc(const TWebFile& record);
    bool WebFileCopy(const std::string& name, std::string* error);
    void CopyReportPages();
    bool IsProjectFile(const std::string& fileName) const;
    bool ReadProject(TStream& stream, const TPump& pump);
    // Everything of the project file before its tree; ReadProjectHead gives
    // the version read, or -1 for a format it does not know.
    void WriteProjectHead(TStream& stream) const;
    int ReadProjectHead(TStream& stream);
    std::string ProjectHead() const;
    // Applies the journal of the project file just read; true when it held
    // anything.
    bool ApplyJournal(std::string_view projectBytes, const TPump& pump);
    // After a capture that was killed: deletes the files in Path that the
    // session wrote since `since` (seconds since 1970) and that no captured
    // link names, so that fetching them again gives them their names again.
    void DropUnkeptFiles(std::int64_t since);
    // Deletes the temporary files that writes killed on the way left.
    void DropTemporaryFiles();
    void NoteLogFailure(const std::exception& failure);
    // Enters the links of a prepared page in page order, as far as validator
    // accepts them, each address once; marks the record when an anchor of
    // the page leads to a server-side map.
    void EnterLinks(TWebFile& record, TPreparedPage& prepared, const TLinkFilter& validator);
    std::string PrepareCss(std::string_view sheetUrl, std::string_view css, std::vector<TLinkParam>& found);
    void OfferCssLinks(TWebFile& record, const std::vector<TLinkParam>& found, const TLinkFilter& validator);
    void KeepItems(const std::string& fileName, const std::string& file, const std::vector<TTag>& items);
    static void StoreWhole(const std::string& file, std::string_view bytes, TFileStream* target);

    TParam& m_settings;
    std::string m_programDir;
    std::deque<TWebFile*> m_todo;
    std::unordered_set<const TWebFile*> m_queued;
    // Records the tree handed back while something may still point at them.
    std::vector<std::unique_ptr<TWebFile>> m_retired;
    std::string m_logError;
    std::unique_ptr<TAppendFile> m_logFile;
    bool m_diskFull = false;
    // What changed since the project file was written goes here.
    TWebJournal m_journal;
    // ProjectHead() as the project file and its journal keep it.
    std::string m_savedHead;
};

} // namespace velbrin
