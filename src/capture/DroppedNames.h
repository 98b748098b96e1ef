#pragma once

namespace velbrin {

class TWEB;

// After loading a project file: the records whose stored file name was
// dropped because it could lead outside the capture directory (the tree's
// loader clears such names) have no file any more. Each one that counted as
// captured or not found goes back to ToExplore, leaving its counter, so that
// the next session fetches it again into a name of its own. Returns how many
// records were re-queued that way.
int RequeueRecordsWithoutFile(TWEB& web);

} // namespace velbrin
