// consolePrint.
#include "common/QelConsole.h"

#include "common/QelIndexerGlobals.h"

void consolePrint(const QelString& text) {
  if (QelLock* lock = QelIndexerGlobals::consoleLock()) {
    QelLockGuard guard(*lock);
    text.print();
  } else {
    text.print();
  }
}
