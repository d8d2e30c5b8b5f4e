// QelString: console printing of one line.
#include "kernel/QelString.h"

#include <cerrno>
#include <string>

#include <unistd.h>

void QelString::print() const {
  std::string line = text_;
  line.push_back('\n');
  const char* p = line.data();
  std::size_t left = line.size();
  while (left > 0) {
    ssize_t n = ::write(STDOUT_FILENO, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;  // nowhere to report a console that cannot be written
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}
