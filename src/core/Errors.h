#pragma once

#include <stdexcept>
#include <string>

namespace velbrin {

// File and conversion failures that end the command in progress. They are
// caught where the command started, and their message is shown to the user.
class EVelbrinError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stream could not be read, written, or grown.
class EStreamError : public EVelbrinError {
public:
    using EVelbrinError::EVelbrinError;
};

// The file system refused an operation (create, delete, rename, write).
class EInOutError : public EVelbrinError {
public:
    explicit EInOutError(const std::string& message, int errorCode = 0)
        : EVelbrinError(message)
        , m_errorCode(errorCode)
    {
    }
    // The system's errno for the failure, 0 when there is none.
    int ErrorCode() const { return m_errorCode; }
    bool IsDiskFull() const;

private:
    int m_errorCode;
};

// A text does not hold the number or date it should.
class EConvertError : public EVelbrinError {
public:
    using EVelbrinError::EVelbrinError;
};

} // namespace velbrin
