// Intake of a running qelindexer against a raw TCP sink, with the same
// traffic: records per second with acknowledgements off (the last record of
// each connection asks for "OK", so its reply proves all before it was
// taken) over 1 and 4 connections, and the round trip of acknowledged
// records one at a time.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/RawSink.h"
#include "kernel/QelException.h"
#include "tools/QelCollectorClient.h"

namespace {

struct Indexer {
  pid_t pid = -1;
  int port = 0;
  std::string home;
  Indexer() {
    char tmpl[] = "/tmp/qelbench-XXXXXX";
    home = ::mkdtemp(tmpl);
    RawSink probe;  // borrow a free port number
    port = probe.port() + 1;
    std::ofstream(home + "/qel.ini")
        << "[qelwebs]\nindexName = qelwebs\nindexerPort = " << port
        << "\nreportInterval = 3600\nreportRateThreshold = 0\nreportAlarmCount = 0\n"
           "schedulerInterval = 3600\nschedulerBatchSize = 1000\n";
    ::setenv("QEL_HOME", home.c_str(), 1);
    std::string create = std::string(QEL_BIN_DIR) + "/qelidx create qelwebs";
    if (std::system(create.c_str()) != 0) std::exit(1);
    pid = ::fork();
    if (pid == 0) {
      int devnull = ::open("/dev/null", O_WRONLY);
      ::dup2(devnull, 1);
      std::string bin = std::string(QEL_BIN_DIR) + "/qelindexer";
      ::execl(bin.c_str(), bin.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200; ++i) {
      try {
        QelCollectorClient probeClient("127.0.0.1", port);
        return;
      } catch (const QelException&) {
        ::usleep(50000);
      }
    }
    std::fprintf(stderr, "the indexer does not listen on port %d\n", port);
    std::exit(1);
  }
  ~Indexer() {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    std::string rm = "rm -rf " + home;
    (void)std::system(rm.c_str());
  }
};

double rate(const QelLoadResult& r) { return static_cast<double>(r.records) / r.seconds; }

// Best of a few runs, to keep a passing hiccup out of the figure.
QelLoadResult best(int port, std::uint64_t n, int connections, std::uint64_t ackEvery,
                   std::int32_t& nextId, int runs = 3) {
  QelLoadResult top;
  for (int i = 0; i < runs; ++i) {
    QelLoadResult r = qelGenerateLoad("127.0.0.1", port, n, connections, ackEvery, nextId);
    nextId += static_cast<std::int32_t>(n);
    if (top.seconds == 0 || r.seconds < top.seconds) top = r;
  }
  return top;
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 10000000;
  const std::uint64_t acked = 20000;
  std::printf("%-44s %14s %14s %7s\n", "figure", "indexer", "raw sink", "ratio");
  std::int32_t nextId = 1;
  Indexer indexer;
  for (int connections : {1, 4}) {
    RawSink sink;
    std::int32_t sinkId = 1;
    double mine = rate(best(indexer.port, n, connections, 0, nextId));
    double raw = rate(best(sink.port(), n, connections, 0, sinkId));
    std::printf("intake, acks off, %d connection(s), rec/s     %14.0f %14.0f %7.2f\n",
                connections, mine, raw, mine / raw);
  }
  {
    RawSink sink;
    std::int32_t sinkId = 1;
    QelLoadResult mine = best(indexer.port, acked, 1, 1, nextId, 1);
    QelLoadResult raw = best(sink.port(), acked, 1, 1, sinkId, 1);
    for (double p : {50.0, 99.0}) {
      double a = qelPercentile(mine.roundTripMicros, p), b = qelPercentile(raw.roundTripMicros, p);
      std::printf("acked round trip p%-2.0f, us                       %14.1f %14.1f %7.2f\n", p,
                  a, b, a / b);
    }
  }
  std::printf("aims: 1-connection intake >= 10,000,000 rec/s and >= 0.25 of the sink; "
              "acked round trip <= 1.5 times the sink's\n");
  return 0;
}
