// The process driver: start-up in a fixed order, the wait for the stop flag,
// and the teardown in reverse order.
#include "driver/QelDriver.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "common/QelConsole.h"
#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "driver/QelStopControl.h"
#include "indexing/QelScheduler.h"
#include "intake/QelDocBuffer.h"
#include "intake/QelListener.h"
#include "kernel/QelConfiguration.h"
#include "kernel/QelKernelGlobals.h"
#include "kernel/QelOsSignals.h"
#include "kernel/QelOsSleep.h"
#include "kernel/QelWebspace.h"
#include "reporting/QelReporter.h"

namespace {

// Everything that lives for the run, declared in the order of creation so
// that it is destroyed in the reverse order, also when start-up fails half-way.
// No object is destroyed while a worker thread may still use it: the
// destructor first waits for the workers, and if some do not end in time it
// keeps every object until the process ends.
struct QelIndexerRun {
  std::unique_ptr<QelIndexerGlobals> globals;
  std::unique_ptr<QelString> webspaceName;
  std::unique_ptr<QelConfiguration> configuration;
  std::unique_ptr<QelString> indexName;
  std::unique_ptr<QelWebspace> webspace;
  std::unique_ptr<QelDocBuffer> docBuffer;
  std::unique_ptr<QelListener> listener;
  std::unique_ptr<QelReporter> reporter;
  std::unique_ptr<QelScheduler> scheduler;

  QelIndexerRun() = default;
  QelIndexerRun(const QelIndexerRun&) = delete;
  QelIndexerRun& operator=(const QelIndexerRun&) = delete;

  ~QelIndexerRun() {
    if (qelRunningWorkers() > 0) {
      // Only a start-up that failed after a worker began comes here with
      // workers running: ask them to end as an orderly stop would.
      stopFlag().store(1);
      if (waitForWorkers() > 0) return;
    }
    scheduler.reset();
    reporter.reset();
    listener.reset();
    docBuffer.reset();
    webspace.reset();
    indexName.reset();
    configuration.reset();
    webspaceName.reset();
    globals.reset();
  }

  // Waits for the worker threads; when some still run afterwards, says so
  // and keeps every object of the run until the process ends.
  long waitForWorkers() {
    long left = qelWaitForWorkers(kWorkerEndWaitSeconds);
    if (left > 0) {
      std::string n = std::to_string(left);
      if (const QelIndexerCatalog* catalog = QelIndexerGlobals::catalog())
        consolePrint(catalog->getMsg(msgWorkersStillRunning, n.c_str()));
      keepUntilExit();
    }
    return left;
  }

  void keepUntilExit() {
    (void)scheduler.release();
    (void)reporter.release();
    (void)listener.release();
    (void)docBuffer.release();
    (void)webspace.release();
    (void)indexName.release();
    (void)configuration.release();
    (void)webspaceName.release();
    (void)globals.release();
  }
};

std::int32_t runIndexer(int argc, char** argv) {
  QelIndexerRun run;
  run.globals = std::make_unique<QelIndexerGlobals>();
  run.webspaceName = std::make_unique<QelString>();
  if (qelReadCommandLine(argc, argv, *run.webspaceName) == QelCommandLine::usage) {
    consolePrint(QelIndexerGlobals::catalog()->getMsg(msgUsage));
    return -1;
  }
  run.configuration =
      std::make_unique<QelConfiguration>(QelString("qel.ini"), 1, *run.webspaceName);
  run.indexName = std::make_unique<QelString>(run.configuration->webspaceToIndex(*run.webspaceName));
  run.webspace = std::make_unique<QelWebspace>(*run.webspaceName, QelString("qel"));
  run.docBuffer = std::make_unique<QelDocBuffer>();
  run.listener = std::make_unique<QelListener>(run.webspace->indexerPort(), run.docBuffer.get());
  osSleepSeconds(5);
  run.reporter = std::make_unique<QelReporter>(run.docBuffer.get(), *run.indexName,
                                               run.configuration.get());
  osSleepSeconds(5);
  run.scheduler = std::make_unique<QelScheduler>(run.docBuffer.get(), *run.indexName,
                                                 run.configuration.get());

  const std::int32_t interval = run.configuration->reportInterval();
  do {
    osSleepSeconds(interval);
  } while (stopFlag().load() == 0);
  osSleepSeconds(interval);  // the grace interval

  QelDocBuffer* docBuffer = run.docBuffer.get();  // kept alive even if workers linger
  run.waitForWorkers();
  std::uint32_t newCount = 0, changedCount = 0, queued = 0;
  docBuffer->retrieveCounters(newCount, changedCount, queued);
  if (queued > 0) {
    std::string n = std::to_string(queued);
    consolePrint(QelIndexerGlobals::catalog()->getMsg(msgIdsNotIndexed, n.c_str()));
  }
  return 0;
}

}  // namespace

QelCommandLine qelReadCommandLine(int argc, char** argv, QelString& webspaceName) {
  if (argc <= 1) {
    webspaceName = QelString("qelwebs");
    return QelCommandLine::serve;
  }
  if (argc == 2 && std::strncmp(argv[1], "-h", 2) != 0) {
    webspaceName = QelString(argv[1]);
    return QelCommandLine::serve;
  }
  return QelCommandLine::usage;
}

int qelIndexerMain(int argc, char** argv) {
  osBlockStopSignals();
  useTermEvent().store(setUpTermEvent(argc, argv) ? 1 : 0);
  std::int32_t exitValue = 0;
  try {
    startStopSignalThread();
    std::set_new_handler(qelNewHandler);
    exitValue = runIndexer(argc, argv);
  } catch (const QelException& e) {
    consolePrint(e.report());
    exitValue = qelExitStatusFor(e.errorId());
  } catch (const IException& e) {
    consolePrint(QelString(QelString("IException : ") + e.text()));
    exitValue = -1;
  }
  return exitValue;
}
