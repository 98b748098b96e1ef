#include "store/WebFile.h"

#include "core/ShortString.h"
#include "core/Entities.h"

namespace velbrin {

void TWebFile::SetDescription(std::string_view text)
{
    m_description = ShortString(DecodeEntities(text));
    TextChanged();
}

void TWebFile::SetFileName(std::string_view name)
{
    m_fileName = ShortString(name);
    TextChanged();
}

void TWebFile::SetMimeType(std::string_view type)
{
    m_mimeType = ShortString(type);
    TextChanged();
}

std::uint8_t TWebFile::GetLinkType() const
{
    if (GetHtml())
        return 0;
    return GetBackground() ? 2 : 1;
}

void TWebFile::SetLinkType(std::uint8_t type)
{
    SetHtml(type == 0);
    SetBackground(type == 2);
}

void TWebFile::SetFlag(std::uint8_t flag, bool on)
{
    Flags = static_cast<std::uint8_t>(on ? (Flags | flag) : (Flags & ~flag));
}

} // namespace velbrin
