// The process-wide recursive lock.
#include "common/QelLock.h"

std::recursive_mutex& qelProcessLock() {
  static auto* lock = new std::recursive_mutex;  // never destroyed
  return *lock;
}
