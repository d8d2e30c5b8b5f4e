// Worker thread launcher, running count and process exit.
#include "common/QelThread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "kernel/QelOsThread.h"

#ifndef QEL_THREAD_STACK_SIZE
#define QEL_THREAD_STACK_SIZE 32768
#endif

namespace {

// The one start in progress; starts are serialized, so one block serves all.
// Leaked on purpose, like everything here that threads touch while the
// process exits.
struct StartBlock {
  std::mutex serialize;  // held by the starting thread for a whole start
  std::mutex m;
  std::condition_variable cv;
  bool running = false;  // guarded by m
  int (*invoke)(QelAnyEntry, void*) = nullptr;
  QelAnyEntry entry = nullptr;
  void* object = nullptr;
};
StartBlock& startBlock() {
  static auto* b = new StartBlock;
  return *b;
}

struct Registry {
  std::mutex m;
  std::condition_variable cv;
  long running = 0;  // guarded by m
};
Registry& registry() {
  static auto* r = new Registry;
  return *r;
}

void workerEnded() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.m);
  if (--r.running == 0) r.cv.notify_all();
}

void trampoline(void*) {
  StartBlock& b = startBlock();
  int (*invoke)(QelAnyEntry, void*) = b.invoke;
  QelAnyEntry entry = b.entry;
  void* object = b.object;
  {
    std::lock_guard<std::mutex> lock(b.m);
    b.running = true;
    b.cv.notify_one();
  }
  invoke(entry, object);
  workerEnded();
}

}  // namespace

std::size_t qelWorkerStackSize() { return QEL_THREAD_STACK_SIZE; }

void qelStartThreadRaw(int (*invoke)(QelAnyEntry, void*), QelAnyEntry entry, void* object) {
  StartBlock& b = startBlock();
  std::lock_guard<std::mutex> serial(b.serialize);
  {
    std::lock_guard<std::mutex> lock(b.m);
    b.invoke = invoke;
    b.entry = entry;
    b.object = object;
    b.running = false;
  }
  {
    std::lock_guard<std::mutex> lock(registry().m);
    ++registry().running;
  }
  try {
    osStartDetachedThread(trampoline, nullptr, qelWorkerStackSize());
  } catch (...) {
    workerEnded();
    throw;
  }
  std::unique_lock<std::mutex> lock(b.m);
  b.cv.wait(lock, [&] { return b.running; });
}

long qelRunningWorkers() {
  std::lock_guard<std::mutex> lock(registry().m);
  return registry().running;
}

long qelWaitForWorkers(long seconds) {
  Registry& r = registry();
  std::unique_lock<std::mutex> lock(r.m);
  r.cv.wait_for(lock, std::chrono::seconds(seconds > 0 ? seconds : 0),
                [&] { return r.running == 0; });
  return r.running;
}

int qelExitStatusFor(unsigned long errorId) {
  return (errorId & 0xFF) == 0 ? -1 : static_cast<int>(errorId);
}

void qelExitProcess(int status) {
  static std::atomic<bool> exiting{false};
  if (exiting.exchange(true)) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }
  std::exit(status);
}
