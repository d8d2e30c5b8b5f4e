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

namespace {

// Ids of records that arrived in one burst, added to the buffer together
// under one hold of the lock. Each record's "OK" still goes out before its
// id is added.
class PendingIds {
 public:
  explicit PendingIds(QelDocBuffer* buffer) : buffer_(buffer) {}
  PendingIds(const PendingIds&) = delete;
  PendingIds& operator=(const PendingIds&) = delete;

  void add(std::int32_t docId, DocKind kind) {
    ids_[count_] = docId;
    kinds_[count_] = kind;
    if (++count_ == kCapacity) flush();
  }
  void flush() {
    if (count_ == 0) return;
    buffer_->addDocuments(ids_, kinds_, count_);
    count_ = 0;
  }

 private:
  static constexpr std::size_t kCapacity = 256;
  QelDocBuffer* buffer_;
  std::int32_t ids_[kCapacity];
  DocKind kinds_[kCapacity];
  std::size_t count_ = 0;
};

}  // namespace

void QelConnection::serve() {
  QelBuffer receiveBuffer(kRecordSize);
  const QelBuffer replyBuffer(QelString("OK"));
  QelMalformedRecordLog refusals(socket->peerAddress());
  PendingIds pending(docBuffer);
  unsigned char record[kRecordSize];
  long filled = 0;  // bytes of the record being collected
  const std::atomic<std::int32_t>& stop = stopFlag();
  for (;;) {
    // Nothing is held back while the connection may wait for the collector:
    // recv waits (and can end the connection) only when this flushes.
    if (socket->buffered() < static_cast<long>(kRecordSize) - filled) pending.flush();
    if (stop.load(std::memory_order_relaxed) != 0) {
      pending.flush();
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
      pending.flush();  // the console line comes after what arrived before it
      refusals.refused(record, kRecordSize);
      continue;
    }
    if (parsed.ackRequest != 0) {
      try {
        socket->send(replyBuffer);
      } catch (const QelExcSocketConnectionReset&) {
        pending.flush();  // the records before this one arrived whole
        return;           // the id of the record being answered is not added
      }
    }
    DocKind kind = parsed.docKind == 3   ? newDocument
                   : parsed.docKind == 4 ? changedDocument
                                         : otherDocument;
    pending.add(parsed.docId, kind);
  }
}
