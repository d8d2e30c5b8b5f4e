// QelFileIndexEngine: the on-disk text-search engine. An index named N lives
// in $QEL_HOME/index/N/:
//   info           its library service name
//   primary.ids    the primary part: sorted ids with a checksum, replaced whole
//                  (write, sync, rename)
//   secondary.log  the secondary part: checksummed segments, appended
//   scheduled.log  the scheduled documents: checksummed segments, appended
//   hold           present while an administrator holds the index
// A crash in any call leaves the index readable: a torn last segment is
// ignored, and every step of an update can be repeated without harm, so
// nothing a completed scheduleDocument took is lost. A document id counts
// once per index. The engine keeps what it read in memory and reads again
// when a file changed under it. Thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kernel/QelTextSearchEngine.h"

class QelFileIndexEngine : public QelTextSearchEngine {
 public:
  QelFileIndexEngine();
  ~QelFileIndexEngine() override;

  void openIndex(const QelString& name) override;
  QelIndexInfo retrieveInfo(const QelString& name) override;
  QelIndexStatus retrieveStatus(const QelString& name) override;
  void scheduleDocument(const QelString& name, const QelDocQueue& queue) override;
  void update(const QelString& name) override;

  // Administration (the tool qelidx). Each throws QelException.
  void create(const QelString& name, const QelString& libraryServiceName);
  void hold(const QelString& name);
  void release(const QelString& name);
  // Names of the indexes in the home directory, sorted.
  std::vector<std::string> list();
  // Every id in the index: the primary part, then the secondary part, then
  // the scheduled ids that are in neither.
  std::vector<std::int32_t> dump(const QelString& name);

  // $QEL_HOME/index/<name>
  static std::string folder(const QelString& name);

  // A secondary part at least this large, and at least a quarter of the
  // primary part, is merged into the primary part by the next update.
  static constexpr std::size_t kMergeMinimum = 1000;

 private:
  struct State;
  State& load(const QelString& name);  // mutex_ held

  std::mutex mutex_;
  std::map<std::string, std::unique_ptr<State>> cache_;  // guarded by mutex_
};
