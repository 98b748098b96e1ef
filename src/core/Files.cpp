#include "core/Files.h"
#include "core/AppendFile.h"

#include "core/CaseFold.h"
#include "core/Errors.h"
#include "core/FileStream.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace velbrin {

namespace fs = std::filesystem;

namespace {

// Folded names of the files of each directory asked about, with the identity
// and modification time of the directory when they were read. Shared by the
// whole program: the rewrite of pages on worker threads notes the files it
// replaces here too.
class DirectoryNames {
public:
    bool Contains(const std::string& dir, const std::string& name)
    {
        const std::lock_guard lock(m_mutex);
        struct stat info {};
        if (::stat(DirOrDot(dir).c_str(), &info) != 0)
            return false;
        Entry& entry = m_dirs[dir];
        if (!entry.valid || entry.dev != info.st_dev || entry.ino != info.st_ino
            || entry.mtime.tv_sec != info.st_mtim.tv_sec || entry.mtime.tv_nsec != info.st_mtim.tv_nsec)
            Scan(dir, entry, info);
        auto it = entry.names.find(UpperCase(name));
        return it != entry.names.end() && it->second > 0;
    }

    void Note(const std::string& dir, const std::string& name, int delta)
    {
        const std::lock_guard lock(m_mutex);
        auto it = m_dirs.find(dir);
        if (it == m_dirs.end() || !it->second.valid)
            return;
        struct stat info {};
        if (::stat(DirOrDot(dir).c_str(), &info) != 0) {
            m_dirs.erase(it);
            return;
        }
        Entry& entry = it->second;
        int& count = entry.names[UpperCase(name)];
        count = std::max(0, count + delta);
        entry.mtime = info.st_mtim;
    }

private:
    struct Entry {
        bool valid = false;
        dev_t dev = 0;
        ino_t ino = 0;
        timespec mtime{};
        std::unordered_map<std::string, int> names;
    };

    static std::string DirOrDot(const std::string& dir) { return dir.empty() ? std::string(".") : dir; }

    static void Scan(const std::string& dir, Entry& entry, const struct stat& info)
    {
        entry.names.clear();
        entry.valid = true;
        entry.dev = info.st_dev;
        entry.ino = info.st_ino;
        entry.mtime = info.st_mtim;
        DIR* handle = ::opendir(DirOrDot(dir).c_str());
        if (!handle)
            return;
        while (dirent* item = ::readdir(handle)) {
            std::string_view name = item->d_name;
            if (name != "." && name != "..")
                ++entry.names[UpperCase(name)];
        }
        ::closedir(handle);
    }

    std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_dirs;
};

DirectoryNames& Names()
{
    static DirectoryNames names;
    return names;
}

bool StatIs(const std::string& path, mode_t kind)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
}

} // namespace

bool FileExists(const std::string& fileName)
{
    return !fileName.empty() && StatIs(fileName, S_IFREG);
}

bool DirectoryExists(const std::string& dirName)
{
    return !dirName.empty() && StatIs(dirName, S_IFDIR);
}

bool FileExistsNoCase(const std::string& fileName)
{
    struct stat info {};
    if (::lstat(fileName.c_str(), &info) == 0)
        return true;
    return Names().Contains(ExtractFilePath(fileName), ExtractFileName(fileName));
}

void NoteFileCreated(const std::string& fileName)
{
    Names().Note(ExtractFilePath(fileName), ExtractFileName(fileName), +1);
}

void NoteFileDeleted(const std::string& fileName)
{
    Names().Note(ExtractFilePath(fileName), ExtractFileName(fileName), -1);
}

void NoteFileReplaced(const std::string& fileName)
{
    Names().Note(ExtractFilePath(fileName), ExtractFileName(fileName), 0);
}

std::int64_t GetFileSize(const std::string& fileName)
{
    struct stat info {};
    if (::stat(fileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return 0;
    return info.st_size;
}

bool CopyFile(const std::string& source, const std::string& destination)
{
    std::unique_ptr<TFileStream> in;
    std::unique_ptr<TFileStream> out;
    try {
        in = std::make_unique<TFileStream>(source, TFileStream::Mode::OpenRead);
        out = std::make_unique<TFileStream>(destination, TFileStream::Mode::Create);
    } catch (const EInOutError&) {
        return false;
    }
    out->CopyFrom(*in, -1);
    out->Close();
    return true;
}

bool AppendToFile(const std::string& fileName, std::string_view text)
{
    TAppendFile file(fileName);
    file.Append(text);
    file.Close();
    return true;
}

bool CheckDirectory(std::string& dirName)
{
    while (!dirName.empty() && dirName.back() == '/')
        dirName.pop_back();
    bool exists = DirectoryExists(dirName.empty() ? std::string("/") : dirName);
    dirName += '/';
    return exists;
}

void DeleteDirectory(const std::string& dirName)
{
    if (!DirectoryExists(dirName))
        return;
    std::string dir = dirName;
    if (dir.back() != '/')
        dir += '/';
    for (const std::string& name : ListFiles(dir, "*.*"))
        DeleteFile(dir + name);
    if (::rmdir(dir.c_str()) != 0) {
        int code = errno;
        throw EInOutError("Cannot remove directory \"" + dirName + "\". " + std::strerror(code), code);
    }
}

bool CopyFilesByExtension(const std::string& destination, const std::string& source, std::string_view extensions)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= extensions.size()) {
        std::size_t comma = extensions.find(',', start);
        std::string_view item = extensions.substr(start, comma == std::string_view::npos ? std::string_view::npos
                                                                                         : comma - start);
        std::string text(item);
        if (text.empty() || (text[0] != '+' && text[0] != '-'))
            text.insert(text.begin(), '+');
        items.push_back(UpperCase(text));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }

    std::string from = source;
    if (!CheckDirectory(from))
        return false;
    std::string to = destination;
    CheckDirectory(to);
    ForceDirectories(to);

    auto listed = [&](const std::string& text) {
        for (const std::string& item : items) {
            if (item == text)
                return true;
        }
        return false;
    };
    for (const std::string& item : items) {
        if (item[0] != '+')
            continue;
        for (const std::string& name : ListFiles(from, "*." + item.substr(1))) {
            std::string ext = ExtractFileExt(name);
            std::string own = "-" + UpperCase(ext.empty() ? std::string() : ext.substr(1, 3));
            if (!listed(own))
                CopyFile(from + name, to + name);
        }
    }
    return true;
}

