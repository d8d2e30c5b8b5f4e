// QelIniFile: the parsed content of a configuration file of the form
//   [section]
//   key = value      ; comment      # comment
// Read once; const afterwards, so any thread may read it.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class QelIniFile {
 public:
  // Reads and parses `path`. Throws QelExcFatal (kErrConfigFile) when the file
  // cannot be read.
  explicit QelIniFile(std::string path);

  const std::string& path() const { return path_; }
  bool hasSection(const std::string& section) const;

  // The value of `key` in `section`. Each throws QelExcFatal naming the file,
  // the section and the key when the section or key is missing (kErrConfigSection,
  // kErrConfigKey) or the value is not acceptable (kErrConfigValue).
  const std::string& text(const std::string& section, const std::string& key) const;
  std::int32_t int32(const std::string& section, const std::string& key) const;
  std::int32_t int32InRange(const std::string& section, const std::string& key, std::int64_t min,
                            std::int64_t max) const;
  float real(const std::string& section, const std::string& key) const;

 private:
  [[noreturn]] void fail(unsigned long id, const std::string& section,
                         const std::string& what) const;

  std::string path_;
  std::map<std::string, std::map<std::string, std::string>> sections_;
};
