#pragma once

#include "core/PictureSize.h"

#include <string>
#include <string_view>

namespace velbrin {

// The size a GIF, JPEG or PNG file declares in its header, found from the
// file's content whatever its name says. Nothing is decoded. Any other kind
// of file, a missing or unreadable file and a header that cannot be read give
// 0 × 0.
TPictureSize ReadPictureSize(const std::string& fileName);

// The same from the first bytes of a file. A JPEG's size may come after
// segments of any length: bytes that end before it give 0 × 0.
TPictureSize PictureSizeOf(std::string_view bytes);

} // namespace velbrin
