#include "capture/DroppedNames.h"

#include "capture/Web.h"

namespace velbrin {

int RequeueRecordsWithoutFile(TWEB& web)
{
    int requeued = 0;
    web.Tree.ForEachFile([&](TWebFile& record, const std::string&) {
        if (!record.GetFileName().empty())
            return false;
        std::uint16_t* counter = nullptr;
        if (record.State == StateCapturedPage || record.State == StateCapturedFile)
            counter = &web.CapturedCount;
        else if (record.State == StateNotFound)
            counter = &web.NotFoundCount;
        else
            return false;
        if (*counter > 0)
            --*counter;
        record.State = StateToExplore;
        ++requeued;
        return false;
    });
    return requeued;
}

} // namespace velbrin
