// The scheduler's policies with a fake engine and a fake clock.
#include <gtest/gtest.h>

#include "indexing/QelScheduler.h"
#include "tests/WorkerFixture.h"

namespace {

using Calls = std::vector<std::string>;

class SchedulerTest : public qeltest::WorkerFixture {
 protected:
  void add(std::initializer_list<std::int32_t> ids) {
    for (auto id : ids) buffer.addDocument(id, newDocument);
  }
  // Runs the scheduler until it ends by itself.
  void runToEnd(const std::map<std::string, std::string>& keys) {
    config = configure(keys);
    QelScheduler scheduler(&buffer, QelString("qelwebs"), config.get());
    ASSERT_TRUE(workersEnd());
  }
  std::uint32_t waiting() {
    std::uint32_t n, c, q;
    buffer.retrieveCounters(n, c, q);
    return q;
  }
  void stopAfterSecond(long second) {
    afterSecond = [second](long s) {
      if (s >= second) stopRequest().store(1);
    };
  }
  std::unique_ptr<QelConfiguration> config;
};

}  // namespace

TEST_F(SchedulerTest, StopDuringTheWaitMovesExactlyOneMoreBatchThenUpdates) {
  add({1, 2, 3, 4, 5});
  stopAfterSecond(4);  // in the second cycle's wait of 3 seconds
  runToEnd({{"schedulerInterval", "3"}, {"schedulerBatchSize", "2"}});
  EXPECT_EQ(engine.calls(), (Calls{"info", "status", "schedule 1,2", "update", "status",
                                   "schedule 3,4", "update(stopped)"}));
  EXPECT_EQ(slept, 4);
  EXPECT_EQ(stopFlag().load(), 1);
  EXPECT_EQ(waiting(), 1u);
}

TEST_F(SchedulerTest, LowerCaseServiceNamePasses) {
  engine.service = QelString("qelLssht");
  stopAfterSecond(1);
  runToEnd({});
  EXPECT_EQ(engine.calls(), (Calls{"info", "status", "update(stopped)"}));
}

TEST_F(SchedulerTest, EmptyBufferOrNoBatchSizeOnlyUpdates) {
  for (const char* size : {"0", "-5", "10"}) {
    SCOPED_TRACE(size);
    resetStopFlagsForTesting();
    slept = 0;
    QelDocQueue drop;
    buffer.moveDocuments(drop, 100);
    add({7});
    stopAfterSecond(3);
    qeltest::FakeEngine fresh;
    setTextSearchEngineForTesting(&fresh);
    config = configure({{"schedulerBatchSize", size}});
    {
      QelScheduler scheduler(&buffer, QelString("qelwebs"), config.get());
      ASSERT_TRUE(workersEnd());
    }
    Calls expected = {"info", "status", "update", "status", "update", "status",
                      "update(stopped)"};
    if (std::string(size) == "10") expected = {"info", "status", "schedule 7", "update",
                                               "status", "update", "status", "update(stopped)"};
    EXPECT_EQ(fresh.calls(), expected);
    setTextSearchEngineForTesting(&engine);
  }
}

TEST_F(SchedulerTest, UnavailableIndexMovesNothingAndStopEndsWithoutUpdate) {
  add({1, 2});
  engine.available = [] { return 0u; };
  stopAfterSecond(2);
  runToEnd({});
  EXPECT_EQ(engine.calls(), (Calls{"info", "status", "status"}));
  EXPECT_EQ(waiting(), 2u);
  EXPECT_EQ(stopFlag().load(), 1);
}

TEST_F(SchedulerTest, FifthFailedSchedulingPrintsOneReport) {
  for (int failures : {4, 5}) {
    SCOPED_TRACE(failures);
    resetStopFlagsForTesting();
    slept = 0;
    add({1});
    int refused = 0;
    engine.refuseSchedule = [&] { return refused++ < failures; };
    stopAfterSecond(failures + 2);  // in the cycle after the one that succeeds
    qeltest::StdoutCapture out;
    runToEnd({});
    EXPECT_EQ(out.lines().size(), failures == 5 ? 1u : 0u) << out.text();
    if (failures == 5) {
      EXPECT_EQ(out.lines()[0], "TextSearch error 1023: refused for now");
    }
    EXPECT_EQ(waiting(), 0u);
  }
}

TEST_F(SchedulerTest, StopDuringRetriesPutsTheBatchBackAndEnds) {
  add({1, 2, 3});
  engine.refuseSchedule = [] { return true; };
  stopAfterSecond(30);
  runToEnd({{"schedulerInterval", "10"}, {"schedulerBatchSize", "2"}});
  Calls calls = engine.calls();
  EXPECT_EQ(calls.back(), "schedule 1,2");
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "update"), 0);
  EXPECT_EQ(stopFlag().load(), 1);
  EXPECT_EQ(slept, 30);  // looked at the stop request every second
  QelDocQueue left;
  buffer.moveDocuments(left, 10);
  EXPECT_EQ(left.takeFirst(), 1);
  EXPECT_EQ(left.takeFirst(), 2);
  EXPECT_EQ(left.takeFirst(), 3);
}

TEST_F(SchedulerTest, NonFatalFromUpdateIsDropped) {
  int updates = 0;
  engine.onUpdate = [&] {
    if (updates++ == 0) throw QelExcNonFatal("TextSearch", 1023, "not now");
  };
  stopAfterSecond(2);
  qeltest::StdoutCapture out;
  runToEnd({});
  EXPECT_EQ(updates, 2);
  EXPECT_EQ(out.text(), "");
}

TEST_F(SchedulerTest, FatalCasesEndTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A trailing blank makes another service; the report carries message 2.
  EXPECT_EXIT(
      {
        std::fflush(stdout);  // the runner's own lines stay out of the death message
        dup2(2, 1);
        engine.service = QelString("QELLSSHT ");
        runToEnd({});
      },
      ::testing::ExitedWithCode(2002 & 0xFF),
      "^Indexer error 2002: Text-search index qelwebs belongs to library service QELLSSHT ;");
  // A non-fatal exception from the status query is fatal all the same.
  EXPECT_EXIT(
      {
        std::fflush(stdout);  // the runner's own lines stay out of the death message
        dup2(2, 1);
        engine.onStatus = [] { throw QelExcNonFatal("TextSearch", 1023, "status failed"); };
        runToEnd({});
      },
      ::testing::ExitedWithCode(1023 & 0xFF), "^TextSearch error 1023: status failed\n$");
}
