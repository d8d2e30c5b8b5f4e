// IException: stack of text lines with an error id.
#include "kernel/IException.h"

IException::IException(const IString& text, unsigned long errorId) : errorId_(errorId) {
  lines_.push_back(text.str());
}

IException& IException::addText(const IString& text) {
  lines_.push_back(text.str());
  return *this;
}

const char* IException::text() const { return lines_.empty() ? "" : lines_.back().c_str(); }
