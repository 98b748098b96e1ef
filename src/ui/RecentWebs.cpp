#include "ui/RecentWebs.h"

#include "capture/ProjectTitle.h"
#include "core/Files.h"
#include "ui/ShownText.h"

namespace velbrin {

namespace {

constexpr std::size_t kNameLength = 32;

} // namespace

std::string RecentWebName(const std::string& projectFile)
{
    std::optional<std::string> title = ReadProjectTitle(projectFile);
    if (title && !title->empty()) {
        if (title->size() > kNameLength)
            return title->substr(0, kNameLength) + "...";
        return *title;
    }
    std::string directory = ExtractFilePath(projectFile);
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    return directory;
}

QString RecentEntryCaption(int n, const std::string& name)
{
    QString shown = ShownText(name).toUpper();
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QLatin1Char('&') + QString::number(n) + QLatin1Char(' ') + shown;
}

} // namespace velbrin
