#include "ui/TabPages.h"

namespace velbrin {

QString TabCaption(TTabPage page)
{
    switch (page) {
    case TTabPage::Web: return QStringLiteral("W&eb");
    case TTabPage::Options: return QStringLiteral("&Options");
    case TTabPage::File: return QStringLiteral("F&ile");
    case TTabPage::Capture: return QStringLiteral("C&apture");
    case TTabPage::Url: return QStringLiteral("&URL");
    case TTabPage::Multimedia: return QStringLiteral("&Multimedia");
    }
    return {};
}

} // namespace velbrin
