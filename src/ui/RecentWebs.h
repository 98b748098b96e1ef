#pragma once

#include <QString>

#include <string>

namespace velbrin {

// The File menu shows this many of the known Webs.
inline constexpr int kRecentEntries = 6;

// The name a recent-Web entry shows for a project file: the title stored in
// it, cut to 32 bytes followed by "..." when longer; the file's directory
// (without the trailing "/") when the file is missing or its title empty.
std::string RecentWebName(const std::string& projectFile);

// The caption of entry n: "&" + n + " " + the name upper-cased (as shown
// text, so that a UTF-8 title stays whole), with "&" doubled in the name.
QString RecentEntryCaption(int n, const std::string& name);

} // namespace velbrin
