// QelConnection: serves one collector connection on a thread of its own. It
// collects 32-byte records, answers "OK" where a record asks for it, and adds
// each record's id to the document buffer. It owns itself and its socket,
// and deletes both when the connection ends.
#pragma once

#include <memory>

#include "kernel/QelSocket.h"

class QelDocBuffer;

class QelConnection {
 public:
  // Takes the socket and starts the thread. Throws IException when the
  // thread cannot be started; the socket is closed then.
  QelConnection(std::unique_ptr<QelSocket> socket, QelDocBuffer* docBuffer);
  virtual ~QelConnection();

  QelConnection(const QelConnection&) = delete;
  QelConnection& operator=(const QelConnection&) = delete;

  // The thread routine; deletes the object before it returns.
  int run();
  static int entry(QelConnection* self) { return self->run(); }

 private:
  void serve();

  std::unique_ptr<QelSocket> socket;  // used by the connection's thread only
  QelDocBuffer* const docBuffer;      // not owned
};
