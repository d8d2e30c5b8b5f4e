// Console output of the indexer: one whole line per call, serialized with
// every other guarded section of the process. Callable from any thread.
#pragma once

#include "kernel/QelString.h"

// Prints `text` as one line. While the process-wide services exist it holds
// the process-wide lock (through the console lock) for the line; before and
// after, it prints without a lock.
void consolePrint(const QelString& text);
