// Process-wide services: console lines, the one lock, the globals object,
// the indexer's exceptions and the thread launcher.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "common/QelConsole.h"
#include "common/QelIndexerExceptions.h"
#include "common/QelIndexerGlobals.h"
#include "common/QelLock.h"
#include "common/QelThread.h"
#include "tests/TestSupport.h"

TEST(ConsoleTest, LinesFromManyThreadsStayWhole) {
  QelIndexerGlobals globals;
  qeltest::StdoutCapture out;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 200; ++i) consolePrint(QelString(std::string(60, char('a' + t))));
    });
  }
  for (auto& th : threads) th.join();
  auto lines = out.lines();
  ASSERT_EQ(lines.size(), 800u);
  for (const auto& l : lines) EXPECT_EQ(l, std::string(60, l[0]));
}

TEST(ConsoleTest, PrintsWithoutServices) {
  ASSERT_FALSE(QelIndexerGlobals::isActive());
  qeltest::StdoutCapture out;
  consolePrint(QelString("before"));
  EXPECT_EQ(out.text(), "before\n");
}

TEST(LockTest, GuardIsRecursiveAndAllLockObjectsExcludeEachOther) {
  QelLock a, b;
  {
    QelLockGuard outer(a);
    QelLockGuard inner(b);  // the same thread takes it again without blocking
  }
  std::atomic<int> stage{0};
  std::atomic<bool> secondInside{false};
  std::thread holder([&] {
    QelLockGuard guard(a);
    stage = 1;
    while (stage.load() != 2) std::this_thread::yield();
    EXPECT_FALSE(secondInside.load());  // the guard on b still waits
  });
  while (stage.load() != 1) std::this_thread::yield();
  std::thread second([&] {
    QelLockGuard guard(b);
    secondInside = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  stage = 2;
  holder.join();
  second.join();
  EXPECT_TRUE(secondInside.load());
}

TEST(GlobalsTest, MembersExistOnlyWhileTheObjectLives) {
  {
    QelIndexerGlobals globals;
    EXPECT_TRUE(QelIndexerGlobals::isActive());
    EXPECT_NE(QelIndexerGlobals::consoleLock(), nullptr);
    EXPECT_NE(QelIndexerGlobals::indexLock(), nullptr);
    EXPECT_NE(QelIndexerGlobals::catalog(), nullptr);
  }
  EXPECT_FALSE(QelIndexerGlobals::isActive());
  EXPECT_EQ(QelIndexerGlobals::consoleLock(), nullptr);
  EXPECT_EQ(QelIndexerGlobals::indexLock(), nullptr);
  EXPECT_EQ(QelIndexerGlobals::catalog(), nullptr);
}

TEST(IndexerExceptionTest, IdsAndFamilies) {
  QelExcIndexerFatal fatal(2);
  EXPECT_EQ(fatal.errorId(), 2002u);
  EXPECT_STREQ(fatal.component().c_str(), "Indexer");
  bool caughtAsNonFatal = false;
  try {
    throw QelExcIndexerNonFatal(5);
  } catch (const QelExcFatal&) {
  } catch (const QelExcNonFatal& e) {
    caughtAsNonFatal = e.errorId() == 2005;
  }
  EXPECT_TRUE(caughtAsNonFatal);
  // Exit statuses: the id, but never one that reads as success.
  EXPECT_EQ(qelExitStatusFor(2002), 2002);
  EXPECT_EQ(qelExitStatusFor(2048), -1);
  EXPECT_EQ(qelExitStatusFor(0), -1);
}

namespace {
struct Probe {
  std::atomic<bool> ran{false};
  std::atomic<bool> release{false};
  static int entry(Probe* p) {
    p->ran = true;
    while (!p->release.load()) std::this_thread::yield();
    return 0;
  }
};
}  // namespace

TEST(ThreadTest, StartReturnsOnceTheThreadRunsAndIsCountedUntilItEnds) {
  ASSERT_EQ(qelWaitForWorkers(5), 0);
  Probe probe;
  qelStartThread(&Probe::entry, &probe);
  EXPECT_TRUE(qeltest::waitUntil([&] { return probe.ran.load(); }, 5));
  EXPECT_EQ(qelRunningWorkers(), 1);
  EXPECT_EQ(qelWaitForWorkers(0), 1);
  probe.release = true;
  EXPECT_EQ(qelWaitForWorkers(5), 0);
}
