// QelSocket: a TCP socket of the kernel. A listening socket accepts
// connections; a connected socket receives and sends. One thread uses a
// socket at a time. The descriptor is closed by the destructor.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "kernel/QelBuffer.h"

class QelSocket {
 public:
  // A socket that will listen on `port` of every IPv4 address of the
  // machine. Throws QelExcSocketError.
  explicit QelSocket(long port);
  ~QelSocket();

  QelSocket(const QelSocket&) = delete;
  QelSocket& operator=(const QelSocket&) = delete;

  // Binds and listens. Throws QelExcSocketError naming the call, the port
  // and the reason ("bind: Address already in use (port 5000)").
  void listen();

  // Waits for a connection and returns it; the caller owns it. Looks at
  // `stopFlag` at least once a second and throws QelExcSocketInterrupt once
  // it is non-zero. Passing troubles (a connection aborted before it was
  // taken, a signal, running out of descriptors or buffers) are waited out
  // here; any other failure throws QelExcSocketError.
  std::unique_ptr<QelSocket> accept(const std::atomic<std::int32_t>& stopFlag);

  // Waits for bytes and puts them at data() + offset of `buffer`, at most as
  // many as fit; returns how many (at least 1). Throws QelExcSocketInterrupt
  // after about a second without data, QelExcSocketConnectionEnd when the
  // peer has closed the connection, QelExcSocketConnectionReset when it was
  // reset or broke, QelExcSocketError on any other failure. Reads ahead into
  // a buffer of its own, so one system call serves many small receives.
  long recv(QelBuffer& buffer, long offset = 0);

  // Bytes already received and not yet handed out by recv: that many can be
  // received without waiting.
  long buffered() const { return static_cast<long>(end_ - begin_); }

  // Sends every byte; never raises SIGPIPE. Throws
  // QelExcSocketConnectionReset when the connection was reset or broke,
  // QelExcSocketError on any other failure.
  void send(const QelBuffer& buffer);
  void sendBytes(const void* data, std::size_t length);

  // Shuts both directions down; no further call is made on the socket.
  void shutdown();

  // Connects to host:port (client side, for the tools). Throws QelExcFatal
  // (kErrConnect) naming the address and the reason.
  static std::unique_ptr<QelSocket> connect(const std::string& host, long port);

  // Takes over a connected stream descriptor (one end of a socket pair in
  // tests and fuzzing); `peer` names the other end.
  static std::unique_ptr<QelSocket> fromDescriptor(int fd, std::string peer);

  // "address:port" of the peer of a connected socket.
  const std::string& peerAddress() const { return peer_; }

  // Sets the longest wait of recv before QelExcSocketInterrupt.
  void setReceiveTimeout(long milliseconds);
  // Closes the connection with a reset instead of an orderly close (tests
  // and tools that play a broken collector).
  void abortiveClose();

 private:
  QelSocket(int fd, std::string peer);
  [[noreturn]] void throwReceiveError(int err) const;

  int fd_;
  long port_;
  std::string peer_;
  // Read-ahead of a connected socket, made at its first receive.
  static constexpr std::size_t kReadAhead = 32 * 1024;
  std::unique_ptr<unsigned char[]> readAhead_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};
