// QelListener: accepts the collector's connections on the webspace's port
// and gives each to a QelConnection of its own. Runs on a thread of its own,
// started by the constructor; ends when the stop flag is set. Owned by the
// driver.
#pragma once

#include <cstdint>
#include <memory>

#include "kernel/QelSocket.h"

class QelDocBuffer;

class QelListener {
 public:
  // Stores both and starts the thread; the socket is made on that thread.
  // Throws IException when the thread cannot be started.
  QelListener(long port, QelDocBuffer* docBuffer);
  // Closes the listening socket; the thread must have ended (the driver
  // waits for the workers first).
  virtual ~QelListener();

  QelListener(const QelListener&) = delete;
  QelListener& operator=(const QelListener&) = delete;

  // The thread routine.
  int run();
  static int entry(QelListener* self) { return self->run(); }

 private:
  // Constant after construction.
  const long port;
  QelDocBuffer* const docBuffer;  // not owned
  // Written by the listener's thread only.
  std::unique_ptr<QelSocket> socket;
};
