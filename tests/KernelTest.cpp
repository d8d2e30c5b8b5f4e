// The kernel stand-in: exceptions, configuration, catalog, document queue.
#include <gtest/gtest.h>

#include <string>

#include "kernel/QelConfiguration.h"
#include "kernel/QelCosCatalog.h"
#include "kernel/QelDocQueue.h"
#include "kernel/QelException.h"
#include "kernel/QelOsSleep.h"
#include "kernel/QelWebspace.h"
#include "tests/TestSupport.h"

using qeltest::TempHome;

TEST(ExceptionTest, ReportShowsComponentIdAndNewestText) {
  QelExcFatal e("Configuration", 1003, "first");
  e.addText("second");
  EXPECT_STREQ(e.report().c_str(), "Configuration error 1003: second");
  IException empty;
  EXPECT_STREQ(empty.text(), "");
}

TEST(ConfigurationTest, ReadsTheWebspaceSection) {
  TempHome home({{"reportRateThreshold", "2.5"}, {"schedulerBatchSize", "-3"}});
  home.writeFile("qel.ini", "; comment\n[other]\nreportInterval = 9\n\n" +
                                std::string("[qelwebs]\n# comment\nindexName = idx  ; trailing\n"
                                            "indexerPort=4000\nreportInterval = 7\n"
                                            "reportRateThreshold = 2.5\nreportAlarmCount = 3\n"
                                            "schedulerInterval = 0\nschedulerBatchSize = -3\n"));
  QelConfiguration c(QelString("qel.ini"), 1, QelString("qelwebs"));
  EXPECT_EQ(c.reportInterval(), 7);
  EXPECT_FLOAT_EQ(c.reportRateThreshold(), 2.5f);
  EXPECT_EQ(c.reportAlarmCount(), 3);
  EXPECT_EQ(c.schedulerInterval(), 0);
  EXPECT_EQ(c.schedulerBatchSize(), -3);
  EXPECT_STREQ(c.webspaceToIndex(QelString("qelwebs")).c_str(), "idx");
  EXPECT_EQ(QelWebspace(QelString("qelwebs"), QelString("qel")).indexerPort(), 4000);
}

TEST(ConfigurationTest, RefusedValuesNameFileSectionAndKey) {
  struct Case {
    const char* key;
    const char* value;
    unsigned long id;
    const char* words;
  };
  const Case cases[] = {
      {"reportInterval", "<absent>", 1003, "key reportInterval is missing"},
      {"reportInterval", "0", 1004, "key reportInterval = 0 is outside 1"},
      {"reportInterval", "abc", 1004, "key reportInterval = \"abc\""},
      {"schedulerInterval", "2147483648", 1004, "key schedulerInterval"},
      {"schedulerBatchSize", "12x", 1004, "key schedulerBatchSize"},
      {"reportRateThreshold", "nan", 1004, "key reportRateThreshold"},
      {"reportAlarmCount", "", 1004, "key reportAlarmCount"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    TempHome home(std::map<std::string, std::string>{{c.key, c.value}});
    try {
      QelConfiguration config(QelString("qel.ini"), 1, QelString("qelwebs"));
      ADD_FAILURE() << "accepted";
    } catch (const QelException& e) {
      EXPECT_EQ(e.errorId(), c.id);
      std::string report = e.report().str();
      EXPECT_NE(report.find(home.path() + "/qel.ini"), std::string::npos) << report;
      EXPECT_NE(report.find("section [qelwebs]"), std::string::npos) << report;
      EXPECT_NE(report.find(c.words), std::string::npos) << report;
    }
  }
}

namespace {
// Opening the configuration for `webspace` fails with `id` and a report
// that holds `words`.
void expectRefused(const char* webspace, unsigned long id, const std::string& words) {
  try {
    QelConfiguration c(QelString("qel.ini"), 1, QelString(webspace));
    ADD_FAILURE() << "accepted";
  } catch (const QelException& e) {
    EXPECT_EQ(e.errorId(), id);
    EXPECT_NE(e.report().str().find(words), std::string::npos) << e.report().str();
  }
}
}  // namespace

TEST(ConfigurationTest, MissingFileSectionAndPort) {
  TempHome home;
  expectRefused("nosuch", 1002, "section [nosuch]: the section is missing");
  home.writeIni({{"indexerPort", "70000"}});
  EXPECT_THROW(QelWebspace(QelString("qelwebs"), QelString("qel")), QelExcFatal);
  TempHome empty;
  ::unlink((empty.path() + "/qel.ini").c_str());
  expectRefused("qelwebs", 1001, "No such file or directory");
}

TEST(CatalogTest, InsertsArgumentsByPosition) {
  QelCosCatalog catalog(QelString("qelinmsg"));
  ASSERT_FALSE(catalog.path().empty());
  std::string text = catalog.getMsg(2, "idx", "OTHER", "QELLSSHT").str();
  EXPECT_NE(text.find("idx"), std::string::npos);
  EXPECT_LT(text.find("OTHER"), text.find("QELLSSHT"));
  EXPECT_EQ(text.find('%'), std::string::npos);
  // A message the catalog does not hold still gives one line with everything.
  EXPECT_EQ(catalog.getMsg(99, "a", nullptr, "c").str(),
            "message 99 of catalog qelinmsg (not in " + catalog.path() + "): a, c");
  QelCosCatalog missing(QelString("nosuchcatalog"));
  EXPECT_EQ(missing.getMsg(3).str(),
            "message 3 of catalog nosuchcatalog (catalog file not found)");
}

TEST(DocQueueTest, PrependAllKeepsOrder) {
  QelDocQueue q, front;
  q.add(9);
  front.add(7);
  front.add(8);
  q.prependAll(front);
  EXPECT_TRUE(front.isEmpty());
  ASSERT_EQ(q.numberOfElements(), 3u);
  EXPECT_EQ(q.takeFirst(), 7);
  EXPECT_EQ(q.takeFirst(), 8);
  EXPECT_EQ(q.takeFirst(), 9);
  EXPECT_TRUE(q.isEmpty());
}

TEST(SleepTest, ZeroOrLessReturnsAtOnceAndFakeReplaces) {
  auto start = qeltest::Clock::now();
  osSleepSeconds(0);
  osSleepSeconds(-5);
  EXPECT_LT(qeltest::Clock::now() - start, std::chrono::milliseconds(500));
  long asked = 0;
  setSleepFunctionForTesting([&](long s) { asked = s; });
  osSleepSeconds(60);
  setSleepFunctionForTesting(nullptr);
  EXPECT_EQ(asked, 60);
}
