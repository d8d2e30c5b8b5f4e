// BenchIndexer: a qelindexer process of the benchmarks, in a temporary home
// with its own index, listening on a free port. Killed at destruction.
#pragma once

#include <sys/types.h>

#include <string>

class BenchIndexer {
 public:
  // Starts it with the given intervals and waits until it listens.
  BenchIndexer(int reportInterval, int schedulerInterval);
  ~BenchIndexer();
  BenchIndexer(const BenchIndexer&) = delete;
  BenchIndexer& operator=(const BenchIndexer&) = delete;

  int port() const { return port_; }
  pid_t pid() const { return pid_; }
  // Resident memory in KiB.
  long residentKiB() const;
  // Sends SIGINT and returns the seconds until the process ended.
  double stopSeconds();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string home_;
};

// Resident memory of a process in KiB.
long residentKiB(pid_t pid);
