// QelTextSearchEngine: the text-search engine behind sessions and index
// handles. The process has one installed engine: the on-disk engine unless a
// test installs a fake. Engines synchronize their own calls.
#pragma once

#include <cstdint>

#include "kernel/QelDocQueue.h"
#include "kernel/QelString.h"

// What retrieveInfo gives.
struct QelIndexInfo {
  QelString libraryServiceName;
};

// What retrieveStatus gives: five 32-bit words, the first unused.
struct QelIndexStatus {
  std::uint32_t reserved = 0;
  std::uint32_t available = 0;  // non-zero: the index takes work now
  std::uint32_t primaryCount = 0;
  std::uint32_t secondaryCount = 0;
  std::uint32_t scheduledCount = 0;
};
static_assert(sizeof(QelIndexStatus) == 20);

class QelTextSearchEngine {
 public:
  virtual ~QelTextSearchEngine() = default;

  // Each call names the index. Each throws QelException: kErrIndexMissing when
  // the index does not exist; scheduleDocument and update throw QelExcNonFatal
  // when the index cannot take work now.
  virtual void openIndex(const QelString& name) = 0;
  virtual QelIndexInfo retrieveInfo(const QelString& name) = 0;
  virtual QelIndexStatus retrieveStatus(const QelString& name) = 0;
  // Takes the queue's ids into the index as scheduled, durably; the queue is
  // left as it was.
  virtual void scheduleDocument(const QelString& name, const QelDocQueue& queue) = 0;
  // Moves the scheduled documents into the index.
  virtual void update(const QelString& name) = 0;
  // A session was opened or closed (fakes may count them).
  virtual void sessionOpened() {}
  virtual void sessionClosed() {}
};

// The installed engine.
QelTextSearchEngine& qelTextSearchEngine();
// Installs `engine` (null: the on-disk engine again) and returns the one
// installed before. Tests only, while no thread uses the engine.
QelTextSearchEngine* setTextSearchEngineForTesting(QelTextSearchEngine* engine);

// A session with the engine; index handles are opened on it.
class QelTextSearchSession {
 public:
  QelTextSearchSession() { qelTextSearchEngine().sessionOpened(); }
  ~QelTextSearchSession() { qelTextSearchEngine().sessionClosed(); }
  QelTextSearchSession(const QelTextSearchSession&) = delete;
  QelTextSearchSession& operator=(const QelTextSearchSession&) = delete;
};
