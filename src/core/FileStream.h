#pragma once

#include "core/Stream.h"

#include <string>
#include <string_view>

namespace velbrin {

// A file on disk as a stream. Opening failures raise EInOutError with the
// file's name; write failures raise it too, with the system's error code
// (a full disk is IsDiskFull()).
class TFileStream : public TStream {
public:
    enum class Mode {
        OpenRead,      // an existing file, read only
        OpenReadWrite, // an existing file, read and write
        Create,        // created or emptied, read and write
    };

    TFileStream(const std::string& fileName, Mode mode, unsigned permissions = 0644);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Size() const override;

    const std::string& FileName() const { return m_fileName; }
    // Flushes the file to the disk; raises EInOutError when that fails.
    void Sync();
    // Closes the file; raises EInOutError when the system reports a failure.
    void Close();

protected:
    TFileStream() = default;
    void OpenDescriptor(int fd, const std::string& fileName);

private:
    int m_fd = -1;
    std::string m_fileName;
};

// Whether Commit flushes the bytes to the disk before the rename.
enum class TFlush {
    // The file holds state that exists nowhere else (a project, the settings):
    // after a crash it reads as either the old or the new content.
    ToDisk,
    // The file is one of many made again from what is on disk (a stored page
    // rewritten, an index page): the bytes are left to the system's write-back,
    // as the captured files themselves are. A flush per file would make a
    // pass over thousands of pages wait on the disk thousands of times.
    Cached,
};

// A file replaced as a whole: the bytes go to a temporary file beside the
// target, and Commit() renames it over the target. A stream destroyed without
// Commit() leaves the target as it was and removes the temporary file.
class TAtomicFileStream final : public TFileStream {
public:
    // permissions apply to a new file; an existing target keeps its own.
    explicit TAtomicFileStream(const std::string& targetName, unsigned permissions = 0644,
                               TFlush flush = TFlush::ToDisk);
    ~TAtomicFileStream() override;

    void Commit();
    const std::string& TargetName() const { return m_targetName; }

private:
    std::string m_targetName;
    std::string m_tempName;
    TFlush m_flush;
    bool m_committed = false;
};

// The mkstemp pattern of a temporary file beside the files of a directory
// ("dir/" or empty): ".<base>.tmp-XXXXXX".
std::string AtomicTempPattern(std::string_view directory, std::string_view base);
// Whether a file name is one of TAtomicFileStream's temporary files
// (".<target>.tmp-XXXXXX"): a program killed while writing leaves one behind.
bool IsAtomicTempName(std::string_view name);

} // namespace velbrin
