// The indexer program's start: command line, configuration failures and a
// port that is taken, each with its console line and exit status.
#include <gtest/gtest.h>

#include "common/QelStopFlags.h"
#include "kernel/QelSocket.h"
#include "tests/TestSupport.h"

using qeltest::runProgram;
using qeltest::TempHome;

TEST(ProgramTest, UsageMessageOpensNoConfiguration) {
  TempHome home;
  ::unlink((home.path() + "/qel.ini").c_str());  // opening it would fail with 233
  for (auto args : std::vector<std::vector<std::string>>{{"-h"}, {"-hx"}, {"a", "b"}}) {
    SCOPED_TRACE(args[0]);
    auto r = runProgram("qelindexer", args);
    EXPECT_EQ(r.status, 255);
    EXPECT_EQ(r.output.rfind("Usage: qelindexer [--UseQELTavoTermEvent] [webspace]", 0), 0u)
        << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1);
  }
}

TEST(ProgramTest, StartUpFailuresPrintTheKernelsReport) {
  struct Case {
    std::vector<std::string> args;
    bool withIni;
    int status;
    std::string line;
  };
  TempHome home;
  const Case cases[] = {
      {{"-H"}, true, 1002 & 0xFF, home.path() + "/qel.ini, section [-H]: the section is missing"},
      {{}, false, 1001 & 0xFF, "Configuration error 1001: cannot read configuration file " +
                                   home.path() + "/qel.ini: open: No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    if (c.withIni) home.writeIni({});
    else ::unlink((home.path() + "/qel.ini").c_str());
    auto r = runProgram("qelindexer", c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.output.find(c.line), std::string::npos) << r.output;
  }
}

TEST(ProgramTest, PortInUseEndsTheProcessWithTheKernelsReport) {
  TempHome home;
  QelSocket taken(home.port());
  taken.listen();
  auto r = runProgram("qelindexer", {});
  EXPECT_EQ(r.status, 1010 & 0xFF);
  EXPECT_EQ(r.output, "Socket error 1010: bind: Address already in use (port " +
                          std::to_string(home.port()) + ")\n");
}
