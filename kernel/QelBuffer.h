// QelBuffer: a byte area of fixed length owned by its creator. Not shared
// between threads.
#pragma once

#include <cstddef>
#include <memory>

#include "kernel/QelString.h"

class QelBuffer {
 public:
  // A zeroed area of `size` bytes (0 when size is 0 or below).
  explicit QelBuffer(long size);
  // The string's text without a terminating zero, ready to be sent.
  explicit QelBuffer(const QelString& text);

  QelBuffer(const QelBuffer&) = delete;
  QelBuffer& operator=(const QelBuffer&) = delete;

  unsigned char* data() { return data_.get(); }
  const unsigned char* data() const { return data_.get(); }
  long length() const { return length_; }

 private:
  std::unique_ptr<unsigned char[]> data_;
  long length_;
};
