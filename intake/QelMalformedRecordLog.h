// QelMalformedRecordLog: the console lines of one connection about records
// that do not parse. The first is printed at once, later ones at most one a
// second, each with the number refused on the connection so far, so that a
// stream of garbage can neither flood the console nor hold the lock. Used by
// its connection's thread only.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

class QelMalformedRecordLog {
 public:
  explicit QelMalformedRecordLog(std::string peer) : peer_(std::move(peer)) {}

  // Counts one refused record and prints message 4 when it is time.
  void refused(const unsigned char* bytes, std::size_t length);
  std::uint64_t count() const { return count_; }

 private:
  std::string peer_;
  std::uint64_t count_ = 0;
  bool printed_ = false;
  std::chrono::steady_clock::time_point lastPrinted_;
};

// The bytes as safe text: printable ASCII as it is (backslash and double
// quote escaped), every other byte as \xNN.
std::string qelShowBytes(const unsigned char* bytes, std::size_t length);
