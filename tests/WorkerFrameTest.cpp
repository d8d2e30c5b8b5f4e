// The worker frame: an exception a worker does not handle prints one line
// and ends the process with the right status.
#include <gtest/gtest.h>

#include <thread>

#include "common/QelIndexerGlobals.h"
#include "common/QelThread.h"
#include "indexing/QelExcSchedulerLibServName.h"

namespace {

enum class Thrown { libServName, emptyIException, foreign };

struct Case {
  Thrown thrown;
  const char* worker;
  int status;
  const char* line;  // regular expression of the output
};

[[noreturn]] void throwIt(Thrown t) {
  switch (t) {
    case Thrown::libServName:
      throw QelExcSchedulerLibServName(QelString("idx"), QelString("OTHER"), QelString("QELLSSHT"));
    case Thrown::emptyIException:
      throw IException();
    case Thrown::foreign:
      throw 42;
  }
  std::abort();
}

// Runs the frame on a worker thread, as the workers do, and waits.
void runOnWorker(const Case& c) {
  QelIndexerGlobals globals;
  std::thread([&] {
    qelWorkerFrame(c.worker, [&]() -> int { throwIt(c.thrown); });
  }).join();
}

}  // namespace

TEST(WorkerFrameDeathTest, PrintsOneLineAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const Case cases[] = {
      {Thrown::libServName, "unknown exception in QelScheduler", 2002 & 0xFF,
       "^Indexer error 2002: Text-search index idx belongs to library service OTHER.*QELLSSHT"},
      {Thrown::emptyIException, "unknown exception in QelReporter", 255, "^IException : \n$"},
      {Thrown::foreign, "unknown exception in QelListener", 255,
       "^unknown exception in QelListener\n$"},
      {Thrown::foreign, "unknown exception in QelConnection", 255,
       "^unknown exception in QelConnection\n$"},
      {Thrown::foreign, "unknown exception in QelScheduler", 255,
       "^unknown exception in QelScheduler\n$"},
      {Thrown::foreign, "unknown exception in QelReporter", 255,
       "^unknown exception in QelReporter\n$"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    // The frame prints on standard output; the death test reads standard
    // error, so the child joins the two first.
    EXPECT_EXIT(
        {
          std::fflush(stdout);  // the runner's own lines stay out of the death message
          dup2(2, 1);
          runOnWorker(c);
        },
        ::testing::ExitedWithCode(c.status), c.line);
  }
}
