#include "ui/BrowserIcon.h"

#include "config/DefaultBrowser.h"
#include "core/Files.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPalette>

#include <filesystem>
#include <system_error>

namespace velbrin {

namespace {

// The same program file: the same name, or one reached through links.
bool SameProgram(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    if (a == b)
        return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

QIcon IconOf(const std::string& name)
{
    if (name.empty())
        return {};
    if (name.front() == '/')
        return FileExists(name) ? QIcon(QFile::decodeName(QByteArray::fromStdString(name))) : QIcon();
    return QIcon::fromTheme(QString::fromStdString(name));
}

} // namespace

std::string DesktopEntryIcon(const std::string& fileName) { return DesktopEntryValue(fileName, "Icon"); }

std::string BrowserIconName(const std::string& exeName)
{
    if (exeName.empty() || !FileExists(exeName))
        return {};
    namespace fs = std::filesystem;
    for (const std::string& dir : ApplicationDirs()) {
        std::error_code error;
        fs::recursive_directory_iterator entries(dir, fs::directory_options::skip_permission_denied, error);
        for (const fs::recursive_directory_iterator end; !error && entries != end; entries.increment(error)) {
            const fs::path& path = entries->path();
            if (path.extension() != ".desktop")
                continue;
            std::string file = path.string();
            std::string program = SearchPath(CommandProgram(DesktopEntryExec(file)));
            if (!SameProgram(program, exeName))
                continue;
            std::string icon = DesktopEntryIcon(file);
            if (!icon.empty())
                return icon;
        }
    }
    return {};
}

QPixmap PaintBrowserIcon(const std::string& exeName)
{
    QPixmap picture(kBrowserIconSize, kBrowserIconSize);
    picture.fill(QApplication::palette().color(QPalette::Button));
    if (exeName.empty() || !FileExists(exeName))
        return picture;
    QIcon icon = IconOf(BrowserIconName(exeName));
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("web-browser"));
    if (icon.isNull())
        return picture;
    QPainter painter(&picture);
    icon.paint(&painter, QRect(0, 0, kBrowserIconSize, kBrowserIconSize));
    return picture;
}

} // namespace velbrin
