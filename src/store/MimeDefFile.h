#pragma once

#include "store/MimeList.h"
#include "core/SystemFiles.h"

#include <string>
#include <string_view>

namespace velbrin {

// The application's MIME table lives in "mime.def" in the working directory,
// in the stream form of TMIMELIST.

enum class MimeDefStatus {
    Loaded,       // read from the file
    Created,      // the file was missing: defaults, written at once
    DefaultsUsed, // defaults; the file could not be read or written (see error)
};

// Fills table from "mime.def" in directory. A missing file is not an error:
// the table gets its defaults and the file is written with them. A file that
// cannot be read, or that is damaged, is left alone and the defaults are used;
// so are they when the new file cannot be written. error then says why.
MimeDefStatus LoadMimeDef(TMIMELIST& table, const std::string& directory, std::string* error = nullptr);

// Replaces "mime.def" atomically; raises EInOutError or EStreamError and
// leaves the old file when that fails.
void SaveMimeDef(const TMIMELIST& table, const std::string& directory);

// Adds the types of learnt that table does not know (with Capture off) and,
// when there was at least one, writes "mime.def" again. Returns how many
// were added; raises as SaveMimeDef.
int MergeMimeDef(TMIMELIST& table, const TMIMELIST& learnt, const std::string& directory);

} // namespace velbrin
