// The installed text-search engine.
#include "kernel/QelTextSearchEngine.h"

#include <atomic>

#include "kernel/QelFileIndexEngine.h"

namespace {
// Leaked on purpose: threads may use it while the process exits.
QelFileIndexEngine* diskEngine() {
  static auto* engine = new QelFileIndexEngine;
  return engine;
}
std::atomic<QelTextSearchEngine*> installed{nullptr};
}  // namespace

QelTextSearchEngine& qelTextSearchEngine() {
  QelTextSearchEngine* e = installed.load(std::memory_order_acquire);
  return e ? *e : *diskEngine();
}

QelTextSearchEngine* setTextSearchEngineForTesting(QelTextSearchEngine* engine) {
  QelTextSearchEngine* before = installed.exchange(engine, std::memory_order_acq_rel);
  return before ? before : diskEngine();
}
