// Home directory and program location.
#include "kernel/QelHome.h"

#include <cstdlib>

#include <limits.h>
#include <unistd.h>

std::string qelHomeDirectory() {
  const char* home = std::getenv("QEL_HOME");
  std::string dir = (home && *home) ? home : ".";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

std::string qelHomePath(const std::string& name) { return qelHomeDirectory() + "/" + name; }

std::string qelProgramDirectory() {
  char path[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string p(path, static_cast<std::size_t>(n));
  auto slash = p.rfind('/');
  return slash == std::string::npos ? "." : p.substr(0, slash);
}
