#pragma once

#include <string>
#include <string_view>

namespace velbrin {

// A file that text is appended to, entry after entry: opened (and created
// when missing) by the first entry and kept open, so that each later entry
// costs one write. Raises EInOutError when the file cannot be opened or
// written; a failed entry closes it, and the next one opens it again.
class TAppendFile {
public:
    explicit TAppendFile(std::string fileName);
    ~TAppendFile();
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;

    const std::string& FileName() const { return m_fileName; }
    void Append(std::string_view text);
    // Closes the file; raises EInOutError when the system reports a failed
    // write only now.
    void Close();

private:
    std::string m_fileName;
    int m_fd = -1;
};

} // namespace velbrin
