// Whole runs of the indexer with a real index in a temporary home: intake,
// batches into the index, the table, the stops and their last lines.
#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <sstream>

#include "kernel/QelException.h"
#include "kernel/QelSocket.h"
#include "tests/TestSupport.h"

using qeltest::Child;
using qeltest::runProgram;
using qeltest::TempHome;

namespace {

class IndexerRunTest : public ::testing::Test {
 protected:
  void createIndex(const std::string& service = "QELLSSHT") {
    ASSERT_EQ(runProgram("qelidx", {"create", "qelwebs", "--service", service}).status, 0);
  }
  // Sends with qelcollect once the indexer listens (a bare connection that
  // sends nothing tells), in one run: a run that failed half-way and was
  // repeated would send some records twice.
  void collect(const std::vector<std::string>& args) {
    ASSERT_TRUE(qeltest::waitUntil(
        [&] {
          try {
            QelSocket::connect("127.0.0.1", home.port());
            return true;
          } catch (const QelException&) {
            return false;
          }
        },
        20));
    std::vector<std::string> all = {"--port", std::to_string(home.port())};
    all.insert(all.end(), args.begin(), args.end());
    qeltest::RunResult r = runProgram("qelcollect", all, 60);
    ASSERT_EQ(r.status, 0) << r.output;
  }
  std::vector<std::int32_t> dump() {
    std::vector<std::int32_t> ids;
    std::istringstream in(runProgram("qelidx", {"dump", "qelwebs"}).output);
    for (std::int32_t id; in >> id;) ids.push_back(id);
    return ids;
  }
  static std::string lastRow(Child& c) {
    std::string row;
    for (const auto& l : c.lines()) {
      if (l.size() >= 74 && l[2] == ':') row = l;
    }
    return row;
  }

  TempHome home;
};

}  // namespace

TEST_F(IndexerRunTest, AcknowledgedIdsReachTheIndexAndInterruptEndsInOrder) {
  createIndex();
  Child indexer("qelindexer", {});
  collect({"--generate", "10000", "--connections", "2", "--ack-every", "1", "--first-id", "-500"});
  ASSERT_TRUE(qeltest::waitUntil([&] { return dump().size() == 10000; }, 40));
  std::vector<std::int32_t> ids = dump();
  std::set<std::int32_t> unique(ids.begin(), ids.end());
  EXPECT_EQ(unique.size(), 10000u);
  EXPECT_EQ(*unique.begin(), -500);
  EXPECT_EQ(*unique.rbegin(), 9499);
  ASSERT_TRUE(qeltest::waitUntil(
      [&] { return lastRow(indexer).find("    10000") == 8; }, 10)) << lastRow(indexer);

  auto asked = qeltest::Clock::now();
  indexer.signal(SIGINT);
  ASSERT_TRUE(indexer.waitForLine("Stop requested", 5));
  indexer.signal(SIGINT);  // a second Ctrl+C does not end the process at once
  EXPECT_EQ(indexer.waitExit(20), 0);
  double took = std::chrono::duration<double>(qeltest::Clock::now() - asked).count();
  // About a second for the scheduler, one wait step, the grace interval and
  // a second for the workers to end: four; the rest is room for a loaded
  // machine and sanitizer builds.
  EXPECT_LT(took, 8.0);
  EXPECT_EQ(indexer.countLines("Stop requested: the indexer finishes its current cycle"), 2);
  EXPECT_EQ(indexer.countLines("never handed to the index"), 0);
}

TEST_F(IndexerRunTest, HeldIndexTakesNothingUntilReleasedAndWaitingIdsAreCountedAtTheEnd) {
  createIndex();
  ASSERT_EQ(runProgram("qelidx", {"hold", "qelwebs"}).status, 0);
  Child indexer("qelindexer", {});
  collect({"--ack", "new", "1", "changed", "2", "new", "3"});
  ASSERT_TRUE(indexer.waitForLine("  N  ", 20));
  ASSERT_TRUE(indexer.waitForLine("        3  N        0        0        0", 20));
  EXPECT_TRUE(dump().empty());

  ASSERT_EQ(runProgram("qelidx", {"release", "qelwebs"}).status, 0);
  ASSERT_TRUE(qeltest::waitUntil([&] { return dump().size() == 3; }, 20));
  ASSERT_EQ(runProgram("qelidx", {"hold", "qelwebs"}).status, 0);
  collect({"--ack", "new", "4", "new", "5"});
  ASSERT_TRUE(indexer.waitForLine("        2  N", 20));

  indexer.signal(SIGTERM);  // the service stop works like Ctrl+C
  EXPECT_EQ(indexer.waitExit(20), 0);
  EXPECT_EQ(indexer.countLines("Stop requested"), 1);
  EXPECT_EQ(indexer.countLines(
                "2 document ids were taken from collectors but never handed to the index."),
            1);
  EXPECT_EQ(dump().size(), 3u);
}

TEST_F(IndexerRunTest, IndexOfAnotherServiceEndsTheRun) {
  createIndex("OTHER");
  Child indexer("qelindexer", {});
  EXPECT_EQ(indexer.waitExit(30), 2002 & 0xFF);
  EXPECT_EQ(indexer.countLines("Indexer error 2002: Text-search index qelwebs belongs to "
                               "library service OTHER; the indexer serves library service "
                               "QELLSSHT only."),
            1);
}
