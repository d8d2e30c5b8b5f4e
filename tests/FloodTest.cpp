// Connection flood: 2,000 collectors connected at once, each with a few
// acknowledged records, then all closing. Every "OK" arrives, no descriptor
// or thread is left behind, and the indexer keeps serving. Prints the
// memory that one open connection costs.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sstream>

#include "kernel/QelException.h"
#include "kernel/QelOsThread.h"
#include "tests/TestSupport.h"
#include "tools/QelCollectorClient.h"

using qeltest::Child;
using qeltest::runProgram;

namespace {

long statusField(pid_t pid, const char* field) { return osProcessStatusField(pid, field); }

long descriptors(pid_t pid) {
  std::error_code error;
  long n = 0;
  for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
       !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    ++n;
  }
  return n;
}

}  // namespace

TEST(FloodTest, TwoThousandCollectorsAtOnce) {
  rlimit lim{};
  ::getrlimit(RLIMIT_NOFILE, &lim);
  lim.rlim_cur = lim.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &lim);
  constexpr int kCollectors = 2000, kRecords = 3;
  ASSERT_GE(lim.rlim_cur, static_cast<rlim_t>(kCollectors + 100)) << "descriptor limit too low";

  qeltest::TempHome home;
  ASSERT_EQ(runProgram("qelidx", {"create", "qelwebs"}).status, 0);
  Child indexer("qelindexer", {});
  ASSERT_TRUE(indexer.waitForLine("scheduld", 20));
  ASSERT_TRUE(qeltest::waitUntil([&] {
    return runProgram("qelcollect", {"--port", std::to_string(home.port()), "--ack", "new", "0"}).status == 0;
  }, 20));
  // The reporter and the scheduler run from here on; settle, then count.
  ASSERT_TRUE(indexer.waitForLine("        1", 20));
  const long threadsBefore = statusField(indexer.pid(), "Threads:");
  const long fdsBefore = descriptors(indexer.pid());
  const long rssBefore = statusField(indexer.pid(), "VmRSS:");

  std::vector<std::unique_ptr<QelCollectorClient>> clients;
  for (int c = 0; c < kCollectors; ++c) {
    clients.push_back(std::make_unique<QelCollectorClient>("127.0.0.1", home.port()));
  }
  for (int r = 0; r < kRecords; ++r) {
    for (int c = 0; c < kCollectors; ++c) {
      std::string rec = qelRecord(1 + c * kRecords + r, kKindNew, true);
      clients[c]->sendBytes(rec.data(), rec.size());
    }
    for (int c = 0; c < kCollectors; ++c) clients[c]->waitForOk(30);
  }
  // Every connection answered from its own thread, so all of them run now.
  ASSERT_TRUE(qeltest::waitUntil(
      [&] { return statusField(indexer.pid(), "Threads:") >= threadsBefore + kCollectors; }, 30))
      << statusField(indexer.pid(), "Threads:") << " threads, " << threadsBefore << " before";
  const long rssOpen = statusField(indexer.pid(), "VmRSS:");
  clients.clear();

  // ThreadSanitizer starts a thread of its own at some point of the run.
#if defined(__SANITIZE_THREAD__)
  const long runtimeThreads = 1;
#else
  const long runtimeThreads = 0;
#endif
  EXPECT_TRUE(qeltest::waitUntil(
      [&] {
        long now = statusField(indexer.pid(), "Threads:");
        return now >= threadsBefore && now <= threadsBefore + runtimeThreads;
      },
      30))
      << statusField(indexer.pid(), "Threads:") << " threads, " << threadsBefore << " before";
  EXPECT_TRUE(qeltest::waitUntil([&] { return descriptors(indexer.pid()) == fdsBefore; }, 30))
      << descriptors(indexer.pid()) << " descriptors, " << fdsBefore << " before";
  // Still serving.
  EXPECT_EQ(runProgram("qelcollect", {"--port", std::to_string(home.port()), "--ack", "new", "-7"}).status, 0);

  indexer.signal(SIGINT);
  EXPECT_EQ(indexer.waitExit(30), 0);
  std::set<std::int32_t> indexed;
  qeltest::RunResult dumped = runProgram("qelidx", {"dump", "qelwebs"}, 300);
  ASSERT_EQ(dumped.status, 0) << "the dump did not end";
  std::istringstream dump(dumped.output);
  for (std::int32_t id; dump >> id;) indexed.insert(id);
  long waiting = 0;
  for (const auto& l : indexer.lines()) {
    if (l.find("never handed to the index") != std::string::npos) waiting = std::stol(l);
  }
  long missing = 0;
  for (std::int32_t id = 1; id <= kCollectors * kRecords; ++id) missing += indexed.count(id) == 0;
  EXPECT_LE(missing, waiting);
  EXPECT_EQ(indexed.size() + static_cast<std::size_t>(waiting),
            static_cast<std::size_t>(kCollectors * kRecords + 2));

  std::printf("flood: %d connections; resident %ld KiB before, %ld KiB with all open: "
              "%.1f KiB per open connection\n",
              kCollectors, rssBefore, rssOpen,
              static_cast<double>(rssOpen - rssBefore) / kCollectors);
}
