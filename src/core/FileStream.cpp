#include "core/FileStream.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velbrin {

namespace {

// What mkstemp makes of a temporary name: the infix, then six characters.
constexpr std::string_view kTempInfix = ".tmp-";
constexpr std::size_t kTempSuffixLength = 6;

std::string SystemMessage(int code)
{
    return std::strerror(code);
}

} // namespace

TFileStream::TFileStream(const std::string& fileName, Mode mode, unsigned permissions)
{
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::OpenRead:
        flags |= O_RDONLY;
        break;
    case Mode::OpenReadWrite:
        flags |= O_RDWR;
        break;
    case Mode::Create:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    bool existed = mode == Mode::Create && ::access(fileName.c_str(), F_OK) == 0;
    int fd = ::open(fileName.c_str(), flags, permissions);
    if (fd < 0) {
        int code = errno;
        const char* verb = mode == Mode::Create ? "Cannot create file \"" : "Cannot open file \"";
        throw EInOutError(verb + fileName + "\". " + SystemMessage(code), code);
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw EInOutError("Cannot open file \"" + fileName + "\". Is a directory", EISDIR);
    }
    OpenDescriptor(fd, fileName);
    if (mode == Mode::Create && !existed)
        NoteFileCreated(fileName);
}

void TFileStream::OpenDescriptor(int fd, const std::string& fileName)
{
    m_fd = fd;
    m_fileName = fileName;
}

TFileStream::~TFileStream()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int code = errno;
            throw EInOutError("Read error on \"" + m_fileName + "\". " + SystemMessage(code), code);
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::write(m_fd, static_cast<const char*>(buffer) + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int code = n < 0 ? errno : ENOSPC;
            throw EInOutError("Write error on \"" + m_fileName + "\". " + SystemMessage(code), code);
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::int64_t TFileStream::Seek(std::int64_t offset, SeekOrigin origin)
{
    int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    off_t at = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (at < 0)
        throw EStreamError("Stream seek error on \"" + m_fileName + "\"");
    return at;
}

std::int64_t TFileStream::Size() const
{
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        return 0;
    return info.st_size;
}

void TFileStream::Sync()
{
    if (m_fd >= 0 && ::fsync(m_fd) != 0 && errno != EINVAL) {
        int code = errno;
        throw EInOutError("Write error on \"" + m_fileName + "\". " + SystemMessage(code), code);
    }
}

void TFileStream::Close()
{
    if (m_fd < 0)
        return;
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        int code = errno;
        throw EInOutError("Write error on \"" + m_fileName + "\". " + SystemMessage(code), code);
    }
}

TAtomicFileStream::TAtomicFileStream(const std::string& targetName, unsigned permissions, TFlush flush)
    : m_targetName(targetName)
    , m_flush(flush)
{
    std::string pattern = AtomicTempPattern(ExtractFilePath(targetName), ExtractFileName(targetName));
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        int code = errno;
        throw EInOutError("Cannot create file \"" + targetName + "\". " + SystemMessage(code), code);
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    m_tempName = pattern;
    struct stat existing {};
    mode_t mode = ::stat(targetName.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : permissions;
    ::fchmod(fd, mode);
    OpenDescriptor(fd, m_tempName);
}

TAtomicFileStream::~TAtomicFileStream()
{
    if (!m_committed) {
        try {
            Close();
        } catch (...) {
        }
        ::unlink(m_tempName.c_str());
    }
}

void TAtomicFileStream::Commit()
{
    if (m_committed)
        return;
    try {
        if (m_flush == TFlush::ToDisk)
            Sync();
        Close();
    } catch (const EInOutError& e) {
        ::unlink(m_tempName.c_str());
        m_committed = true; // nothing left to clean up
        throw EInOutError("Write error on \"" + m_targetName + "\". " + SystemMessage(e.ErrorCode()),
                          e.ErrorCode());
    }
    bool existed = ::access(m_targetName.c_str(), F_OK) == 0;
    if (::rename(m_tempName.c_str(), m_targetName.c_str()) != 0) {
        int code = errno;
        ::unlink(m_tempName.c_str());
        m_committed = true;
        throw EInOutError("Cannot create file \"" + m_targetName + "\". " + SystemMessage(code), code);
    }
    m_committed = true;
    if (existed)
        NoteFileReplaced(m_targetName);
    else
        NoteFileCreated(m_targetName);
}

std::string AtomicTempPattern(std::string_view directory, std::string_view base)
{
    return std::string(directory) + "." + std::string(base) + std::string(kTempInfix) + "XXXXXX";
}

bool IsAtomicTempName(std::string_view name)
{
    if (name.size() < 2 + kTempInfix.size() + kTempSuffixLength || name.front() != '.')
        return false;
    return name.substr(name.size() - kTempSuffixLength - kTempInfix.size(), kTempInfix.size()) == kTempInfix;
}

} // namespace velbrin
