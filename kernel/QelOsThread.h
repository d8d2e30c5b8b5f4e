// Detached threads of the operating system, with a stack size of the
// caller's choice. No thread is ever joined.
#pragma once

#include <cstddef>

// Starts `routine(argument)` on a new detached thread with a stack of
// `stackSize` bytes. Throws IException naming the failed call.
void osStartDetachedThread(void (*routine)(void*), void* argument, std::size_t stackSize);

// A number from the operating system's status of process `pid` (0: this
// process), such as "Threads:" or "VmRSS:" (in KiB); -1 when there is none.
long osProcessStatusField(long pid, const char* field);
// Number of open descriptors of this process.
long osOpenDescriptorCount();
