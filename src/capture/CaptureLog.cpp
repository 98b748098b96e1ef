#include "capture/CaptureLog.h"

#include "core/CaseFold.h"
#include "core/Text.h"

namespace velbrin {

std::string LogHeading(std::string_view startUrl)
{
    return "<HTML><HEADER></HEADER><BODY BGCOLOR=\"#FFFFFF\"><H3>WEB : " + HtmlEscape(UpperCase(startUrl)) + "</H3>";
}

std::string LogEntry(std::string_view message)
{
    std::string entry = "<br>";
    entry.append(message.substr(0, kLogEntryMax));
    entry += "\r\n";
    if (entry.size() > kLogEntryMax)
        entry.resize(kLogEntryMax);
    return entry;
}

} // namespace velbrin
