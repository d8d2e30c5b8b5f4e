// QelSocket: TCP on POSIX sockets.
#include "kernel/QelSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "kernel/QelException.h"

namespace {

std::string withPort(const QelString& what, long port) {
  return what.str() + " (port " + std::to_string(port) + ")";
}

std::string addressText(const sockaddr_in& a) {
  char text[INET_ADDRSTRLEN] = "?";
  ::inet_ntop(AF_INET, &a.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(a.sin_port));
}

void pauseMilliseconds(long ms) {
  timespec t{ms / 1000, (ms % 1000) * 1000000L};
  ::nanosleep(&t, nullptr);
}

bool isBrokenConnection(int err) {
  switch (err) {
    case ECONNRESET:
    case EPIPE:
    case ETIMEDOUT:
    case ENOTCONN:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENETDOWN:
    case ECONNABORTED:
      return true;
    default:
      return false;
  }
}

}  // namespace

QelSocket::QelSocket(long port) : fd_(-1), port_(port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0) throw QelExcSocketError(withPort(systemError("socket", errno), port));
  int on = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
}

QelSocket::QelSocket(int fd, std::string peer) : fd_(fd), port_(0), peer_(std::move(peer)) {}

QelSocket::~QelSocket() {
  if (fd_ >= 0) ::close(fd_);
}

void QelSocket::listen() {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(static_cast<uint16_t>(port_));
  if (port_ < 0 || port_ > 65535)
    throw QelExcSocketError(withPort("bind: port out of range", port_));
  if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    throw QelExcSocketError(withPort(systemError("bind", errno), port_));
  if (::listen(fd_, SOMAXCONN) != 0)
    throw QelExcSocketError(withPort(systemError("listen", errno), port_));
}

std::unique_ptr<QelSocket> QelSocket::accept(const std::atomic<std::int32_t>& stopFlag) {
  for (;;) {
    if (stopFlag.load(std::memory_order_relaxed) != 0) throw QelExcSocketInterrupt();
    pollfd p{fd_, POLLIN, 0};
    int ready = ::poll(&p, 1, 1000);
    if (ready < 0 && errno != EINTR)
      throw QelExcSocketError(withPort(systemError("poll", errno), port_));
    if (ready <= 0) continue;
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    int fd = ::accept4(fd_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
    if (fd < 0) {
      switch (errno) {
        case EINTR:
        case EAGAIN:
        case ECONNABORTED:
        case EPROTO:
          continue;
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
          pauseMilliseconds(100);  // wait for descriptors or memory to come free
          continue;
        default:
          throw QelExcSocketError(withPort(systemError("accept", errno), port_));
      }
    }
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::unique_ptr<QelSocket> s(new QelSocket(fd, addressText(peer)));
    s->setReceiveTimeout(1000);
    return s;
  }
}

std::unique_ptr<QelSocket> QelSocket::fromDescriptor(int fd, std::string peer) {
  std::unique_ptr<QelSocket> s(new QelSocket(fd, std::move(peer)));
  s->setReceiveTimeout(1000);
  return s;
}

void QelSocket::setReceiveTimeout(long milliseconds) {
  timeval tv{milliseconds / 1000, static_cast<suseconds_t>((milliseconds % 1000) * 1000)};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

void QelSocket::throwReceiveError(int err) const {
  if (err == EAGAIN || err == EWOULDBLOCK) throw QelExcSocketInterrupt();
  if (isBrokenConnection(err)) throw QelExcSocketConnectionReset(systemError("recv", err));
  throw QelExcSocketError(systemError("recv", err) + " (peer " + peer_ + ")");
}

long QelSocket::recv(QelBuffer& buffer, long offset) {
  if (offset < 0 || offset >= buffer.length()) return 0;
  const std::size_t room = static_cast<std::size_t>(buffer.length() - offset);
  unsigned char* target = buffer.data() + offset;
  if (begin_ == end_) {
    if (room >= kReadAhead) {
      for (;;) {
        ssize_t n = ::recv(fd_, target, room, 0);
        if (n > 0) return static_cast<long>(n);
        if (n == 0) throw QelExcSocketConnectionEnd();
        if (errno != EINTR) throwReceiveError(errno);
      }
    }
    if (!readAhead_) readAhead_.reset(new unsigned char[kReadAhead]);
    for (;;) {
      ssize_t n = ::recv(fd_, readAhead_.get(), kReadAhead, 0);
      if (n > 0) {
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
        break;
      }
      if (n == 0) throw QelExcSocketConnectionEnd();
      if (errno != EINTR) throwReceiveError(errno);
    }
  }
  std::size_t n = end_ - begin_ < room ? end_ - begin_ : room;
  std::memcpy(target, readAhead_.get() + begin_, n);
  begin_ += n;
  return static_cast<long>(n);
}

void QelSocket::send(const QelBuffer& buffer) {
  sendBytes(buffer.data(), static_cast<std::size_t>(buffer.length()));
}

void QelSocket::sendBytes(const void* data, std::size_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    ssize_t n = ::send(fd_, p, length, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (isBrokenConnection(errno)) throw QelExcSocketConnectionReset(systemError("send", errno));
      throw QelExcSocketError(systemError("send", errno) + " (peer " + peer_ + ")");
    }
    p += n;
    length -= static_cast<std::size_t>(n);
  }
}

void QelSocket::shutdown() { ::shutdown(fd_, SHUT_RDWR); }

void QelSocket::abortiveClose() {
  linger l{1, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  ::close(fd_);
  fd_ = -1;
}

std::unique_ptr<QelSocket> QelSocket::connect(const std::string& host, long port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string where = host + ":" + std::to_string(port);
  if (int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found)) {
    throw QelExcFatal("Socket", kErrConnect,
                      "cannot connect to " + where + ": " + ::gai_strerror(rc));
  }
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    int err = errno;
    ::freeaddrinfo(found);
    throw QelExcFatal("Socket", kErrConnect, "cannot connect to " + where + ": " +
                                                 systemError("socket", err).str());
  }
  int rc = ::connect(fd, found->ai_addr, found->ai_addrlen);
  int err = errno;
  sockaddr_in peer{};
  std::memcpy(&peer, found->ai_addr, sizeof peer);
  ::freeaddrinfo(found);
  if (rc != 0) {
    ::close(fd);
    throw QelExcFatal("Socket", kErrConnect, "cannot connect to " + where + ": " +
                                                 systemError("connect", err).str());
  }
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  std::unique_ptr<QelSocket> s(new QelSocket(fd, addressText(peer)));
  s->setReceiveTimeout(1000);
  return s;
}
