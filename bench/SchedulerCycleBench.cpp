// How long one scheduler cycle holds the process-wide lock (status query,
// scheduling of one batch, update), on the on-disk index, for batches of
// 1,000 and 100,000 ids. Intake waits that long.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "common/QelIndexerGlobals.h"
#include "kernel/QelFileIndexEngine.h"
#include "kernel/QelTextSearchIndexHandle.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class Call>
double heldMs(Call&& call) {
  auto start = Clock::now();
  {
    QelLockGuard guard(*QelIndexerGlobals::indexLock());
    QelTextSearchSession session;
    QelTextSearchIndexHandle handle(session, QelString("bench"));
    call(handle);
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/qelsched-XXXXXX";
  std::string home = ::mkdtemp(tmpl);
  ::setenv("QEL_HOME", home.c_str(), 1);
  QelIndexerGlobals globals;
  std::printf("%-10s %8s %12s %12s %12s %12s %12s\n", "batch", "cycles", "status ms",
              "schedule ms", "update ms", "cycle ms", "max cycle ms");
  std::int32_t nextId = 0;
  for (int batch : {1000, 100000}) {
    QelFileIndexEngine().create(QelString("bench"), QelString("QELLSSHT"));
    const int cycles = batch == 1000 ? 200 : 40;
    double status = 0, schedule = 0, update = 0, worst = 0;
    for (int c = 0; c < cycles; ++c) {
      QelDocQueue queue;
      for (int i = 0; i < batch; ++i) queue.add(nextId++);
      double s = heldMs([](QelTextSearchIndexHandle& h) { h.retrieveStatus(); });
      double d = heldMs([&](QelTextSearchIndexHandle& h) { h.scheduleDocument(queue); });
      double u = heldMs([](QelTextSearchIndexHandle& h) { h.update(); });
      status += s;
      schedule += d;
      update += u;
      if (s + d + u > worst) worst = s + d + u;
    }
    std::printf("%-10d %8d %12.3f %12.3f %12.3f %12.3f %12.3f\n", batch, cycles, status / cycles,
                schedule / cycles, update / cycles, (status + schedule + update) / cycles, worst);
    std::string rm = "rm -rf " + home + "/index";
    (void)std::system(rm.c_str());
  }
  std::string rm = "rm -rf " + home;
  (void)std::system(rm.c_str());
  return 0;
}