bool ForceDirectories(const std::string& dirName)
{
    if (dirName.empty())
        return false;
    std::error_code error;
    fs::create_directories(fs::path(dirName), error);
    return DirectoryExists(dirName);
}

bool DeleteFile(const std::string& fileName)
{
    if (::unlink(fileName.c_str()) != 0)
        return false;
    NoteFileDeleted(fileName);
    return true;
}

bool RenameFile(const std::string& from, const std::string& to)
{
    bool replaced = FileExists(to);
    if (::rename(from.c_str(), to.c_str()) != 0)
        return false;
    NoteFileDeleted(from);
    if (!replaced)
        NoteFileCreated(to);
    return true;
}

std::string ReadWholeFile(const std::string& fileName)
{
    std::string bytes;
    bytes.resize(ReadWholeFileInto(fileName, bytes).size());
    return bytes;
}

std::string_view ReadWholeFileInto(const std::string& fileName, std::string& room)
{
    TFileStream file(fileName, TFileStream::Mode::OpenRead);
    const auto size = static_cast<std::size_t>(file.Size());
    if (room.size() < size)
        room.resize(size);
    return std::string_view(room.data(), file.Read(room.data(), size));
}

void WriteWholeFile(const std::string& fileName, std::string_view bytes, unsigned permissions, TFlush flush)
{
    TAtomicFileStream file(fileName, permissions, flush);
    file.WriteBuffer(bytes.data(), bytes.size());
    file.Commit();
}

namespace {

bool WriteAllAt(int fd, std::string_view bytes, int& code)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

bool OverwriteFile(const std::string& fileName, std::string_view bytes, std::string_view previous)
{
    int fd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)
        || info.st_size != static_cast<off_t>(previous.size())) {
        ::close(fd);
        return false;
    }
    // Never truncated to nothing first: the file keeps a whole page at every
    // step but the one the write itself is at.
    int code = 0;
    bool ok = WriteAllAt(fd, bytes, code);
    if (ok && bytes.size() < previous.size() && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) {
        code = errno;
        ok = false;
    }
    if (ok && ::close(fd) != 0) {
        code = errno;
        fd = ::open(fileName.c_str(), O_WRONLY | O_CLOEXEC);
        ok = false;
    }
    if (ok)
        return true;
    if (fd >= 0) {
        int ignored = 0;
        WriteAllAt(fd, previous, ignored);
        ::ftruncate(fd, static_cast<off_t>(previous.size()));
        ::close(fd);
    }
    throw EInOutError("Write error on \"" + fileName + "\". " + std::strerror(code), code);
}

std::string WithTrailingSlash(std::string dirName)
{
    if (!dirName.empty() && dirName.back() != '/')
        dirName += '/';
    return dirName;
}

std::string ExtractFilePath(std::string_view fileName)
{
    std::size_t slash = fileName.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(fileName.substr(0, slash + 1));
}

std::string ExtractFileName(std::string_view fileName)
{
    std::size_t slash = fileName.rfind('/');
    return std::string(slash == std::string_view::npos ? fileName : fileName.substr(slash + 1));
}

std::string ExtractFileExt(std::string_view fileName)
{
    std::string name = ExtractFileName(fileName);
    std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ExpandFileName(std::string_view fileName)
{
    if (fileName.empty())
        return {};
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(std::string(fileName)), error);
    std::string text = absolute.lexically_normal().string();
    bool wantsSlash = fileName.back() == '/';
    if (wantsSlash && (text.empty() || text.back() != '/'))
        text += '/';
    if (!wantsSlash && text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

std::int64_t DiskFreeSpace(const std::string& path)
{
    std::error_code error;
    fs::path probe = path.empty() ? fs::path(".") : fs::path(path);
    while (!probe.empty() && !fs::exists(probe, error) && probe.has_parent_path() && probe != probe.parent_path())
        probe = probe.parent_path();
    fs::space_info info = fs::space(probe, error);
    if (error)
        return -1;
    return static_cast<std::int64_t>(info.available);
}

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    // Iterative wildcard match with one backtrack point.
    std::size_t n = 0, m = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || UpperChar(mask[m]) == UpperChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            mark = n;
        } else if (star != std::string_view::npos) {
            m = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    // "name.*" also matches "name" (DOS semantics of a trailing ".*").
    if (m + 2 == mask.size() && mask[m] == '.' && mask[m + 1] == '*')
        return true;
    return m == mask.size();
}

std::vector<std::string> ListFiles(const std::string& dirName, std::string_view mask)
{
    std::vector<std::string> names;
    DIR* handle = ::opendir(dirName.empty() ? "." : dirName.c_str());
    if (!handle)
        return names;
    std::string dir = dirName;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    while (dirent* item = ::readdir(handle)) {
        std::string name = item->d_name;
        if (name == "." || name == ".." || !MatchesMask(name, mask))
            continue;
        if (StatIs(dir + name, S_IFREG))
            names.push_back(std::move(name));
    }
    ::closedir(handle);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace velbrin
