// RawSink: the baseline of the network figures. A plain TCP server on
// loopback that reads and counts bytes and answers "OK" to every 32-byte
// record whose last byte asks for it (it looks at that byte only): what the
// indexer does on the wire with none of its work.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

class RawSink {
 public:
  RawSink();
  ~RawSink();
  RawSink(const RawSink&) = delete;
  RawSink& operator=(const RawSink&) = delete;

  int port() const { return port_; }
  std::uint64_t bytes() const { return bytes_.load(); }

 private:
  void serve(int fd);
  int listenFd_;
  int port_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> bytes_{0};
  std::thread acceptor_;
  std::vector<std::thread> readers_;
};
