#include "ui/BrowserIcon.h"

#include "config/DefaultBrowser.h"
#include "config/XdgDirs.h"
#include "core/Files.h"
#include "core/Text.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QPainter>
#include <QPalette>

#include <filesystem>
#include <system_error>

namespace velbrin {

namespace {

// A desktop entry is a few kilobytes; anything far larger is not one.
constexpr std::int64_t kMaxDesktopEntrySize = 1024 * 1024;

// The value of a key of the [Desktop Entry] group ("Icon", not "Icon[fr]").
std::string DesktopEntryValue(const std::string& fileName, std::string_view key)
{
    std::string text;
    try {
        if (!FileExists(fileName) || GetFileSize(fileName) > kMaxDesktopEntrySize)
            return {};
        text = ReadWholeFile(fileName);
    } catch (const std::exception&) {
        return {};
    }
    bool inEntry = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimBlanks(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry || line.compare(0, key.size(), key) != 0)
            continue;
        std::size_t equals = line.find_first_not_of(" \t", key.size());
        if (equals != std::string::npos && line[equals] == '=')
            return TrimBlanks(std::string_view(line).substr(equals + 1));
    }
    return {};
}

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
    std::vector<std::string> bases;
    if (std::string home = DataHome(); !home.empty())
        bases.push_back(home);
    for (std::string& dir : DataDirs())
        bases.push_back(std::move(dir));
    namespace fs = std::filesystem;
    for (const std::string& base : bases) {
        std::error_code error;
        fs::recursive_directory_iterator entries(base + "applications", fs::directory_options::skip_permission_denied,
                                                 error);
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
