#pragma once

#include <string>
#include <vector>

namespace velbrin {

// Directories whose files a deleted Web never takes with it: the working path,
// the program's directory, the user's home directory and the root, and every
// directory that holds one of them. Compared as absolute, normal paths and,
// like names of the working path, without regard to case.
bool IsProtectedDirectory(const std::string& directory, const std::vector<std::string>& keep);

// The directories IsProtectedDirectory keeps: WorkPath(), ProgramDir(), $HOME and "/".
std::vector<std::string> ProtectedDirectories();

// Deletes every file of directory + "index/" and that directory, then every
// file of directory and the directory itself; subdirectories are not
// descended into. Returns an empty text, or why a directory could not be
// removed (it still holds a subdirectory, or is in use).
std::string DeleteWebDirectory(const std::string& directory);

// Deletes every file of the directory (subdirectories stay).
void DeleteFilesOf(const std::string& directory);

// The entries of a directory other than "." and "..", files and subdirectories alike.
int CountEntries(const std::string& directory);

} // namespace velbrin
