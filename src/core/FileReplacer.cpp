#include "core/FileReplacer.h"

#include "core/Errors.h"
#include "core/FileStream.h"
#include "core/Files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velbrin {

namespace {

[[noreturn]] void ThrowWriteError(const std::string& target, int code)
{
    throw EInOutError("Write error on \"" + target + "\". " + std::strerror(code), code);
}

} // namespace

TFileReplacer::~TFileReplacer()
{
    DropScratch();
}

void TFileReplacer::OpenScratch(const std::string& directory)
{
    // Named like a temporary file of TAtomicFileStream, so that loading a Web
    // after a crash removes a scratch file left behind.
    std::string pattern = AtomicTempPattern(directory, "replace");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return;
    m_fd = fd;
    m_directory = directory;
    m_scratchName = std::move(pattern);
}

void TFileReplacer::DropScratch()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    ::unlink(m_scratchName.c_str());
    m_fd = -1;
    m_scratchName.clear();
}

void TFileReplacer::Replace(const std::string& target, std::string_view bytes, unsigned permissions)
{
    const std::string directory = ExtractFilePath(target);
    if (m_fd >= 0 && directory != m_directory)
        DropScratch();
    if (m_fd < 0)
        OpenScratch(directory);
    if (m_fd < 0) {
        const int code = errno;
        throw EInOutError("Cannot create file \"" + target + "\". " + std::strerror(code), code);
    }

    // Written over the scratch file's old bytes and cut to length afterwards:
    // a file emptied first would be written back at once when closed.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            DropScratch();
            ThrowWriteError(target, code);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::ftruncate(m_fd, static_cast<off_t>(bytes.size())) != 0) {
        const int code = errno;
        DropScratch();
        ThrowWriteError(target, code);
    }

    struct stat existing {};
    const bool existed = ::stat(target.c_str(), &existing) == 0;
    const mode_t mode = existed ? (existing.st_mode & 07777) : permissions;
    struct stat scratch {};
    if (::fstat(m_fd, &scratch) != 0 || (scratch.st_mode & 07777) != mode)
        ::fchmod(m_fd, mode);

    if (existed && ::renameat2(AT_FDCWD, m_scratchName.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        // The target's old bytes are now the scratch file.
        ::close(m_fd);
        m_fd = ::open(m_scratchName.c_str(), O_RDWR | O_CLOEXEC);
        if (m_fd < 0)
            ::unlink(m_scratchName.c_str());
        NoteFileReplaced(target);
        return;
    }
    if (::rename(m_scratchName.c_str(), target.c_str()) != 0) {
        const int code = errno;
        DropScratch();
        throw EInOutError("Cannot create file \"" + target + "\". " + std::strerror(code), code);
    }
    ::close(m_fd);
    m_fd = -1;
    m_scratchName.clear();
    if (existed)
        NoteFileReplaced(target);
    else
        NoteFileCreated(target);
}

} // namespace velbrin
