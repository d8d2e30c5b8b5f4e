// QelCosCatalog: message texts by number, read from the catalog file
// "<name>.cat". The file is looked for in etc/ beside the program's folder,
// in etc/ inside it, then in the source tree's etc/. Read once in the
// constructor; const afterwards, so any thread may call getMsg.
#pragma once

#include <map>
#include <string>

#include "kernel/QelString.h"

class QelCosCatalog {
 public:
  explicit QelCosCatalog(const QelString& name);
  virtual ~QelCosCatalog() = default;

  QelCosCatalog(const QelCosCatalog&) = delete;
  QelCosCatalog& operator=(const QelCosCatalog&) = delete;

  // The text of message `number` with "%1", "%2", "%3" replaced by the
  // arguments (a null argument is absent and inserts nothing; "%%" is one
  // percent sign). A number the catalog does not hold, or a catalog file that
  // could not be read, still gives one line naming the catalog, the number
  // and the arguments.
  QelString getMsg(unsigned long number, const char* arg1 = nullptr, const char* arg2 = nullptr,
                   const char* arg3 = nullptr) const;

  // Where the catalog was read from, or "" when no file was found.
  const std::string& path() const { return path_; }

 private:
  std::string name_;
  std::string path_;
  std::map<unsigned long, std::string> texts_;
};
