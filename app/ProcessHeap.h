#pragma once

namespace velbrin {

// Makes the threads of the program allocate from one heap. Left alone, the C
// library gives each thread that allocates a heap of its own, which keeps what
// the thread freed: the workers of the resolution pass would each hold on to
// the room of the biggest pages they rewrote. Called first thing in main.
void UseOneHeapForAllThreads();

} // namespace velbrin
