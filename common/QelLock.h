// QelLock names a guarded resource; QelLockGuard takes the one process-wide
// recursive lock that stands behind every QelLock, for the guard's lifetime.
// The process-wide lock is made at its first use and never destroyed, so a
// thread may hold it while another thread ends the process.
#pragma once

#include <mutex>

// A name for one guarded resource. Holds no state.
class QelLock {
 public:
  QelLock() = default;
  QelLock(const QelLock&) = delete;
  QelLock& operator=(const QelLock&) = delete;
};

// The one lock behind every guard.
std::recursive_mutex& qelProcessLock();

// Holds the process-wide lock from construction to destruction, whichever
// QelLock it names. Never copied. A thread that holds it may take it again.
class QelLockGuard {
 public:
  explicit QelLockGuard(QelLock& /*lock*/) { qelProcessLock().lock(); }
  ~QelLockGuard() { qelProcessLock().unlock(); }
  QelLockGuard(const QelLockGuard&) = delete;
  QelLockGuard& operator=(const QelLockGuard&) = delete;
};

// "QelLockGuard(lock);" would make an unnamed guard that locks nothing past
// its own statement; this refuses it at compile time.
#define QelLockGuard(x) static_assert(false, "QelLockGuard needs a name: QelLockGuard guard(lock);")
