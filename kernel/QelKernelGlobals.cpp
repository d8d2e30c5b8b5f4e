// QelKernelGlobals: process set-up, and the new-handler.
#include "kernel/QelKernelGlobals.h"

#include <csignal>
#include <new>

#include <sys/resource.h>

#include "kernel/QelString.h"

QelKernelGlobals::QelKernelGlobals() {
  std::signal(SIGPIPE, SIG_IGN);
  rlimit lim{};
  if (::getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
    lim.rlim_cur = lim.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &lim);
  }
}

void qelNewHandler() {
  QelString("qelNewHandler: out of memory").print();
  throw std::bad_alloc();
}
