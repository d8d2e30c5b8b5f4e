// The on-disk text-search engine: parts, counts, holds and damaged files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "kernel/QelException.h"
#include "kernel/QelFileIndexEngine.h"
#include "tests/TestSupport.h"

namespace {

class FileIndexEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { engine.create(name, QelString("QELLSSHT")); }

  void schedule(std::initializer_list<std::int32_t> ids) {
    QelDocQueue q;
    for (auto id : ids) q.add(id);
    engine.scheduleDocument(name, q);
  }
  std::string file(const char* f) { return QelFileIndexEngine::folder(name) + "/" + f; }
  QelIndexStatus status() { return engine.retrieveStatus(name); }

  qeltest::TempHome home;
  QelString name{"idx"};
  QelFileIndexEngine engine;
};

}  // namespace

TEST_F(FileIndexEngineTest, ScheduleUpdateAndCountOncePerId) {
  EXPECT_STREQ(engine.retrieveInfo(name).libraryServiceName.c_str(), "QELLSSHT");
  schedule({5, 3, 5});
  EXPECT_EQ(status().scheduledCount, 2u);
  engine.update(name);
  schedule({3, 9});  // 3 is a changed document: still one document
  engine.update(name);
  QelIndexStatus s = status();
  EXPECT_EQ(s.available, 1u);
  EXPECT_EQ(s.primaryCount + s.secondaryCount, 3u);
  EXPECT_EQ(s.scheduledCount, 0u);
  EXPECT_EQ(engine.dump(name), (std::vector<std::int32_t>{3, 5, 9}));

  // A second engine (another process) reads the same from disk.
  QelFileIndexEngine other;
  EXPECT_EQ(other.dump(name), (std::vector<std::int32_t>{3, 5, 9}));
}

TEST_F(FileIndexEngineTest, LargeSecondaryPartIsMergedIntoPrimary) {
  QelDocQueue q;
  for (std::int32_t i = 0; i < 1500; ++i) q.add(i);
  engine.scheduleDocument(name, q);
  engine.update(name);
  EXPECT_EQ(status().primaryCount, 1500u);
  EXPECT_EQ(status().secondaryCount, 0u);
  schedule({-1, 1});
  engine.update(name);
  EXPECT_EQ(status().primaryCount, 1500u);
  EXPECT_EQ(status().secondaryCount, 1u);
  EXPECT_EQ(QelFileIndexEngine().dump(name).size(), 1501u);
}

TEST_F(FileIndexEngineTest, HeldIndexIsNotAvailableAndRefusesWorkForNow) {
  engine.hold(name);
  EXPECT_EQ(status().available, 0u);
  EXPECT_THROW(schedule({1}), QelExcNonFatal);
  EXPECT_THROW(engine.update(name), QelExcNonFatal);
  engine.release(name);
  EXPECT_EQ(status().available, 1u);
  schedule({1});
  EXPECT_EQ(status().scheduledCount, 1u);
}

TEST_F(FileIndexEngineTest, TornLogTailIsIgnoredAndLaterBatchesKept) {
  schedule({1, 2});
  {  // a crash in the middle of the next append
    std::ofstream log(file("scheduled.log"), std::ios::app | std::ios::binary);
    log.write("QELS\x05\0\0\0garbage", 15);
  }
  QelFileIndexEngine restarted;
  EXPECT_EQ(restarted.retrieveStatus(name).scheduledCount, 2u);
  QelDocQueue q;
  q.add(3);
  restarted.scheduleDocument(name, q);
  EXPECT_EQ(QelFileIndexEngine().dump(name), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(FileIndexEngineTest, UpdateRepeatedAfterACrashAddsNothingTwice) {
  schedule({1, 2});
  // Keep the scheduled log as it was before the update, as if the update
  // crashed after writing the secondary part but before clearing the log.
  std::ifstream in(file("scheduled.log"), std::ios::binary);
  std::string before((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  engine.update(name);
  std::ofstream(file("scheduled.log"), std::ios::binary) << before;
  QelFileIndexEngine restarted;
  restarted.update(name);
  EXPECT_EQ(restarted.dump(name), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(restarted.retrieveStatus(name).secondaryCount, 2u);
}

TEST_F(FileIndexEngineTest, MissingOrDamagedIndexIsReported) {
  try {
    engine.openIndex(QelString("nosuch"));
    ADD_FAILURE();
  } catch (const QelException& e) {
    EXPECT_EQ(e.errorId(), 1020u);
    EXPECT_NE(e.report().str().find(home.path() + "/index/nosuch"), std::string::npos);
  }
  EXPECT_THROW(engine.openIndex(QelString("../escape")), QelException);
  std::ofstream(file("primary.ids"), std::ios::binary) << "QELPRIM1garbage!";
  try {
    QelFileIndexEngine().openIndex(name);
    ADD_FAILURE();
  } catch (const QelException& e) {
    EXPECT_EQ(e.errorId(), 1022u);
  }
  EXPECT_THROW(engine.create(name, QelString("QELLSSHT")), QelException);
}
