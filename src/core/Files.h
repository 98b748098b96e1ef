#pragma once

#include "core/FileStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velbrin {

// Local paths use "/". Directory names that the system keeps end with one "/".

bool FileExists(const std::string& fileName);
bool DirectoryExists(const std::string& dirName);
// True when a file of that name exists in its directory in any letter case
// ("INDEX.htm" takes "index.htm"): a copy of a Web travels to file systems that
// ignore case, where two such files would overwrite each other.
bool FileExistsNoCase(const std::string& fileName);

// Size in bytes, 0 when the file does not exist.
std::int64_t GetFileSize(const std::string& fileName);

// Copies the whole content; the destination is created or overwritten. A source
// that cannot be opened or a destination that cannot be created ends the copy
// quietly (false); a failure after both were opened raises EInOutError.
bool CopyFile(const std::string& source, const std::string& destination);
// Appends the bytes at the end of the file, creating it when missing; raises
// EInOutError when the file cannot be written. Returns true.
bool AppendToFile(const std::string& fileName, std::string_view text);
// Removes all trailing "/", tells whether that names a directory, and leaves
// the name with exactly one trailing "/".
bool CheckDirectory(std::string& dirName);
// Deletes every file of the directory (not its subdirectories), then the
// directory; raises EInOutError when the directory cannot be removed.
void DeleteDirectory(const std::string& dirName);
// Copies the files of source matching an extension list such as "+*,-vlb" into
// destination (created with its parents). False when source does not exist.
bool CopyFilesByExtension(const std::string& destination, const std::string& source, std::string_view extensions);

// Creates the directory with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& dirName);
// Deletes a file; false when it did not exist or could not be deleted.
bool DeleteFile(const std::string& fileName);
bool RenameFile(const std::string& from, const std::string& to);
// The whole content of a file; raises EInOutError when it cannot be read.
std::string ReadWholeFile(const std::string& fileName);
// The same, read into room, which only grows (and is cleared only where it
// does): the bytes are its first ones.
std::string_view ReadWholeFileInto(const std::string& fileName, std::string& room);
// Replaces the file's content atomically (temporary file, then rename),
// flushed to the disk unless flush says otherwise.
void WriteWholeFile(const std::string& fileName, std::string_view bytes, unsigned permissions = 0644,
                    TFlush flush = TFlush::ToDisk);

// Writes bytes over an existing file that holds previous, in place: no
// temporary file, no rename. For a file this program has just written and
// nothing else refers to. Returns false, with nothing touched, when the file
// is not a regular file of previous's size. A failed write puts previous back
// (its blocks are the file's already, so that needs no new space) and raises
// EInOutError.
bool OverwriteFile(const std::string& fileName, std::string_view bytes, std::string_view previous);

// The directory name with a "/" at its end; an empty name stays empty.
std::string WithTrailingSlash(std::string dirName);

// "dir/" of "dir/name" (empty when there is no "/"), and "name".
std::string ExtractFilePath(std::string_view fileName);
std::string ExtractFileName(std::string_view fileName);
// Extension with its dot ("" when none), as in ".htm".
std::string ExtractFileExt(std::string_view fileName);
// The absolute, lexically normal form of a path (the file need not exist).
std::string ExpandFileName(std::string_view fileName);
// Free bytes for the user on the file system holding the path; -1 when unknown.
std::int64_t DiskFreeSpace(const std::string& path);

// DOS-style pattern match, ignoring case: "*" any run, "?" any one character;
// "*.*" matches every name, also one without a dot.
bool MatchesMask(std::string_view name, std::string_view mask);
// Names of the ordinary files of a directory matching the mask, sorted.
std::vector<std::string> ListFiles(const std::string& dirName, std::string_view mask = "*.*");

// The directory listing behind FileExistsNoCase is cached per directory; the
// file operations of this module keep it current. Files created or deleted by
// other means are seen once the directory's modification time changes.
void NoteFileCreated(const std::string& fileName);
void NoteFileDeleted(const std::string& fileName);
// An existing file was replaced through a temporary file beside it.
void NoteFileReplaced(const std::string& fileName);

} // namespace velbrin
