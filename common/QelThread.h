// Worker threads: the launcher that a worker's constructor calls, the frame
// around every worker's routine, and the count of worker threads still
// running, which lets the driver wait for them before it destroys what they
// use.
#pragma once

#include <cstddef>

#include "common/QelConsole.h"
#include "kernel/QelException.h"

// Starts `entry(object)` on a new detached thread with the worker stack size
// and returns once that thread runs. Starts are serialized across the
// process. Throws IException naming the failed call when the thread cannot
// be made; then no routine runs for the object.
template <class Worker>
void qelStartThread(int (*entry)(Worker*), Worker* object);

// Any entry function, stored as one pointer type and called only after it is
// turned back into its own type.
using QelAnyEntry = void (*)();
void qelStartThreadRaw(int (*invoke)(QelAnyEntry, void*), QelAnyEntry entry, void* object);

template <class Worker>
int qelInvokeEntry(QelAnyEntry entry, void* object) {
  return reinterpret_cast<int (*)(Worker*)>(entry)(static_cast<Worker*>(object));
}

template <class Worker>
void qelStartThread(int (*entry)(Worker*), Worker* object) {
  qelStartThreadRaw(&qelInvokeEntry<Worker>, reinterpret_cast<QelAnyEntry>(entry), object);
}

// Stack size of worker threads, in bytes.
std::size_t qelWorkerStackSize();

// Worker threads started and not yet ended.
long qelRunningWorkers();
// Waits until no worker thread runs, at most `seconds`; returns how many
// still run then.
long qelWaitForWorkers(long seconds);

// The exit status for an error id: the id, or -1 when its low 8 bits are 0
// (the system keeps only those, and 0 would read as success).
int qelExitStatusFor(unsigned long errorId);

// Ends the process with `status` through the standard exit, once: a second
// thread that comes here waits for the first one's exit to end it.
[[noreturn]] void qelExitProcess(int status);

// The frame around the body of every worker routine: an exception that the
// body does not handle is printed as one line and ends the process.
template <class Body>
int qelWorkerFrame(const char* unknownLine, Body&& body) {
  try {
    return body();
  } catch (const QelException& e) {
    consolePrint(e.report());
    qelExitProcess(qelExitStatusFor(e.errorId()));
  } catch (const IException& e) {
    consolePrint(QelString(QelString("IException : ") + e.text()));
    qelExitProcess(-1);
  } catch (...) {
    consolePrint(QelString(unknownLine));
    qelExitProcess(-1);
  }
}
