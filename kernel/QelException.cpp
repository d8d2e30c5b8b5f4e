// The kernel's exception classes.
#include "kernel/QelException.h"

#include <cstring>
#include <string>
#include <utility>

QelException::QelException(QelString component, unsigned long errorId, const IString& text)
    : IException(text, errorId), component_(std::move(component)) {}

QelString QelException::report() const {
  return QelString(component_ + " error " + std::to_string(errorId()) + ": " + text());
}

QelString systemError(const char* call, int err) {
  char buf[256];
  const char* reason = ::strerror_r(err, buf, sizeof buf);  // GNU variant
  return QelString(std::string(call) + ": " + reason);
}
