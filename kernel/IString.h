// IString: the general text value of the platform layer. Text is joined to it
// with concatenation. A value type; distinct objects may be used by distinct
// threads without synchronization.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

class IString {
 public:
  IString() = default;
  IString(const char* text);  // NOLINT: implicit, as text literals join strings
  IString(std::string text);  // NOLINT
  IString(std::string_view text);  // NOLINT
  virtual ~IString() = default;

  IString(const IString&) = default;
  IString& operator=(const IString&) = default;
  IString(IString&&) noexcept = default;
  IString& operator=(IString&&) noexcept = default;

  // The text, zero-terminated.
  const char* c_str() const { return text_.c_str(); }
  operator const char*() const { return text_.c_str(); }  // NOLINT
  std::size_t length() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  const std::string& str() const { return text_; }

  IString& operator+=(std::string_view more);

  friend bool operator==(const IString& a, const IString& b) { return a.text_ == b.text_; }

 protected:
  std::string text_;
};

IString operator+(const IString& a, std::string_view b);
IString operator+(const IString& a, const IString& b);
IString operator+(const IString& a, const char* b);
IString operator+(const IString& a, const std::string& b);
IString operator+(const char* a, const IString& b);
