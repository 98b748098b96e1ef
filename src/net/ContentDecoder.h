#pragma once

#include "net/HttpHeader.h"

#include <memory>
#include <string>
#include <string_view>

namespace velbrin {

// Undoes the content coding of a response body (gzip or brotli), in blocks
// as they arrive. A gzip body may hold several members one after the other.
class TContentDecoder {
public:
    // A decoder for coding; null for Identity and Other, which are kept as they are.
    static std::unique_ptr<TContentDecoder> Create(TContentCoding coding);

    virtual ~TContentDecoder() = default;
    // Appends the decoded bytes of block to out. False when the data is not
    // of the coding (corrupt, or bytes after the end of a brotli stream);
    // the decoder then refuses everything after.
    virtual bool Decode(std::string_view block, std::string& out) = 0;
    // The coded stream ended where it should: a body cut short is not.
    virtual bool Finished() const = 0;
    // "gzip" or "br", for messages.
    virtual const char* Name() const = 0;
};

} // namespace velbrin
