// QelIndexerGlobals: the process-wide services of the indexer: the console
// lock, the index lock and the message catalog. The driver makes the one
// object before anything else and destroys it last; everything else reaches
// the services through the static accessors, which return null while no
// object exists. The members are written only by the constructor and the
// destructor, under the process-wide lock.
#pragma once

#include <atomic>

#include "common/QelIndexerCatalog.h"
#include "common/QelLock.h"
#include "kernel/QelKernelGlobals.h"

class QelIndexerGlobals : public QelKernelGlobals {
 public:
  QelIndexerGlobals();
  ~QelIndexerGlobals() override;

  static QelLock* consoleLock() { return consoleLock_.load(std::memory_order_acquire); }
  static QelLock* indexLock() { return indexLock_.load(std::memory_order_acquire); }
  static const QelIndexerCatalog* catalog() { return catalog_.load(std::memory_order_acquire); }
  // True from the end of the constructor until the destructor removes the catalog.
  static bool isActive() { return catalog() != nullptr; }

 private:
  static std::atomic<QelLock*> consoleLock_;
  static std::atomic<QelLock*> indexLock_;
  static std::atomic<const QelIndexerCatalog*> catalog_;
};
