// QelBuffer: fixed byte area.
#include "kernel/QelBuffer.h"

#include <cstring>

QelBuffer::QelBuffer(long size)
    : data_(new unsigned char[size > 0 ? size : 1]()), length_(size > 0 ? size : 0) {}

QelBuffer::QelBuffer(const QelString& text) : QelBuffer(static_cast<long>(text.length())) {
  std::memcpy(data_.get(), text.c_str(), text.length());
}
