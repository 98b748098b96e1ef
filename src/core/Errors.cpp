#include "core/Errors.h"

#include <cerrno>

namespace velbrin {

bool EInOutError::IsDiskFull() const
{
    return m_errorCode == ENOSPC || m_errorCode == EDQUOT;
}

} // namespace velbrin
