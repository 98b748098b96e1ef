#include "core/AppendFile.h"

#include "core/Errors.h"
#include "core/Files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace velbrin {

TAppendFile::TAppendFile(std::string fileName)
    : m_fileName(std::move(fileName))
{
}

TAppendFile::~TAppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void TAppendFile::Append(std::string_view text)
{
    if (m_fd < 0) {
        const bool existed = FileExists(m_fileName);
        m_fd = ::open(m_fileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (m_fd < 0) {
            const int code = errno;
            throw EInOutError("Cannot open file \"" + m_fileName + "\". " + std::strerror(code), code);
        }
        if (!existed)
            NoteFileCreated(m_fileName);
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(m_fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int code = n < 0 ? errno : ENOSPC;
            ::close(m_fd);
            m_fd = -1;
            throw EInOutError("Write error on \"" + m_fileName + "\". " + std::strerror(code), code);
        }
        done += static_cast<std::size_t>(n);
    }
}

void TAppendFile::Close()
{
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int code = errno;
        throw EInOutError("Write error on \"" + m_fileName + "\". " + std::strerror(code), code);
    }
}

} // namespace velbrin
