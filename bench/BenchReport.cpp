// Every performance figure of the indexer beside its baseline, measured in
// the same run, as one table: intake and acknowledged round trips against a
// raw TCP sink, memory per waiting id and per open connection, how long a
// scheduler cycle holds the process-wide lock, and the stop latency.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchIndexer.h"
#include "bench/RawSink.h"
#include "common/QelIndexerGlobals.h"
#include "kernel/QelException.h"
#include "kernel/QelFileIndexEngine.h"
#include "kernel/QelTextSearchIndexHandle.h"
#include "tools/QelCollectorClient.h"

namespace {

using Clock = std::chrono::steady_clock;

void row(const char* figure, const char* unit, double value, const char* baseline, double base,
         const char* aim) {
  std::printf("%-40s %-7s %14.2f  %-22s %14.2f %8.2f  %s\n", figure, unit, value, baseline, base,
              base != 0 ? value / base : 0.0, aim);
  std::fflush(stdout);
}

double rate(const QelLoadResult& r) { return static_cast<double>(r.records) / r.seconds; }

// Best of a few runs, to keep a passing hiccup out of the figure.
QelLoadResult best(int port, std::uint64_t n, int connections, std::uint64_t ackEvery,
                   std::int32_t& nextId, int runs) {
  QelLoadResult top;
  for (int i = 0; i < runs; ++i) {
    QelLoadResult r = qelGenerateLoad("127.0.0.1", port, n, connections, ackEvery, nextId);
    nextId += static_cast<std::int32_t>(n);
    if (top.seconds == 0 || r.seconds < top.seconds) top = r;
  }
  return top;
}

void intake(std::uint64_t n) {
  BenchIndexer indexer(3600, 3600);
  std::int32_t nextId = 1;
  for (int connections : {1, 4}) {
    RawSink sink;
    std::int32_t sinkId = 1;
    double mine = rate(best(indexer.port(), n, connections, 0, nextId, 3));
    double raw = rate(best(sink.port(), n, connections, 0, sinkId, 3));
    std::string name = "intake, acks off, " + std::to_string(connections) + " connection" +
                       (connections > 1 ? "s" : "");
    row(name.c_str(), "rec/s", mine, "raw TCP sink", raw,
        connections == 1 ? ">= 10e6 and ratio >= 0.25" : "ratio >= 0.25");
  }
  RawSink sink;
  std::int32_t sinkId = 1;
  QelLoadResult mine = best(indexer.port(), 20000, 1, 1, nextId, 1);
  QelLoadResult raw = best(sink.port(), 20000, 1, 1, sinkId, 1);
  for (double p : {50.0, 99.0}) {
    std::string name = "acked round trip, p" + std::to_string(static_cast<int>(p));
    row(name.c_str(), "us", qelPercentile(mine.roundTripMicros, p), "raw ping-pong",
        qelPercentile(raw.roundTripMicros, p), "ratio <= 1.5");
  }
}

void memoryPerWaitingId() {
  constexpr std::uint64_t kIds = 10000000;
  BenchIndexer indexer(3600, 3600);
  long before = indexer.residentKiB();
  std::int32_t nextId = 1;
  best(indexer.port(), kIds, 1, 0, nextId, 1);
  double mine = static_cast<double>(indexer.residentKiB() - before) * 1024.0 / kIds;
  // Baseline: the same ids in a plain array of 32-bit numbers in this process.
  long selfBefore = residentKiB(::getpid());
  std::vector<std::int32_t> plain(kIds);
  for (std::uint64_t i = 0; i < kIds; ++i) plain[i] = static_cast<std::int32_t>(i);
  double base = static_cast<double>(residentKiB(::getpid()) - selfBefore) * 1024.0 / kIds;
  row("memory per waiting id (10 million)", "bytes", mine, "plain int32 array", base, "<= 5 bytes");
}

void memoryPerConnection() {
  constexpr int kConnections = 1000;
  BenchIndexer indexer(3600, 3600);
  long before = indexer.residentKiB();
  std::vector<std::unique_ptr<QelCollectorClient>> clients;
  for (int c = 0; c < kConnections; ++c) {
    clients.push_back(std::make_unique<QelCollectorClient>("127.0.0.1", indexer.port()));
    clients.back()->send(c, kKindNew, true);
  }
  double mine = static_cast<double>(indexer.residentKiB() - before) / kConnections;
  clients.clear();
  // Baseline: a raw sink's thread per connection, in this process.
  long selfBefore = residentKiB(::getpid());
  double base;
  {
    RawSink sink;
    for (int c = 0; c < kConnections; ++c) {
      clients.push_back(std::make_unique<QelCollectorClient>("127.0.0.1", sink.port()));
      clients.back()->send(c, kKindNew, true);
    }
    base = static_cast<double>(residentKiB(::getpid()) - selfBefore) / kConnections;
    clients.clear();
  }
  row("memory per open connection (1000)", "KiB", mine, "raw thread per conn.", base,
      "<= 64 KiB");
}

double heldMs(const std::function<void(QelTextSearchIndexHandle&)>& call) {
  auto start = Clock::now();
  {
    QelLockGuard guard(*QelIndexerGlobals::indexLock());
    QelTextSearchSession session;
    QelTextSearchIndexHandle handle(session, QelString("bench"));
    call(handle);
  }
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void schedulerLockHold() {
  char tmpl[] = "/tmp/qelsched-XXXXXX";
  std::string home = ::mkdtemp(tmpl);
  ::setenv("QEL_HOME", home.c_str(), 1);
  QelIndexerGlobals globals;
  std::int32_t nextId = 0;
  for (int batch : {1000, 100000}) {
    QelFileIndexEngine().create(QelString("bench"), QelString("QELLSSHT"));
    const int cycles = batch == 1000 ? 200 : 40;
    double total = 0, empty = 0;
    for (int c = 0; c < cycles; ++c) {
      QelDocQueue queue;
      for (int i = 0; i < batch; ++i) queue.add(nextId++);
      total += heldMs([](QelTextSearchIndexHandle& h) { h.retrieveStatus(); });
      total += heldMs([&](QelTextSearchIndexHandle& h) { h.scheduleDocument(queue); });
      total += heldMs([](QelTextSearchIndexHandle& h) { h.update(); });
      empty += heldMs([](QelTextSearchIndexHandle& h) { h.retrieveStatus(); });
      empty += heldMs([](QelTextSearchIndexHandle& h) { h.update(); });
    }
    std::string name = "lock held per scheduler cycle, " + std::to_string(batch);
    row(name.c_str(), "ms", total / cycles, "cycle without a batch", empty / cycles,
        "(intake waits this long)");
    std::string rm = "rm -rf " + home + "/index";
    (void)std::system(rm.c_str());
  }
  std::string rm = "rm -rf " + home;
  (void)std::system(rm.c_str());
}

void stopLatency() {
  constexpr int kInterval = 1;
  BenchIndexer indexer(kInterval, 1);
  std::this_thread::sleep_for(std::chrono::seconds(12));  // the scheduler runs from 10 s on
  double seconds = indexer.stopSeconds();
  row("stop latency, Ctrl+C to exit - grace", "s", seconds - kInterval, "wait step (interval)",
      kInterval, "about 1 s + one wait step");
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000;
  std::printf("%-40s %-7s %14s  %-22s %14s %8s  %s\n", "figure", "unit", "value", "baseline",
              "baseline", "ratio", "aim");
  intake(n);
  memoryPerWaitingId();
  memoryPerConnection();
  schedulerLockHold();
  stopLatency();
  return 0;
}
