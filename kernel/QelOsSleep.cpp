// osSleepSeconds: whole-second sleep with a test seam.
#include "kernel/QelOsSleep.h"

#include <cerrno>
#include <ctime>

namespace {
// Leaked on purpose: a worker may sleep while another thread runs exit.
QelSleepFunction& sleepFunction() {
  static auto* f = new QelSleepFunction;
  return *f;
}
}  // namespace

void osSleepSeconds(long seconds) {
  const QelSleepFunction& fake = sleepFunction();
  if (fake) {
    fake(seconds);
    return;
  }
  if (seconds <= 0) return;
  timespec left{seconds, 0};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

void setSleepFunctionForTesting(QelSleepFunction f) { sleepFunction() = std::move(f); }
