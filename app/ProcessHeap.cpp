#include "ProcessHeap.h"

#include <malloc.h>

namespace velbrin {

void UseOneHeapForAllThreads()
{
    mallopt(M_ARENA_MAX, 1);
}

} // namespace velbrin
