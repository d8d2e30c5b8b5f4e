// RawSink: raw POSIX sockets on purpose; it is the yardstick.
#include "bench/RawSink.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

RawSink::RawSink() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listenFd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::listen(listenFd_, 128);
  socklen_t len = sizeof a;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&a), &len);
  port_ = ntohs(a.sin_port);
  acceptor_ = std::thread([this] {
    while (!stop_) {
      pollfd p{listenFd_, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      int fd = ::accept(listenFd_, nullptr, nullptr);
      if (fd < 0) continue;
      int one = 1;
      ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      readers_.emplace_back([this, fd] { serve(fd); });
    }
  });
}

RawSink::~RawSink() {
  stop_ = true;
  acceptor_.join();
  for (auto& r : readers_) r.join();
  ::close(listenFd_);
}

void RawSink::serve(int fd) {
  std::vector<char> buf(256 * 1024);
  std::uint64_t total = 0;  // bytes of this connection so far
  for (;;) {
    ssize_t n = ::read(fd, buf.data(), buf.size());
    if (n <= 0) break;
    bytes_ += static_cast<std::uint64_t>(n);
    // Only the last byte of each record is looked at: does it ask for "OK"?
    std::uint64_t first = (31 - total % 32) % 32;
    for (std::uint64_t i = first; i < static_cast<std::uint64_t>(n); i += 32) {
      if (buf[i] != '0') ::send(fd, "OK", 2, MSG_NOSIGNAL);
    }
    total += static_cast<std::uint64_t>(n);
  }
  ::close(fd);
}
