// The kernel's exception classes. QelException adds a component name and a
// report line to IException; QelExcFatal and QelExcNonFatal say whether the
// caller may go on; the socket exceptions tell a connection how its peer went.
#pragma once

#include "kernel/IException.h"
#include "kernel/QelString.h"

// Error ids of the kernel. The indexer's own ids are 2000 and above. No id
// has 0 in its low byte, so the exit status that an id gives is never 0.
enum QelKernelError : unsigned long {
  kErrConfigFile = 1001,      // configuration file missing or unreadable
  kErrConfigSection = 1002,   // webspace section missing
  kErrConfigKey = 1003,       // key missing
  kErrConfigValue = 1004,     // value not a number, out of range or refused
  kErrSocket = 1010,          // a socket system call failed
  kErrConnect = 1011,         // a client could not connect
  kErrSocketInterrupt = 1012, // a wait was broken off (no data, stop flag)
  kErrSocketEnd = 1013,       // the peer closed the connection
  kErrSocketReset = 1014,     // the connection was reset
  kErrIndexMissing = 1020,    // text-search index does not exist
  kErrIndexIo = 1021,         // index file could not be read or written
  kErrIndexDamaged = 1022,    // index file holds damaged data
  kErrIndexHeld = 1023,       // index is held by an administrator
  kErrIndexExists = 1025,     // index to be created exists already
  kErrNamedEvent = 1030,      // named event could not be created, set or removed
};

class QelException : public IException {
 public:
  QelException(QelString component, unsigned long errorId, const IString& text = IString());
  ~QelException() override = default;

  // One line: "<component> error <id>: <newest text>".
  virtual QelString report() const;
  const QelString& component() const { return component_; }

 private:
  QelString component_;
};

// The caller cannot go on with what failed.
class QelExcFatal : public QelException {
 public:
  QelExcFatal(QelString component, unsigned long errorId, const IString& text = IString())
      : QelException(std::move(component), errorId, text) {}
  ~QelExcFatal() override = default;
};

// The caller may try again or carry on.
class QelExcNonFatal : public QelException {
 public:
  QelExcNonFatal(QelString component, unsigned long errorId, const IString& text = IString())
      : QelException(std::move(component), errorId, text) {}
  ~QelExcNonFatal() override = default;
};

// A socket system call failed; the text names the call and the reason.
class QelExcSocketError : public QelExcFatal {
 public:
  explicit QelExcSocketError(const IString& text) : QelExcFatal("Socket", kErrSocket, text) {}
};

// A wait on a socket was broken off: no data for a second, or the stop flag.
class QelExcSocketInterrupt : public QelExcNonFatal {
 public:
  QelExcSocketInterrupt() : QelExcNonFatal("Socket", kErrSocketInterrupt, "wait interrupted") {}
};

// The peer closed the connection in order.
class QelExcSocketConnectionEnd : public QelExcNonFatal {
 public:
  QelExcSocketConnectionEnd()
      : QelExcNonFatal("Socket", kErrSocketEnd, "connection closed by peer") {}
};

// The connection was reset or broke.
class QelExcSocketConnectionReset : public QelExcNonFatal {
 public:
  explicit QelExcSocketConnectionReset(const IString& text = "connection reset by peer")
      : QelExcNonFatal("Socket", kErrSocketReset, text) {}
};

// "<call>: <strerror(err)>", the usual wording of a failed system call.
QelString systemError(const char* call, int err);
