// BenchIndexer: starting and ending a measured indexer.
#include "bench/BenchIndexer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "bench/RawSink.h"
#include "kernel/QelException.h"
#include "kernel/QelOsThread.h"
#include "tools/QelCollectorClient.h"

long residentKiB(pid_t pid) { return osProcessStatusField(pid, "VmRSS:"); }

BenchIndexer::BenchIndexer(int reportInterval, int schedulerInterval) {
  char tmpl[] = "/tmp/qelbench-XXXXXX";
  home_ = ::mkdtemp(tmpl);
  {
    RawSink probe;  // borrows a port that nothing listens on afterwards
    port_ = probe.port();
  }
  std::ofstream(home_ + "/qel.ini")
      << "[qelwebs]\nindexName = qelwebs\nindexerPort = " << port_
      << "\nreportInterval = " << reportInterval
      << "\nreportRateThreshold = 0\nreportAlarmCount = 0\nschedulerInterval = "
      << schedulerInterval << "\nschedulerBatchSize = 100000\n";
  ::setenv("QEL_HOME", home_.c_str(), 1);
  std::string create = std::string(QEL_BIN_DIR) + "/qelidx create qelwebs";
  if (std::system(create.c_str()) != 0) std::exit(1);
  pid_ = ::fork();
  if (pid_ == 0) {
    int devnull = ::open("/dev/null", O_WRONLY);
    ::dup2(devnull, 1);
    std::string bin = std::string(QEL_BIN_DIR) + "/qelindexer";
    ::execl(bin.c_str(), bin.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int i = 0; i < 200; ++i) {
    try {
      QelCollectorClient probeClient("127.0.0.1", port_);
      return;
    } catch (const QelException&) {
      ::usleep(50000);
    }
  }
  std::fprintf(stderr, "the indexer does not listen on port %d\n", port_);
  std::exit(1);
}

BenchIndexer::~BenchIndexer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  std::string rm = "rm -rf " + home_;
  (void)std::system(rm.c_str());
}

long BenchIndexer::residentKiB() const { return ::residentKiB(pid_); }

double BenchIndexer::stopSeconds() {
  auto start = std::chrono::steady_clock::now();
  ::kill(pid_, SIGINT);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
