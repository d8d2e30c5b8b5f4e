// QelKernelGlobals: the kernel's process-wide set-up, made once by the
// program's process-wide services object before any worker thread starts.
#pragma once

class QelKernelGlobals {
 public:
  // Ignores SIGPIPE (a peer that goes away must not end the process) and
  // raises the soft limit of open descriptors to the hard limit, so that
  // many collectors can be connected at once.
  QelKernelGlobals();
  virtual ~QelKernelGlobals() = default;

  QelKernelGlobals(const QelKernelGlobals&) = delete;
  QelKernelGlobals& operator=(const QelKernelGlobals&) = delete;
};

// The new-handler: prints one line and throws std::bad_alloc.
void qelNewHandler();
