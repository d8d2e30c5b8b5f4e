// QelScheduler: moves buffered ids into the webspace's text-search index,
// one batch per cycle paced by schedulerInterval, and has the index updated
// after every cycle in which it is available. The one place where a stop
// request becomes the stop flag: the scheduler is the only writer of that
// flag. Runs on a thread of its own, started by the constructor; owned by
// the driver.
#pragma once

#include <cstdint>

#include "kernel/QelDocQueue.h"
#include "kernel/QelString.h"

class QelConfiguration;
class QelDocBuffer;
class QelTextSearchIndexHandle;

// The library service that the indexer's indexes belong to.
inline constexpr const char* kExpectedLibraryService = "QELLSSHT";

class QelScheduler {
 public:
  // Stores the three and starts the thread. Throws IException when the
  // thread cannot be started.
  QelScheduler(QelDocBuffer* docBuffer, const QelString& indexName,
               const QelConfiguration* configuration);
  virtual ~QelScheduler();

  QelScheduler(const QelScheduler&) = delete;
  QelScheduler& operator=(const QelScheduler&) = delete;

  // The thread routine.
  int run();
  static int entry(QelScheduler* self) { return self->run(); }

 private:
  void checkLibraryService();
  // One cycle; false when the routine is to end.
  bool cycle();
  // Schedules the batch, retrying while the index refuses it for now. False
  // when a stop was requested during the retries: the batch is back at the
  // front of the buffer then.
  bool scheduleBatch(QelDocQueue& batch);
  // Sleeps `seconds` in one-second steps; true as soon as a stop is requested.
  bool sleepUntilStopRequest(std::int64_t seconds);
  // One index call in a scope of its own: the index lock, a fresh session and
  // handle, the call; all closed again, also when the call throws.
  template <class Call>
  void withIndex(Call&& call);

  // Constant after construction.
  const QelConfiguration* const configuration;  // not owned
  QelDocBuffer* const docBuffer;                // not owned
  const QelString indexName;
};
