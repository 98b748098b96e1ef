#pragma once

#include "core/DateTime.h"
#include "store/CaptureInfo.h"

#include <cstdint>
#include <string>

namespace velbrin {

class TMIMELIST;
class TWebTree;

// What the index pages show of a Web: its texts, counters and records. The
// tree and the MIME table belong to the Web and must outlive the description.
struct TWebDescription {
    const TWebTree* Tree = nullptr;
    const TMIMELIST* MimeList = nullptr;
    std::string Title;
    std::string Url;  // start address
    std::string Path; // capture directory, ending with "/"; empty when there is none
    // File name of the stored start page; empty when nothing was captured.
    std::string HomePage;
    TDateTime CaptureDate = 0;
    std::int32_t TotalSize = 0;
    std::int32_t CapturedCount = 0;
    std::int32_t ErrorCount = 0;
    std::int32_t NotFoundCount = 0;
    std::int32_t FilteredCount = 0;
    TCaptureInfo LastCaptureInfo;
};

} // namespace velbrin
