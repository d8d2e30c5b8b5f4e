// The statistics table: texts, widths, blocks, the rate and its alarm.
#include <gtest/gtest.h>

#include "reporting/QelReporter.h"
#include "tests/WorkerFixture.h"

namespace {

class ReporterTest : public qeltest::WorkerFixture {
 protected:
  // Runs the reporter for `rows` rows; before row k+1 (after the sleep that
  // follows row k) `beforeRow(k+1)` runs.
  std::vector<std::string> rowsOf(int rows, const std::map<std::string, std::string>& keys,
                                  std::function<void(int)> beforeRow = nullptr) {
    auto config = configure(keys);
    const long interval = config->reportInterval();
    afterSecond = [&, interval, rows](long s) {
      if (s % interval != 0) return;
      int next = static_cast<int>(s / interval) + 1;
      if (next > rows) {
        stopFlag().store(1);
      } else if (beforeRow) {
        beforeRow(next);
      }
    };
    qeltest::StdoutCapture out;
    {
      QelReporter reporter(docs.get(), QelString("qelwebs"), config.get());
      EXPECT_TRUE(workersEnd());
    }
    return out.lines();
  }
  void addNew(int n) {
    for (int i = 0; i < n; ++i) docs->addDocument(i, newDocument);
  }
  std::unique_ptr<QelDocBuffer> docs = std::make_unique<QelDocBuffer>();
};

bool isTime(const std::string& row) {
  return row.size() >= 8 && row[2] == ':' && row[5] == ':' && isdigit(row[0]) && isdigit(row[7]);
}

}  // namespace

TEST_F(ReporterTest, HeaderAndRowTextsAndWidths) {
  EXPECT_EQ(std::string(kReportHeader1).size(), 74u);
  EXPECT_EQ(std::string(kReportHeader2).size(), 74u);
  engine.status = QelIndexStatus{0, 0, 10, 20, 30};
  engine.available = [] { return 7u; };
  addNew(120);
  docs->addDocument(1, changedDocument);
  auto lines = rowsOf(1, {{"reportInterval", "60"}});
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "         ----------- Collector -------------  - Text Search Engine Index -");
  EXPECT_EQ(lines[1], "    time      new  newrate  changed   queued  A  primary secondry scheduld");
  ASSERT_TRUE(isTime(lines[2])) << lines[2];
  EXPECT_EQ(lines[2].substr(8),
            "      120    2.000        1      121  Y       10       20       30");
  EXPECT_EQ(lines[2].size(), 74u);
}

TEST_F(ReporterTest, SixRowsABlockAndNForAnUnavailableIndex) {
  engine.available = [] { return 0u; };
  auto lines = rowsOf(7, {});
  ASSERT_EQ(lines.size(), 11u);
  for (std::size_t i : {0u, 8u}) EXPECT_EQ(lines[i], kReportHeader1);
  for (std::size_t i : {1u, 9u}) EXPECT_EQ(lines[i], kReportHeader2);
  for (std::size_t i : {2u, 3u, 4u, 5u, 6u, 7u, 10u}) {
    EXPECT_TRUE(isTime(lines[i])) << lines[i];
    EXPECT_EQ(lines[i][8 + 38], 'N') << lines[i];
  }
}

TEST_F(ReporterTest, StopFlagDuringTheSleepEndsWithoutAnotherRow) {
  addNew(3);
  EXPECT_EQ(rowsOf(1, {{"reportInterval", "5"}}).size(), 3u);
  EXPECT_EQ(slept, 5);
}

TEST(ReporterRateTest, DifferenceWrapsAround) {
  EXPECT_FLOAT_EQ(qelNewRate(5, 0xFFFFFFFBu, 1), 10.0f);
  EXPECT_FLOAT_EQ(qelNewRate(120, 0, 60), 2.0f);
  EXPECT_FLOAT_EQ(qelNewRate(0, 10, 2), -5.0f);
}

TEST_F(ReporterTest, RateAlarmTable) {
  struct Case {
    const char* name;
    std::vector<int> rates;  // new documents per row, interval 1
    const char* threshold;
    const char* count;
    std::vector<int> ringing;  // rows (from 1) that carry the bells
  };
  const Case cases[] = {
      {"drop rings three rows", {10, 4, 4, 4, 4}, "5.0", "3", {2, 3, 4}},
      {"equal to the threshold then lower", {5, 4, 4}, "5.0", "1", {2}},
      {"already below falls further", {4, 3, 0}, "5.0", "3", {}},
      {"no alarm rows", {10, 4, 4}, "5.0", "0", {}},
      {"a new drop starts the count again", {10, 4, 10, 4, 4, 4, 4}, "5.0", "3", {2, 3, 4, 5, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    resetStopFlagsForTesting();
    slept = 0;
    docs = std::make_unique<QelDocBuffer>();
    addNew(c.rates[0]);
    auto lines = rowsOf(static_cast<int>(c.rates.size()),
                        {{"reportRateThreshold", c.threshold}, {"reportAlarmCount", c.count}},
                        [&](int row) { addNew(c.rates[row - 1]); });
    std::vector<int> ringing;
    int row = 0;
    for (const auto& l : lines) {
      if (!isTime(l)) continue;
      ++row;
      if (l.size() >= 3 && l.substr(l.size() - 3) == "\a\a\a") {
        ringing.push_back(row);
        EXPECT_EQ(l.size(), 77u);
      }
    }
    EXPECT_EQ(row, static_cast<int>(c.rates.size()));
    EXPECT_EQ(ringing, c.ringing);
  }
}

TEST_F(ReporterTest, StatusThatThrowsEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::fflush(stdout);  // the runner's own lines stay out of the death message
        dup2(2, 1);
        engine.onStatus = [] { throw 42; };
        auto config = configure({});
        QelReporter reporter(docs.get(), QelString("qelwebs"), config.get());
        workersEnd();
      },
      ::testing::ExitedWithCode(255),
      "Text Search Engine Index -\n.*scheduld\nunknown exception in QelReporter\n$");
}
