// IString: text value with concatenation.
#include "kernel/IString.h"

#include <utility>

IString::IString(const char* text) : text_(text ? text : "") {}
IString::IString(std::string text) : text_(std::move(text)) {}
IString::IString(std::string_view text) : text_(text) {}

IString& IString::operator+=(std::string_view more) {
  text_.append(more);
  return *this;
}

IString operator+(const IString& a, std::string_view b) {
  IString r(a);
  r += b;
  return r;
}

IString operator+(const IString& a, const IString& b) { return a + std::string_view(b.str()); }

IString operator+(const char* a, const IString& b) { return IString(a) + b; }

IString operator+(const IString& a, const char* b) { return a + std::string_view(b ? b : ""); }

IString operator+(const IString& a, const std::string& b) { return a + std::string_view(b); }
