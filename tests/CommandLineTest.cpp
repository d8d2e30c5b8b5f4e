// The command line: the webspace name, the usage message, and the
// termination-event option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/QelDriver.h"
#include "driver/QelStopControl.h"

namespace {
struct Args {
  explicit Args(std::vector<std::string> a) : text(std::move(a)) {
    for (auto& s : text) argv.push_back(s.data());
    argv.push_back(nullptr);
    argc = static_cast<int>(text.size());
  }
  std::vector<std::string> text;
  std::vector<char*> argv;
  int argc;
};
}  // namespace

TEST(CommandLineTest, Table) {
  struct Case {
    std::vector<std::string> args;
    bool eventOptionTaken;
    QelCommandLine result;
    const char* webspace;
  };
  const Case cases[] = {
      {{"qelindexer"}, false, QelCommandLine::serve, "qelwebs"},
      {{"qelindexer", "web1"}, false, QelCommandLine::serve, "web1"},
      {{"qelindexer", ""}, false, QelCommandLine::serve, ""},
      {{"qelindexer", "-H"}, false, QelCommandLine::serve, "-H"},
      {{"qelindexer", "-h"}, false, QelCommandLine::usage, nullptr},
      {{"qelindexer", "-hx"}, false, QelCommandLine::usage, nullptr},
      {{"qelindexer", "a", "b"}, false, QelCommandLine::usage, nullptr},
      {{"qelindexer", "web1", "--UseQELTavoTermEvent"}, false, QelCommandLine::usage, nullptr},
      {{"qelindexer", "--UseQELTavoTermEvent"}, true, QelCommandLine::serve, "qelwebs"},
      {{"qelindexer", "--UseQELTavoTermEvent", "web2"}, true, QelCommandLine::serve, "web2"},
      {{"qelindexer", "--useqeltavotermevent"}, false, QelCommandLine::serve,
       "--useqeltavotermevent"},
  };
  for (const Case& c : cases) {
    Args a(c.args);
    SCOPED_TRACE(a.argc > 1 ? c.args[1] : "(none)");
    int argc = a.argc;
    // The event does not exist here: the option is taken out all the same
    // and the interrupt mode stays.
    EXPECT_FALSE(setUpTermEvent(argc, a.argv.data()));
    EXPECT_EQ(argc, a.argc - (c.eventOptionTaken ? 1 : 0));
    EXPECT_EQ(a.argv[argc], nullptr);
    QelString webspace;
    EXPECT_EQ(qelReadCommandLine(argc, a.argv.data(), webspace), c.result);
    if (c.webspace) {
      EXPECT_STREQ(webspace.c_str(), c.webspace);
    }
  }
}
