// QelTextSearchIndexHandle: a handle on one text-search index, opened on a
// session. The records it returns stay valid while the handle exists. Used by
// one thread at a time.
#pragma once

#include "kernel/QelTextSearchEngine.h"

class QelTextSearchIndexHandle {
 public:
  // Throws QelException (kErrIndexMissing) naming the index and its folder
  // when the index does not exist.
  QelTextSearchIndexHandle(QelTextSearchSession& session, const QelString& indexName);
  QelTextSearchIndexHandle(const QelTextSearchIndexHandle&) = delete;
  QelTextSearchIndexHandle& operator=(const QelTextSearchIndexHandle&) = delete;

  const QelIndexInfo* retrieveInfo();
  const QelIndexStatus* retrieveStatus();
  // Throws QelExcNonFatal when the index cannot take the batch now; the
  // batch may be offered again.
  void scheduleDocument(QelDocQueue& queue);
  // Throws QelExcNonFatal when the index cannot update now.
  void update();

 private:
  QelString name_;
  QelIndexInfo info_;
  QelIndexStatus status_;
};
