#include "CommandLine.h"
#include "core/SystemFiles.h"

#include "core/CaseFold.h"
#include "core/Files.h"
#include "core/Url.h"

namespace velbrin {

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments)
{
    TCommandLine line;
    auto fail = [&line](const std::string& reason) {
        if (line.Error.empty())
            line.Error = reason;
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            line.Help = true;
        } else if (argument == "--version") {
            line.Version = true;
        } else if (argument == "--bookmark") {
            line.AddBookmark = true;
        } else if (argument == "--open") {
            line.OpenBrowser = true;
        } else if (argument == "--workpath" || argument.starts_with("--workpath=")) {
            if (argument != "--workpath")
                line.WorkPath = argument.substr(11);
            else if (i + 1 < arguments.size())
                line.WorkPath = arguments[++i];
            if (line.WorkPath.empty())
                fail("--workpath needs a directory");
        } else if (argument.starts_with("--")) {
            fail("unknown option " + argument);
        } else {
            std::string upper = UpperCase(argument);
            // An address may well end in ".web" or hold ".ini": what starts
            // like one is one.
            bool looksLikeAddress = upper.starts_with("HTTP:") || upper.starts_with("HTTPS:");
            if (!looksLikeAddress && upper.find(".WEB") != std::string::npos)
                line.ProjectFile = argument;
            else if (!looksLikeAddress && upper.find(".INI") != std::string::npos)
                line.OptionsFile = argument;
            else if (upper.find("HTTP") != std::string::npos)
                line.Address = argument;
            else if (upper == "CAPTURE")
                line.Capture = true;
            else
                fail("unusable argument \"" + argument + "\"");
        }
    }
    return line;
}

} // namespace velbrin
