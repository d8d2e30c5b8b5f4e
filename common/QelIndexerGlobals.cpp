// QelIndexerGlobals: making and removing the process-wide services.
#include "common/QelIndexerGlobals.h"

std::atomic<QelLock*> QelIndexerGlobals::consoleLock_{nullptr};
std::atomic<QelLock*> QelIndexerGlobals::indexLock_{nullptr};
std::atomic<const QelIndexerCatalog*> QelIndexerGlobals::catalog_{nullptr};

QelIndexerGlobals::QelIndexerGlobals() {
  auto* console = new QelLock;
  auto* index = new QelLock;
  auto* messages = new QelIndexerCatalog(QelString("qelinmsg"));
  std::lock_guard<std::recursive_mutex> guard(qelProcessLock());
  consoleLock_.store(console, std::memory_order_release);
  indexLock_.store(index, std::memory_order_release);
  catalog_.store(messages, std::memory_order_release);
}

QelIndexerGlobals::~QelIndexerGlobals() {
  std::lock_guard<std::recursive_mutex> guard(qelProcessLock());
  delete consoleLock_.exchange(nullptr);
  delete indexLock_.exchange(nullptr);
  delete catalog_.exchange(nullptr);
}
