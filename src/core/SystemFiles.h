#pragma once

#include <string_view>

namespace velbrin {

// The names of the files the program writes itself, and the versions of its
// own formats. Each is defined here and nowhere else.

// Beside the captured files of a Web.
inline constexpr std::string_view kProjectFileName = "LOCAL.WEB"; // made by the command line
inline constexpr std::string_view kLogFileName = "LogFile.htm";
inline constexpr std::string_view kNotFoundFileName = "NotFound.htm"; // where links answered "not found" lead
inline constexpr std::string_view kBadLinkFileName = "BadLink.htm";   // where suppressed links lead
inline constexpr std::string_view kHomePageName = "_Home.htm";        // the index of the capture

// In the working directory.
inline constexpr std::string_view kSettingsFileName = "velbrin.ini";
inline constexpr std::string_view kMimeDefFileName = "mime.def";
inline constexpr std::string_view kKnownWebsFileName = "webs.dat";

// The ".WEB" project file; its web tree records follow the same version.
inline constexpr std::string_view kProjectSignature = "VVLBN";
inline constexpr std::string_view kOldProjectSignature = "VELBRIN"; // version 0, no version field
inline constexpr int kProjectVersion = 21;
// What changed since the project file was written, appended beside it (its
// name + this suffix) during a capture and folded into it afterwards.
inline constexpr std::string_view kProjectJournalSuffix = "-journal";
inline constexpr std::string_view kProjectJournalSignature = "VVLBJ";
inline constexpr int kProjectJournalVersion = 1;
// Beside the project file (its name + this suffix) from the start of a
// capture until the links of what it kept are resolved: a program killed in
// between resolves them in its next session.
inline constexpr std::string_view kProjectUnresolvedSuffix = "-unresolved";

} // namespace velbrin
