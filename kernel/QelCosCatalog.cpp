// QelCosCatalog: numbered message texts with positional arguments.
#include "kernel/QelCosCatalog.h"

#include <cstdlib>
#include <fstream>

#include "kernel/QelHome.h"

#ifndef QEL_CATALOG_SOURCE_DIR
#define QEL_CATALOG_SOURCE_DIR "etc"
#endif

QelCosCatalog::QelCosCatalog(const QelString& name) : name_(name.str()) {
  const std::string program = qelProgramDirectory();
  for (const std::string& dir :
       {program + "/../etc", program + "/etc", std::string(QEL_CATALOG_SOURCE_DIR)}) {
    std::ifstream in(dir + "/" + name_ + ".cat");
    if (!in) continue;
    path_ = dir + "/" + name_ + ".cat";
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty() || line[0] == '#') continue;
      char* end = nullptr;
      unsigned long number = std::strtoul(line.c_str(), &end, 10);
      if (end == line.c_str()) continue;
      std::string text(end);
      auto start = text.find_first_not_of(" \t");
      texts_[number] = start == std::string::npos ? "" : text.substr(start);
    }
    return;
  }
}

QelString QelCosCatalog::getMsg(unsigned long number, const char* arg1, const char* arg2,
                                const char* arg3) const {
  const char* args[3] = {arg1, arg2, arg3};
  auto it = texts_.find(number);
  if (it == texts_.end()) {
    std::string line = "message " + std::to_string(number) + " of catalog " + name_ +
                       (path_.empty() ? " (catalog file not found)" : " (not in " + path_ + ")");
    bool first = true;
    for (const char* a : args) {
      if (!a) continue;
      line += first ? ": " : ", ";
      line += a;
      first = false;
    }
    return QelString(line);
  }
  const std::string& text = it->second;
  std::string out;
  out.reserve(text.size() + 64);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size()) {
      char c = text[i + 1];
      if (c == '%') {
        out.push_back('%');
        ++i;
        continue;
      }
      if (c >= '1' && c <= '3') {
        if (const char* a = args[c - '1']) out += a;
        ++i;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return QelString(out);
}
