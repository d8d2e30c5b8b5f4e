// Detached pthreads with an attribute object that is always released.
#include "kernel/QelOsThread.h"

#include <dirent.h>
#include <pthread.h>

#include <fstream>
#include <string>

#include "kernel/IException.h"
#include "kernel/QelException.h"

namespace {

// Owns a pthread attribute object.
class ThreadAttributes {
 public:
  ThreadAttributes() {
    if (int rc = ::pthread_attr_init(&attr_)) throw IException(systemError("pthread_attr_init", rc));
  }
  ~ThreadAttributes() { ::pthread_attr_destroy(&attr_); }
  ThreadAttributes(const ThreadAttributes&) = delete;
  ThreadAttributes& operator=(const ThreadAttributes&) = delete;
  pthread_attr_t* get() { return &attr_; }

 private:
  pthread_attr_t attr_;
};

struct Start {
  void (*routine)(void*);
  void* argument;
};

void* trampoline(void* p) {
  Start start = *static_cast<Start*>(p);
  delete static_cast<Start*>(p);
  start.routine(start.argument);
  return nullptr;
}

}  // namespace

void osStartDetachedThread(void (*routine)(void*), void* argument, std::size_t stackSize) {
  ThreadAttributes attr;
  if (int rc = ::pthread_attr_setdetachstate(attr.get(), PTHREAD_CREATE_DETACHED))
    throw IException(systemError("pthread_attr_setdetachstate", rc));
  if (int rc = ::pthread_attr_setstacksize(attr.get(), stackSize))
    throw IException(systemError("pthread_attr_setstacksize", rc));
  auto* start = new Start{routine, argument};
  pthread_t thread;
  if (int rc = ::pthread_create(&thread, attr.get(), trampoline, start)) {
    delete start;
    throw IException(systemError("pthread_create", rc));
  }
}

long osProcessStatusField(long pid, const char* field) {
  std::ifstream status(pid == 0 ? std::string("/proc/self/status")
                                : "/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == field) {
      long n = 0;
      status >> n;
      return n;
    }
  }
  return -1;
}


long osOpenDescriptorCount() {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return -1;
  long n = 0;
  while (dirent* e = ::readdir(dir)) {
    if (e->d_name[0] != '.') ++n;
  }
  ::closedir(dir);
  return n - 1;  // the descriptor of the listing itself
}
