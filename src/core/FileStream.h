#pragma once

#include "core/Stream.h"

#include <string>

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

// A file replaced as a whole: the bytes go to a temporary file beside the
// target, and Commit() renames it over the target. A stream destroyed without
// Commit() leaves the target as it was and removes the temporary file.
class TAtomicFileStream final : public TFileStream {
public:
    // permissions apply to a new file; an existing target keeps its own.
    explicit TAtomicFileStream(const std::string& targetName, unsigned permissions = 0644);
    ~TAtomicFileStream() override;

    void Commit();
    const std::string& TargetName() const { return m_targetName; }

private:
    std::string m_targetName;
    std::string m_tempName;
    bool m_committed = false;
};

} // namespace velbrin
