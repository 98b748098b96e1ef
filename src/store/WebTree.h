#pragma once

#include "core/CaseFold.h"
#include "core/SystemFiles.h"
#include "core/Pump.h"
#include "core/Stream.h"
#include "core/Url.h"
#include "store/WebFile.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velbrin {

// Texts of LastTreeError().
inline constexpr std::string_view kTreeErrorReplace = "write Tree error on Replace WebFile";
inline constexpr std::string_view kTreeErrorNode = "write Tree error on WebNode";
inline constexpr std::string_view kTreeErrorFull = "write Tree error: the tree holds 32767 files";
inline constexpr std::string_view kTreeErrorTooLong = "write Tree error: address longer than 255 characters";
inline constexpr std::string_view kTreeErrorForeign = "write Tree error: file not held by this tree";
inline constexpr std::string_view kTreeErrorHeld = "write Tree error: file already held by a tree";

// One level of the tree: keys in insertion order, each leading to a node or
// to a file. A node owns its child nodes and the files whose Parent it is; a
// file entered under a second address is only referred to there.
class TWebNode {
public:
    TWebNode(const TWebNode&) = delete;
    TWebNode& operator=(const TWebNode&) = delete;

    // None for the root.
    const TWebNode* Parent() const { return m_parent; }

    std::size_t EntryCount() const { return m_entries.size(); }
    const std::string& Key(std::size_t i) const { return m_entries[i].Key; }
    // Exactly one of the two is set for every entry.
    TWebNode* NodeAt(std::size_t i) const { return m_entries[i].Node.get(); }
    TWebFile* FileAt(std::size_t i) const { return m_entries[i].File; }
    // Index of the entry whose key equals key, or npos. The keys of the
    // scheme and host levels compare ignoring case, deeper ones exactly
    // (UrlKeyIgnoresCase).
    std::size_t Find(std::string_view key) const;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    friend class TWebTree;

    struct Entry {
        std::string Key;
        std::unique_ptr<TWebNode> Node;
        TWebFile* File = nullptr;
        // Set when this entry owns File.
        std::unique_ptr<TWebFile> OwnedFile;
    };

    // Hash and equality of the keys of one level of UrlToList.
    struct KeyHash {
        std::size_t Level;
        std::size_t operator()(std::string_view key) const
        {
            return UrlKeyIgnoresCase(Level) ? NoCaseHash()(key) : std::hash<std::string_view>()(key);
        }
    };
    struct KeyEqual {
        std::size_t Level;
        bool operator()(std::string_view a, std::string_view b) const { return SameUrlKey(Level, a, b); }
    };

    TWebNode(TWebNode* parent, std::size_t slot);
    std::size_t Append(std::string_view key);

    TWebNode* m_parent;
    // Index of this node's entry in m_parent.
    std::size_t m_slot;
    // The level of this node's keys in UrlToList (0 at the root).
    std::size_t m_level;
    // A deque keeps every entry (and the key the index points into) in place
    // while entries are appended.
    std::deque<Entry> m_entries;
    std::unordered_map<std::string_view, std::size_t, KeyHash, KeyEqual> m_index;
};

// Every address met while capturing a Web, split into the keys of UrlToList
// (scheme, "//host[:port]", one key per directory, document name) and kept in
// a tree labelled with them. The scheme and host keys compare ignoring case
// (Latin-1 included), directory and file keys exactly, as servers compare
// them; within a node the first entry of a key is the only one, so look-up
// and insertion cost one hash probe per key.
//
// The tree is the Web's table of links: the capture engine holds pointers to
// its files (requests, the list of links to explore) while it replaces them,
// so a file leaves the tree only by being handed back to the caller.
class TWebTree {
public:
    // Layout of the records that SaveToStream writes (the project version).
    static constexpr int kCurrentVersion = kProjectVersion;
    // The stored count is a signed 16-bit number.
    static constexpr std::size_t kMaxFiles = 32767;

    // Visitors return true to stop the walk.
    using TFileVisitor = std::function<bool(TWebFile& file, const std::string& address)>;
    using TFileAction = std::function<bool(TWebFile& file)>;

    TWebTree();
    TWebTree(const TWebTree&) = delete;
    TWebTree& operator=(const TWebTree&) = delete;
    ~TWebTree();

    const TWebNode& Root() const { return *m_root; }

    // Number of addresses that hold a file: the records SaveToStream writes.
    // A replacement keeps it; a file entered under two addresses counts twice.
    std::uint16_t Count() const { return m_count; }
    // No further address can be added (replacing a file is still possible).
    bool IsFull() const { return m_count >= kMaxFiles; }
    // Why the last insertion failed.
    const std::string& LastTreeError() const { return m_lastError; }

    // Enters a new file under the address. On success the tree owns it and
    // file is left empty; on failure file stays with the caller and
    // LastTreeError() tells why.
    //
    // When the address already held a file, the new one takes its place in
    // the same entry (and in the walk order). The one it displaced is handed
    // back in replaced when nothing in the tree refers to it any more; when it
    // is still entered under another address, that entry takes it over and
    // replaced stays empty. Either way nothing is destroyed.
    bool AddFile(std::string_view address, std::unique_ptr<TWebFile>& file, std::unique_ptr<TWebFile>& replaced);
    // Enters a file this tree already holds under a further address (a
    // redirected address, for instance). Entering a file where it already is
    // changes nothing and succeeds.
    bool AddFile(std::string_view address, TWebFile& file, std::unique_ptr<TWebFile>& replaced);

