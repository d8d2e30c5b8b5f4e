// QelScheduler: batching, pacing and the stop of the process.
#include "indexing/QelScheduler.h"

#include <cstring>

#include "common/QelConsole.h"
#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "indexing/QelExcSchedulerLibServName.h"
#include "intake/QelDocBuffer.h"
#include "kernel/QelConfiguration.h"
#include "kernel/QelOsSleep.h"
#include "kernel/QelTextSearchIndexHandle.h"

QelScheduler::QelScheduler(QelDocBuffer* buffer, const QelString& index,
                           const QelConfiguration* config)
    : configuration(config), docBuffer(buffer), indexName(index) {
  qelStartThread(&QelScheduler::entry, this);
}

QelScheduler::~QelScheduler() = default;

template <class Call>
void QelScheduler::withIndex(Call&& call) {
  QelLockGuard guard(*QelIndexerGlobals::indexLock());
  QelTextSearchSession session;
  QelTextSearchIndexHandle handle(session, indexName);
  call(handle);
}

int QelScheduler::run() {
  return qelWorkerFrame("unknown exception in QelScheduler", [this] {
    checkLibraryService();
    while (cycle()) {
    }
    return 0;
  });
}

void QelScheduler::checkLibraryService() {
  QelString found;
  withIndex([&](QelTextSearchIndexHandle& handle) {
    std::string name = handle.retrieveInfo()->libraryServiceName.str();
    for (char& c : name) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    found = QelString(name);
  });
  if (std::strcmp(found.c_str(), kExpectedLibraryService) != 0) {
    throw QelExcSchedulerLibServName(indexName, found, QelString(kExpectedLibraryService));
  }
}

bool QelScheduler::cycle() {
  for (std::int64_t step = 1; step <= configuration->schedulerInterval(); ++step) {
    osSleepSeconds(1);
    if (stopRequest().load() != 0) break;
  }

  bool available = false;
  withIndex([&](QelTextSearchIndexHandle& handle) {
    available = handle.retrieveStatus()->available != 0;
  });
  if (!available) {
    if (stopRequest().load() != 0) {
      stopFlag().store(1);
      return false;
    }
    return true;
  }

  QelDocQueue batch;
  docBuffer->moveDocuments(batch, configuration->schedulerBatchSize());
  if (!batch.isEmpty() && !scheduleBatch(batch)) {
    stopFlag().store(1);
    return false;
  }
  if (stopRequest().load() != 0) stopFlag().store(1);

  try {
    withIndex([](QelTextSearchIndexHandle& handle) { handle.update(); });
  } catch (const QelExcNonFatal&) {
    // the index updates at a later cycle
  }
  return stopFlag().load() == 0;
}

bool QelScheduler::scheduleBatch(QelDocQueue& batch) {
  for (std::uint64_t attempt = 1;; ++attempt) {
    try {
      withIndex([&](QelTextSearchIndexHandle& handle) { handle.scheduleDocument(batch); });
      return true;
    } catch (const QelExcNonFatal& e) {
      if (attempt % 5 == 0) consolePrint(e.report());
    }
    if (sleepUntilStopRequest(configuration->schedulerInterval())) {
      docBuffer->returnDocuments(batch);
      return false;
    }
  }
}

bool QelScheduler::sleepUntilStopRequest(std::int64_t seconds) {
  for (std::int64_t step = 1; step <= seconds; ++step) {
    osSleepSeconds(1);
    if (stopRequest().load() != 0) return true;
  }
  return stopRequest().load() != 0;
}
