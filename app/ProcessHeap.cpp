#include "ProcessHeap.h"

#include <malloc.h>

namespace velbrin {

namespace {

constexpr int kHeaps = 2;
constexpr int kKeptAndMappedFrom = 4 << 20;

} // namespace

void ShapeProcessHeap()
{
    mallopt(M_ARENA_MAX, kHeaps);
    mallopt(M_TRIM_THRESHOLD, kKeptAndMappedFrom);
    mallopt(M_MMAP_THRESHOLD, kKeptAndMappedFrom);
}

} // namespace velbrin
