#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// The bytes of one project file, as far as a journal needs to tell them
// apart: their length and a 64-bit hash of them.
struct TJournalBase {
    std::uint64_t Size = 0;
    std::uint64_t Hash = 0;
    bool operator==(const TJournalBase&) const = default;
};

TJournalBase JournalBaseOf(std::string_view projectBytes);

// The journal of a project file: what changed since the file was written,
// appended beside it (its name + kProjectJournalSuffix) as entries of opaque
// bytes, so that a capture keeps its progress without rewriting the whole
// project file again and again.
//
// The journal names the project bytes it follows (TJournalBase), so a
// journal left behind by an older project file, or one that came with a file
// copied from another Web, is never applied. Each entry carries its length
// and a checksum: an entry cut short by a crash, and anything after it, is
// ignored, and the next Append writes over it.
//
// Appends go to the system at once, in one write, but are not flushed to
// the disk: a program killed at any moment loses nothing the journal was
// given. After a power loss the journal may lack its last entries (or be
// gone), which costs the files they recorded, never the project file.
//
// Layout: the signature kProjectJournalSignature as a short string, a 16-bit
// version, the base's size and hash and the time of the first entry (64-bit
// each); then the entries, each a
// 32-bit length, a 32-bit checksum of its bytes, and the bytes. Little-endian.
class TWebJournal {
public:
    // The journal file of a project file.
    static std::string FileNameFor(std::string_view projectFile);

    // The project file now holds the bytes of base (it was just written or
    // read): the journal of earlier bytes is removed, later Appends follow
    // these.
    void Restart(const std::string& projectFile, const TJournalBase& base);
    // No project file is known to match the Web in memory any more (its
    // links were dropped): Follows is false until the next Restart. The
    // journal on disk is left alone.
    void Detach();
    // Appends would extend projectFile as it is on disk (the file is there,
    // of the length it had).
    bool Follows(const std::string& projectFile) const;

    // Appends one entry, the journal's heading first when it has none.
    // Raises EInOutError when it cannot be written; what the journal held
    // before stays valid.
    void Append(std::string_view entry);

    // Reads the journal of projectFile, which holds the bytes of base: the
    // entries it recorded after them, whole ones only, in order. A journal of
    // other bytes, or one that is not a journal, is removed and gives none.
    // Appends then follow base and the entries read.
    std::vector<std::string> Recover(const std::string& projectFile, const TJournalBase& base);
    // When the journal's first entry was written (seconds since 1970, UTC);
    // 0 while there is no journal.
    std::int64_t StartedAt() const { return m_size > 0 ? m_started : 0; }

private:
    std::string m_projectFile;
    std::string m_fileName;
    TJournalBase m_base;
    bool m_attached = false;
    // Bytes of the heading and the whole entries; 0 while there is no
    // journal file.
    std::int64_t m_size = 0;
    std::int64_t m_started = 0;
};

} // namespace velbrin
