// QelDocBuffer: guarded queue of ids with two totals.
#include "intake/QelDocBuffer.h"

void QelDocBuffer::addDocument(std::int32_t docId, DocKind kind) {
  QelLockGuard guard(lock);
  queue.add(docId);
  if (kind == newDocument) {
    ++newCount;
  } else if (kind == changedDocument) {
    ++changedCount;
  }
}

void QelDocBuffer::addDocuments(const std::int32_t* docIds, const DocKind* kinds,
                                std::size_t count) {
  QelLockGuard guard(lock);
  for (std::size_t i = 0; i < count; ++i) {
    queue.add(docIds[i]);
    if (kinds[i] == newDocument) {
      ++newCount;
    } else if (kinds[i] == changedDocument) {
      ++changedCount;
    }
  }
}

void QelDocBuffer::retrieveCounters(std::uint32_t& newTotal, std::uint32_t& changedTotal,
                                    std::uint32_t& queued) {
  QelLockGuard guard(lock);
  newTotal = newCount;
  changedTotal = changedCount;
  queued = static_cast<std::uint32_t>(queue.numberOfElements());
}

void QelDocBuffer::moveDocuments(QelDocQueue& target, std::int32_t maxCount) {
  QelLockGuard guard(lock);
  for (std::int32_t left = maxCount; !queue.isEmpty() && left > 0; --left) {
    target.add(queue.takeFirst());
  }
}

void QelDocBuffer::returnDocuments(QelDocQueue& batch) {
  QelLockGuard guard(lock);
  queue.prependAll(batch);
}
