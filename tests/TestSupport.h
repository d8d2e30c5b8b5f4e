// Helpers of the tests: a temporary home with its qel.ini, free ports,
// waiting on a condition with a deadline, capturing standard output, and a
// child process of one of the programs.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace qeltest {

using Clock = std::chrono::steady_clock;

// A temporary folder made the home directory ($QEL_HOME) for its lifetime,
// with a qel.ini whose [qelwebs] section holds short intervals and the given
// keys on top.
class TempHome {
 public:
  explicit TempHome(const std::map<std::string, std::string>& keys = {});
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& path() const { return path_; }
  // Writes qel.ini anew: [qelwebs] with the defaults overridden by `keys`.
  void writeIni(const std::map<std::string, std::string>& keys);
  void writeFile(const std::string& name, const std::string& text);
  int port() const { return port_; }

 private:
  std::string path_;
  int port_;
};

// A TCP port on loopback that nothing listens on now.
int freePort();

// Polls `condition` until it holds or `seconds` pass; returns whether it held.
bool waitUntil(const std::function<bool()>& condition, double seconds);

// Everything written to standard output (descriptor 1) while it lives.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;
  // What was written so far.
  std::string text() const;
  std::vector<std::string> lines() const;

 private:
  int saved_;
  std::string file_;
};

// Path of a program of the build (qelindexer, qelcollect, qelidx, qelevent).
std::string program(const std::string& name);

// Runs a program to its end; returns its exit status and what it printed.
struct RunResult {
  int status = -1;
  std::string output;
};
RunResult runProgram(const std::string& name, const std::vector<std::string>& args,
                     double timeoutSeconds = 30);

// A program running as a child process, its standard output and error read
// line by line by a thread of its own, so that the program never waits for a
// full pipe. Killed at destruction if still running.
class Child {
 public:
  Child(const std::string& name, const std::vector<std::string>& args);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  void signal(int sig);
  // Waits for a line containing `text`; true when it came in time.
  bool waitForLine(const std::string& text, double seconds);
  // Number of lines so far that contain `text`.
  int countLines(const std::string& text);
  // Waits for the end; the exit status, or -1 when it did not end in time
  // (or ended by a signal).
  int waitExit(double seconds);
  bool running();
  std::vector<std::string> lines();

 private:
  void readLines();
  pid_t pid_;
  int out_;
  std::mutex m_;
  std::vector<std::string> lines_;  // guarded by m_
  std::thread reader_;
  bool exited_ = false;
  int status_ = -1;
};

}  // namespace qeltest
