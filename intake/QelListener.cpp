// QelListener: the accept loop.
#include "intake/QelListener.h"

#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "intake/QelConnection.h"

QelListener::QelListener(long listenPort, QelDocBuffer* buffer)
    : port(listenPort), docBuffer(buffer) {
  qelStartThread(&QelListener::entry, this);
}

QelListener::~QelListener() = default;

int QelListener::run() {
  return qelWorkerFrame("unknown exception in QelListener", [this] {
    socket = std::make_unique<QelSocket>(port);
    socket->listen();
    try {
      for (;;) {
        std::unique_ptr<QelSocket> accepted = socket->accept(stopFlag());
        new QelConnection(std::move(accepted), docBuffer);  // owns itself
      }
    } catch (const QelExcSocketInterrupt&) {
      // the stop flag: the only way out
    }
    return 0;
  });
}
