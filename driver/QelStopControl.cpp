// Stop control: signals, the termination event and the stop routine.
#include "driver/QelStopControl.h"

#include <cstdio>
#include <cstring>

#include "common/QelConsole.h"
#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "kernel/QelNamedEvent.h"
#include "kernel/QelOsSignals.h"
#include "kernel/QelOsThread.h"

namespace {

constexpr std::size_t kHelperStack = 64 * 1024;

void watcherRoutine(void* event) { watchTermEvent(static_cast<QelNamedEvent*>(event)); }

void signalRoutine(void*) {
  for (;;) {
    switch (osWaitForStopSignal()) {
      case QelStopSignal::interrupt:
        if (useTermEvent().load() == 0) onInterrupt(2);
        break;  // ignored while the termination event is watched
      case QelStopSignal::terminate:
        requestStop();
        break;
    }
  }
}

}  // namespace

bool setUpTermEvent(int& argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], kTermEventOption) != 0) return false;
  for (int i = 1; i < argc; ++i) argv[i] = argv[i + 1];  // argv[argc] is null
  --argc;
  std::unique_ptr<QelNamedEvent> event = QelNamedEvent::open(kTermEventName);
  if (!event) return false;
  try {
    osStartDetachedThread(watcherRoutine, event.get(), kHelperStack);
  } catch (...) {
    return false;  // the event is closed on the way out
  }
  event.release();  // stays open until the process ends
  osIgnoreInterrupt();
  return true;
}

void startStopSignalThread() { osStartDetachedThread(signalRoutine, nullptr, kHelperStack); }

void onInterrupt(int /*signalNumber*/) { requestStop(); }

void watchTermEvent(QelNamedEvent* event) {
  event->wait();  // whatever the wait gives, go on as if the event was set
  std::printf("event received\n");
  std::fflush(stdout);
  onInterrupt(0);
}

void requestStop() {
  stopRequest().store(1);
  // Under the process-wide lock the catalog cannot go away between the look
  // and its use: the services object is made and removed under it too.
  static QelLock stopLock;
  QelLockGuard guard(stopLock);
  if (const QelIndexerCatalog* catalog = QelIndexerGlobals::catalog()) {
    consolePrint(catalog->getMsg(msgStopRequested));
  } else {
    consolePrint(QelString("Stop requested"));
  }
}
