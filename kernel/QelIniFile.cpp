// QelIniFile: reading and checking configuration values.
#include "kernel/QelIniFile.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "kernel/QelException.h"

namespace {

std::string trim(const std::string& s) {
  auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  auto e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

}  // namespace

QelIniFile::QelIniFile(std::string path) : path_(std::move(path)) {
  std::ifstream in(path_);
  if (!in) {
    int err = errno;
    throw QelExcFatal("Configuration", kErrConfigFile,
                      "cannot read configuration file " + path_ + ": " +
                          systemError("open", err).str());
  }
  std::string line;
  std::string current;
  while (std::getline(in, line)) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      auto close = t.find(']');
      current = trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      sections_[current];
      continue;
    }
    auto eq = t.find('=');
    if (eq == std::string::npos) continue;
    std::string value = t.substr(eq + 1);
    // A comment may follow the value after blank space.
    for (std::size_t i = 0; i < value.size(); ++i) {
      if ((value[i] == ';' || value[i] == '#') && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
        value.resize(i);
        break;
      }
    }
    sections_[current][trim(t.substr(0, eq))] = trim(value);
  }
}

bool QelIniFile::hasSection(const std::string& section) const {
  return sections_.count(section) != 0;
}

void QelIniFile::fail(unsigned long id, const std::string& section,
                      const std::string& what) const {
  throw QelExcFatal("Configuration", id, path_ + ", section [" + section + "]: " + what);
}

const std::string& QelIniFile::text(const std::string& section, const std::string& key) const {
  auto s = sections_.find(section);
  if (s == sections_.end()) fail(kErrConfigSection, section, "the section is missing");
  auto k = s->second.find(key);
  if (k == s->second.end()) fail(kErrConfigKey, section, "key " + key + " is missing");
  return k->second;
}

std::int32_t QelIniFile::int32(const std::string& section, const std::string& key) const {
  return int32InRange(section, key, INT32_MIN, INT32_MAX);
}

std::int32_t QelIniFile::int32InRange(const std::string& section, const std::string& key,
                                      std::int64_t min, std::int64_t max) const {
  const std::string& v = text(section, key);
  errno = 0;
  char* end = nullptr;
  long long n = std::strtoll(v.c_str(), &end, 10);
  if (v.empty() || *end != '\0' || errno == ERANGE || n < INT32_MIN || n > INT32_MAX) {
    fail(kErrConfigValue, section,
         "key " + key + " = \"" + v + "\" is not a whole number that fits 32 bits");
  }
  if (n < min || n > max) {
    fail(kErrConfigValue, section,
         "key " + key + " = " + v + " is outside " + std::to_string(min) + " to " +
             std::to_string(max));
  }
  return static_cast<std::int32_t>(n);
}

float QelIniFile::real(const std::string& section, const std::string& key) const {
  const std::string& v = text(section, key);
  errno = 0;
  char* end = nullptr;
  float f = std::strtof(v.c_str(), &end);
  if (v.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(f)) {
    fail(kErrConfigValue, section, "key " + key + " = \"" + v + "\" is not a finite number");
  }
  return f;
}
