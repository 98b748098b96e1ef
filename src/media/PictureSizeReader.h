#pragma once

#include "core/PictureSize.h"

#include <string>

namespace velbrin {

// The size a GIF, JPEG or PNG file declares in its header, found from the
// file's content whatever its name says. Nothing is decoded. Any other kind
// of file, a missing or unreadable file and a header that cannot be read give
// 0 × 0. Needs the Qt application object (for the image format plugins).
TPictureSize ReadPictureSize(const std::string& fileName);

} // namespace velbrin
