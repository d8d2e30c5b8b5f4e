// QelDocBuffer: the one store of document ids that the collector side and
// the index side share. Connections add ids, the scheduler takes them out in
// batches, the reporter reads the totals. Every operation holds the
// process-wide lock (through `lock`) for its whole length. Owned by the
// driver; lives in memory only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/QelLock.h"
#include "kernel/QelDocQueue.h"

// The kind of an added id. Any other value is counted in neither total.
enum DocKind : std::uint8_t {
  newDocument = 0,
  changedDocument = 1,
  otherDocument = 2,  // a record of a kind the indexer does not know
};

class QelDocBuffer {
 public:
  QelDocBuffer() = default;
  virtual ~QelDocBuffer() = default;

  QelDocBuffer(const QelDocBuffer&) = delete;
  QelDocBuffer& operator=(const QelDocBuffer&) = delete;

  // Appends the id and counts it by its kind. Takes the process-wide lock.
  void addDocument(std::int32_t docId, DocKind kind);
  // Adds `count` ids with their kinds, in order, as addDocument would one by
  // one, under one hold of the lock.
  void addDocuments(const std::int32_t* docIds, const DocKind* kinds, std::size_t count);
  // The new total, the changed total and the ids waiting, of one moment.
  // Takes the process-wide lock.
  void retrieveCounters(std::uint32_t& newCount, std::uint32_t& changedCount,
                        std::uint32_t& queued);
  // Moves up to `maxCount` of the oldest ids behind what `target` holds, in
  // their order; nothing when maxCount is 0 or below. Takes the lock.
  void moveDocuments(QelDocQueue& target, std::int32_t maxCount);
  // Puts a batch that was taken out back at the front, in its order, without
  // counting it again; `batch` is empty afterwards. Takes the lock.
  void returnDocuments(QelDocQueue& batch);

 private:
  // Guarded by the process-wide lock, through `lock`.
  QelDocQueue queue;
  std::uint32_t newCount = 0;      // wraps modulo 2^32
  std::uint32_t changedCount = 0;  // wraps modulo 2^32
  QelLock lock;
};
