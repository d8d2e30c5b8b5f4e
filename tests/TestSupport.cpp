// Helpers of the tests.
#include "tests/TestSupport.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef QEL_BIN_DIR
#define QEL_BIN_DIR "."
#endif

namespace qeltest {

TempHome::TempHome(const std::map<std::string, std::string>& keys) : port_(freePort()) {
  char tmpl[] = "/tmp/qeltest-XXXXXX";
  path_ = ::mkdtemp(tmpl);
  ::setenv("QEL_HOME", path_.c_str(), 1);
  writeIni(keys);
}

TempHome::~TempHome() {
  std::string cmd = "rm -rf '" + path_ + "'";
  (void)std::system(cmd.c_str());
}

void TempHome::writeIni(const std::map<std::string, std::string>& keys) {
  std::map<std::string, std::string> all = {
      {"indexName", "qelwebs"},         {"indexerPort", std::to_string(port_)},
      {"reportInterval", "1"},          {"reportRateThreshold", "1.0"},
      {"reportAlarmCount", "0"},        {"schedulerInterval", "1"},
      {"schedulerBatchSize", "100000"},
  };
  for (const auto& [k, v] : keys) all[k] = v;
  std::ostringstream ini;
  ini << "[qelwebs]\n";
  for (const auto& [k, v] : all) {
    if (v != "<absent>") ini << k << " = " << v << "\n";
  }
  writeFile("qel.ini", ini.str());
}

void TempHome::writeFile(const std::string& name, const std::string& text) {
  std::ofstream(path_ + "/" + name) << text;
}

int freePort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  ::close(fd);
  return ntohs(a.sin_port);
}

bool waitUntil(const std::function<bool()>& condition, double seconds) {
  auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

StdoutCapture::StdoutCapture() {
  char tmpl[] = "/tmp/qelout-XXXXXX";
  int fd = ::mkstemp(tmpl);
  file_ = tmpl;
  std::fflush(stdout);
  saved_ = ::dup(1);
  ::dup2(fd, 1);
  ::close(fd);
}

StdoutCapture::~StdoutCapture() {
  std::fflush(stdout);
  ::dup2(saved_, 1);
  ::close(saved_);
  ::unlink(file_.c_str());
}

std::string StdoutCapture::text() const {
  std::fflush(stdout);
  std::ifstream in(file_);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> StdoutCapture::lines() const {
  std::vector<std::string> out;
  std::istringstream in(text());
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

std::string program(const std::string& name) { return std::string(QEL_BIN_DIR) + "/" + name; }

Child::Child(const std::string& name, const std::vector<std::string>& args) {
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) std::abort();
  std::string path = program(name);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(pipefd[1], 1);
    ::dup2(pipefd[1], 2);
    // A fresh signal state: the test runner may have blocked or ignored some.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipefd[1]);
  out_ = pipefd[0];
  reader_ = std::thread([this] { readLines(); });
}

Child::~Child() {
  if (!exited_) {
    ::kill(pid_, SIGKILL);
    waitExit(10);
  }
  if (reader_.joinable()) reader_.join();
  ::close(out_);
}

void Child::signal(int sig) { ::kill(pid_, sig); }

void Child::readLines() {
  std::string partial;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(out_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // every writer has gone
    partial.append(buf, static_cast<std::size_t>(n));
    std::size_t from = 0, nl;
    std::lock_guard<std::mutex> lock(m_);
    while ((nl = partial.find('\n', from)) != std::string::npos) {
      lines_.push_back(partial.substr(from, nl - from));
      from = nl + 1;
    }
    partial.erase(0, from);
  }
  std::lock_guard<std::mutex> lock(m_);
  if (!partial.empty()) lines_.push_back(partial);
}

bool Child::waitForLine(const std::string& text, double seconds) {
  return waitUntil([&] { return countLines(text) > 0; }, seconds);
}

int Child::countLines(const std::string& text) {
  std::lock_guard<std::mutex> lock(m_);
  int n = 0;
  for (const auto& l : lines_) n += l.find(text) != std::string::npos;
  return n;
}

bool Child::running() {
  if (exited_) return false;
  int st = 0;
  pid_t r = ::waitpid(pid_, &st, WNOHANG);
  if (r == pid_) {
    exited_ = true;
    status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  return !exited_;
}

int Child::waitExit(double seconds) {
  if (!waitUntil([&] { return !running(); }, seconds)) return -1;
  // The program is gone, so its end of the pipe is closed: the reader ends
  // once it has every line.
  if (reader_.joinable()) reader_.join();
  return status_;
}

std::vector<std::string> Child::lines() {
  std::lock_guard<std::mutex> lock(m_);
  return lines_;
}

RunResult runProgram(const std::string& name, const std::vector<std::string>& args,
                     double timeoutSeconds) {
  Child child(name, args);
  RunResult r;
  r.status = child.waitExit(timeoutSeconds);
  for (const auto& l : child.lines()) r.output += l + "\n";
  return r;
}

}  // namespace qeltest
