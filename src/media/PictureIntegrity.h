#pragma once

#include <string_view>

namespace velbrin {

// Whether the bytes of a GIF or JPEG file are whole: their block structure
// runs to its end (the GIF trailer, or at least one whole frame followed by
// nothing; the JPEG end-of-image marker). A download cut short, which the
// decoders would still paint in part, fails here. Bytes of any other kind
// are left to their decoder and pass.
bool IsPictureDataWhole(std::string_view bytes);

} // namespace velbrin
