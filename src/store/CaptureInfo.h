#pragma once

#include "core/DateTime.h"

#include <cstdint>

namespace velbrin {

// The statistics of a Web's last capture session, kept in its project file.
struct TCaptureInfo {
    TDateTime StartDate = 0;
    TDateTime EndDate = 0;
    // Stored, but nothing sets it.
    std::int32_t Reserved = 0;
    std::int32_t ReceivedKb = 0;
    std::int32_t SessionCaptured = 0;
    std::int32_t SessionFiltered = 0;
    std::int32_t SessionNotFound = 0;
    std::int32_t SessionErrors = 0;

    bool operator==(const TCaptureInfo&) const = default;
};

} // namespace velbrin
