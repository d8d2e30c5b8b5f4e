// A fixture for the scheduler and the reporter: the process-wide services,
// a home with a configuration, a buffer, a fake text-search engine and a
// fake clock in place of the real sleep, so that policies are tested with
// injected failures and without real waits.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "intake/QelDocBuffer.h"
#include "kernel/QelConfiguration.h"
#include "kernel/QelException.h"
#include "kernel/QelOsSleep.h"
#include "kernel/QelTextSearchEngine.h"
#include "tests/TestSupport.h"

namespace qeltest {

// Records every call; each behaviour can be replaced.
class FakeEngine : public QelTextSearchEngine {
 public:
  void openIndex(const QelString&) override {}
  QelIndexInfo retrieveInfo(const QelString&) override {
    log("info");
    return QelIndexInfo{service};
  }
  QelIndexStatus retrieveStatus(const QelString&) override {
    log("status");
    if (onStatus) onStatus();
    QelIndexStatus s = status;
    s.available = available();
    return s;
  }
  void scheduleDocument(const QelString&, const QelDocQueue& queue) override {
    std::string ids;
    for (auto id : queue) ids += (ids.empty() ? "" : ",") + std::to_string(id);
    log("schedule " + ids);
    if (refuseSchedule()) throw QelExcNonFatal("TextSearch", 1023, "refused for now");
  }
  void update(const QelString&) override {
    log(stopFlag().load() ? "update(stopped)" : "update");
    if (onUpdate) onUpdate();
  }

  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> l(m_);
    return calls_;
  }

  QelString service{"QELLSSHT"};
  QelIndexStatus status;
  std::function<std::uint32_t()> available = [] { return 1u; };
  std::function<bool()> refuseSchedule = [] { return false; };
  std::function<void()> onStatus, onUpdate;

 private:
  void log(const std::string& c) {
    std::lock_guard<std::mutex> l(m_);
    calls_.push_back(c);
  }
  std::mutex m_;
  std::vector<std::string> calls_;
};

class WorkerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    resetStopFlagsForTesting();
    previousEngine = setTextSearchEngineForTesting(&engine);
    setSleepFunctionForTesting([this](long s) {
      for (long i = 0; i < (s > 0 ? s : 0); ++i) {
        ++slept;
        if (afterSecond) afterSecond(slept);
      }
    });
  }
  void TearDown() override {
    stopFlag().store(1);
    EXPECT_EQ(qelWaitForWorkers(10), 0);
    setSleepFunctionForTesting(nullptr);
    setTextSearchEngineForTesting(previousEngine == &engine ? nullptr : previousEngine);
    resetStopFlagsForTesting();
  }
  std::unique_ptr<QelConfiguration> configure(const std::map<std::string, std::string>& keys) {
    home.writeIni(keys);
    return std::make_unique<QelConfiguration>(QelString("qel.ini"), 1, QelString("qelwebs"));
  }
  // Waits for the worker threads to end.
  bool workersEnd() { return qelWaitForWorkers(10) == 0; }

  TempHome home;
  QelIndexerGlobals globals;
  QelDocBuffer buffer;
  FakeEngine engine;
  QelTextSearchEngine* previousEngine = nullptr;
  // The fake clock: seconds slept so far, and what happens after each.
  long slept = 0;  // touched by the worker thread only while it runs
  std::function<void(long)> afterSecond;
};

}  // namespace qeltest