    TWebFile* FindFile(std::string_view address) const;

    // Depth first, entries in insertion order, each directory's files at the
    // place where the directory first appeared. A file entered under two
    // addresses is visited twice. The address is the concatenation of the
    // keys from the root; from a node, the walk covers that node's subtree
    // and the addresses still start at the root. Returns true when a visitor
    // stopped the walk. Visitors may change files and add new ones (the walk
    // then meets them if they land after its position) but must not Clear().
    bool ForEachFile(const TFileVisitor& visit, const TWebNode* from = nullptr);
    // The same walk without building the addresses.
    bool ForEachFile(const TFileAction& visit, const TWebNode* from = nullptr);
    // Addresses holding a file under the node (the whole tree by default)
    // for which the predicate holds (every one without a predicate).
    std::size_t CountFiles(const std::function<bool(const TWebFile&)>& predicate = {},
                           const TWebNode* from = nullptr) const;

    // The last address of the file under its parent node; empty when no tree
    // holds the file.
    std::string GetFileUrl(const TWebFile& file) const;
    // The concatenated keys from the root down to the node.
    std::string GetNodeUrl(const TWebNode& node) const;

    // Frees every node and file; Count() becomes 0. Pointers to its files
    // are then dangling.
    void Clear();

    // One record per address in walk order, behind a signed 16-bit count.
    // The stream is left after the last record. Raises EStreamError when the
    // stream cannot be written.
    void SaveToStream(TStream& stream, const TPump& pump = {}) const;
    // Reads the records of a project file of the given version and enters
    // them. A record with an empty address ends the list; a record the tree
    // refuses is dropped; a stored file name that could lead outside the
    // capture directory (IsSafeLocalName) is cleared, the record kept. False,
    // with the tree unchanged, when the stream is cut short or its count is
    // negative. Records replace files already held under the same address:
    // load into an empty tree when anything refers to its files.
    // The records it enters count as saved (MarkSaved).
    bool LoadFromStream(TStream& stream, int version, const TPump& pump = {});

    // The records write a file entered under several addresses once per
    // address, so a tree loaded from them holds a file of its own at each.
    // Written after the records, this section says which addresses share the
    // file of another: "ALIASES", a signed 16-bit count, then per further
    // address that address and the one of the entry that owns the file
    // (short strings), in walk order. Nothing is written for a tree without
    // such addresses; readers that stop after the records never see it.
    // Raises EStreamError when the stream cannot be written.
    void SaveAliasesToStream(TStream& stream) const;
    // After LoadFromStream: reads that section when the stream holds one and
    // enters each further address as an address of its owner's file again,
    // when both records read back alike (the loaded record of the further
    // address is then dropped), so that the tree is the one that was saved.
    // A stream that ends there, holds something else, or is cut short within
    // the section changes nothing.
    void LoadAliasesFromStream(TStream& stream);
    // What changed since the tree was last saved, for a journal beside the
    // project file: in the layout of SaveToStream (a count, then the records
    // in walk order), the records of the addresses whose file was entered
    // or changed since it was last marked saved, every address of such a
    // file included. Loading them with LoadFromStream into a tree loaded
    // from the last full save gives the tree a full save would give now,
    // walk order included. Returns the files written, to be marked saved
    // once the bytes are kept.
    std::vector<TWebFile*> SaveChangesToStream(TStream& stream) const;
    // The files, as they are now, count as saved.
    static void MarkSaved(const std::vector<TWebFile*>& files);
    // Every file counts as saved (after a full save).
    void MarkAllSaved();

private:
    struct Location {
        TWebNode* Node;
        std::size_t Slot;
    };

    bool Insert(std::string_view address, std::unique_ptr<TWebFile>* owned, TWebFile& file,
                std::unique_ptr<TWebFile>& replaced);
    bool Fail(std::string_view error);
    TWebFile* FindByKeys(std::span<const std::string_view> keys) const;
    void Displace(TWebNode& node, std::size_t slot, std::unique_ptr<TWebFile>& replaced);
    void Place(TWebNode& node, std::size_t slot, std::unique_ptr<TWebFile>* owned, TWebFile& file);
    bool Holds(const TWebFile& file) const;

    static void WriteRecord(TStream& stream, const TWebFile& file, const std::string& address);
    // Writes a count, then the record of each address of the walk whose file
    // `take` accepts, and puts the number written in the count (defined and
    // used in WebTreeStream.cpp only).
    template <class Take>
    void WriteWalkRecords(TStream& stream, Take&& take) const;
    static std::unique_ptr<TWebFile> ReadRecord(TStream& stream, int version, std::string& address);

    std::unique_ptr<TWebNode> m_root;
    std::uint16_t m_count = 0;
    std::string m_lastError;
    // Entries that refer to a file owned by another entry, by file.
    std::unordered_map<const TWebFile*, std::vector<Location>> m_aliases;
};

} // namespace velbrin
