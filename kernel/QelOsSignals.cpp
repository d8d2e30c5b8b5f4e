// Blocking and waiting for the stop signals.
#include "kernel/QelOsSignals.h"

#include <pthread.h>
#include <signal.h>

namespace {
sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}
}  // namespace

void osBlockStopSignals() {
  sigset_t set = stopSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

QelStopSignal osWaitForStopSignal() {
  sigset_t set = stopSignals();
  for (;;) {
    int sig = 0;
    if (::sigwait(&set, &sig) == 0) {
      return sig == SIGINT ? QelStopSignal::interrupt : QelStopSignal::terminate;
    }
  }
}

void osIgnoreInterrupt() {
  struct sigaction sa {};
  sa.sa_handler = SIG_IGN;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
}
