// QelString: the kernel's text type, an IString that can print itself as one
// console line. Value type.
#pragma once

#include "kernel/IString.h"

class QelString : public IString {
 public:
  QelString() = default;
  QelString(const char* text) : IString(text) {}  // NOLINT
  QelString(std::string text) : IString(std::move(text)) {}  // NOLINT
  QelString(std::string_view text) : IString(text) {}  // NOLINT
  QelString(const IString& other) : IString(other) {}  // NOLINT

  // Writes the text and a line end to standard output in one write, so that
  // a pipe sees each line whole and at once. Safe while the process exits.
  void print() const;
};
