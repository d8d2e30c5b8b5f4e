// QelConnection: the collector protocol.
#include "intake/QelConnection.h"

#include <cstring>

#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "intake/QelDocBuffer.h"
#include "intake/QelMalformedRecordLog.h"
#include "intake/QelRecordParser.h"

QelConnection::QelConnection(std::unique_ptr<QelSocket> accepted, QelDocBuffer* buffer)
    : socket(std::move(accepted)), docBuffer(buffer) {
  // When this throws, the new-expression frees the object and the socket.
  qelStartThread(&QelConnection::entry, this);
}

QelConnection::~QelConnection() = default;

int QelConnection::run() {
  return qelWorkerFrame("unknown exception in QelConnection", [this] {
    serve();
    delete this;
    return 0;
  });
}

void QelConnection::serve() {
  QelBuffer receiveBuffer(kRecordSize);
  const QelBuffer replyBuffer(QelString("OK"));
  QelMalformedRecordLog refusals(socket->peerAddress());
  unsigned char record[kRecordSize];
  long filled = 0;  // bytes of the record being collected
  const std::atomic<std::int32_t>& stop = stopFlag();
  for (;;) {
    if (stop.load(std::memory_order_relaxed) != 0) {
      socket->shutdown();
      return;
    }
    try {
      filled += socket->recv(receiveBuffer, filled);
    } catch (const QelExcSocketInterrupt&) {
      continue;
    } catch (const QelExcSocketConnectionEnd&) {
      return;  // a partial record is dropped without a reply
    } catch (const QelExcSocketConnectionReset&) {
      return;
    }
    if (filled < static_cast<long>(kRecordSize)) continue;
    filled = 0;
    std::memcpy(record, receiveBuffer.data(), kRecordSize);
    QelRecord parsed;
    if (!qelParseRecord(record, parsed)) {
      refusals.refused(record, kRecordSize);
      continue;
    }
    if (parsed.ackRequest != 0) {
      try {
        socket->send(replyBuffer);
      } catch (const QelExcSocketConnectionReset&) {
        return;  // the id of the record being answered is not added
      }
    }
    DocKind kind = parsed.docKind == 3   ? newDocument
                   : parsed.docKind == 4 ? changedDocument
                                         : otherDocument;
    docBuffer->addDocument(parsed.docId, kind);
  }
}
