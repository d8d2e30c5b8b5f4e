// IException: the general exception base of the platform layer. It carries a
// stack of text lines (the newest is the one shown) and an error id.
#pragma once

#include <string>
#include <vector>

#include "kernel/IString.h"

class IException {
 public:
  IException() = default;
  IException(const IString& text, unsigned long errorId = 0);
  virtual ~IException() = default;

  IException(const IException&) = default;
  IException& operator=(const IException&) = default;

  // Pushes a new newest line.
  IException& addText(const IString& text);
  // The newest line, or "" when there is none.
  const char* text() const;
  std::size_t textCount() const { return lines_.size(); }

  unsigned long errorId() const { return errorId_; }
  IException& setErrorId(unsigned long id) {
    errorId_ = id;
    return *this;
  }

 private:
  std::vector<std::string> lines_;
  unsigned long errorId_ = 0;
};
