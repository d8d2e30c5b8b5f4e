// The named termination event: with it Ctrl+C does nothing and setting the
// event stops the run; without the event the option is dropped.
#include <gtest/gtest.h>

#include <csignal>

#include "tests/TestSupport.h"

using qeltest::Child;
using qeltest::runProgram;
using qeltest::TempHome;

TEST(TermEventTest, SettingTheEventStopsTheRunAndCtrlCIsIgnored) {
  TempHome home;
  ASSERT_EQ(runProgram("qelidx", {"create", "qelwebs"}).status, 0);
  ASSERT_EQ(runProgram("qelevent", {"create"}).status, 0);
  Child indexer("qelindexer", {"--UseQELTavoTermEvent"});
  ASSERT_TRUE(indexer.waitForLine("    time      new", 20));
  indexer.signal(SIGINT);
  EXPECT_FALSE(indexer.waitForLine("Stop requested", 2));
  ASSERT_EQ(runProgram("qelevent", {"set"}).status, 0);
  EXPECT_EQ(indexer.waitExit(30), 0);
  auto lines = indexer.lines();
  auto received = std::find(lines.begin(), lines.end(), "event received");
  ASSERT_NE(received, lines.end());
  auto stop = std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("Stop requested", 0) == 0; });
  EXPECT_LT(received, stop);
  EXPECT_EQ(indexer.countLines("Stop requested"), 1);
  runProgram("qelevent", {"remove"});
}

TEST(TermEventTest, WithoutTheEventTheOptionIsDroppedAndCtrlCStops) {
  TempHome home;
  ASSERT_EQ(runProgram("qelidx", {"create", "qelwebs"}).status, 0);
  runProgram("qelevent", {"remove"});
  Child indexer("qelindexer", {"--UseQELTavoTermEvent"});
  ASSERT_TRUE(indexer.waitForLine("    time      new", 20));
  indexer.signal(SIGINT);
  EXPECT_EQ(indexer.waitExit(30), 0);
  EXPECT_EQ(indexer.countLines("Stop requested"), 1);
}
