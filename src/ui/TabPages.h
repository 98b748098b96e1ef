#pragma once

#include <QString>

namespace velbrin {

// The pages of the main window's notebook, in their order.
enum class TTabPage { Web, Options, File, Capture, Url, Multimedia };

inline constexpr int kTabPageCount = 6;

// The page's caption with its mnemonic: "W&eb", "&Options", "F&ile",
// "C&apture", "&URL", "&Multimedia".
QString TabCaption(TTabPage page);

} // namespace velbrin
