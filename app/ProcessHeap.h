#pragma once

namespace velbrin {

// Shapes the C library's heap for a capture. Called first thing in main.
// - Two heaps for all the threads. Left alone, the library gives each thread
//   that allocates a heap of its own, which keeps what the thread freed: the
//   workers of the resolution pass would each hold on to the room of the
//   biggest pages they rewrote. With one heap, the session's thread and the
//   page preparer's wait for each other's every allocation.
// - Room freed at the top of a heap is kept up to 4 MB, and blocks up to
//   4 MB come from the heap rather than from a mapping of their own: the
//   buffers of one page are then the room of the next, where the system
//   would otherwise take the memory back and hand it out again, zeroed page
//   by page, for every page.
void ShapeProcessHeap();

} // namespace velbrin
