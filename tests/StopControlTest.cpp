// The stop routine with and without the process-wide services.
#include <gtest/gtest.h>

#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "driver/QelStopControl.h"
#include "tests/TestSupport.h"

TEST(StopControlTest, RequestStopSetsTheRequestAndSaysSoEveryTime) {
  struct Case {
    bool services;
    const char* line;
  };
  for (const Case& c : {Case{false, "Stop requested"},
                        Case{true, "Stop requested: the indexer finishes its current cycle and ends."}}) {
    SCOPED_TRACE(c.line);
    resetStopFlagsForTesting();
    std::unique_ptr<QelIndexerGlobals> globals;
    if (c.services) globals = std::make_unique<QelIndexerGlobals>();
    qeltest::StdoutCapture out;
    requestStop();
    requestStop();
    EXPECT_EQ(stopRequest().load(), 1);
    EXPECT_EQ(stopFlag().load(), 0);  // only the scheduler raises the stop flag
    EXPECT_EQ(out.lines(), (std::vector<std::string>{c.line, c.line}));
  }
  resetStopFlagsForTesting();
}
