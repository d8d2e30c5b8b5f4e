// qelidx: administration of the text-search indexes in $QEL_HOME/index/.
#include <cstdio>
#include <string>

#include "kernel/QelException.h"
#include "kernel/QelFileIndexEngine.h"

namespace {
const char* kUsage =
    "usage: qelidx create NAME [--service S]   (the service defaults to QELLSSHT)\n"
    "       qelidx status NAME | dump NAME | hold NAME | release NAME | list\n";
}

int main(int argc, char** argv) {
  const std::string verb = argc >= 2 ? argv[1] : "";
  const std::string name = argc >= 3 ? argv[2] : "";
  QelFileIndexEngine engine;
  try {
    if (verb == "list" && argc == 2) {
      for (const std::string& n : engine.list()) std::printf("%s\n", n.c_str());
    } else if (verb == "create" && (argc == 3 || (argc == 5 && std::string(argv[3]) == "--service"))) {
      engine.create(QelString(name), QelString(argc == 5 ? argv[4] : "QELLSSHT"));
    } else if (verb == "status" && argc == 3) {
      QelIndexStatus s = engine.retrieveStatus(QelString(name));
      std::printf("available %s\nprimary %u\nsecondary %u\nscheduled %u\n",
                  s.available ? "Y" : "N", s.primaryCount, s.secondaryCount, s.scheduledCount);
    } else if (verb == "dump" && argc == 3) {
      for (std::int32_t id : engine.dump(QelString(name))) std::printf("%d\n", id);
    } else if (verb == "hold" && argc == 3) {
      engine.hold(QelString(name));
    } else if (verb == "release" && argc == 3) {
      engine.release(QelString(name));
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  } catch (const QelException& e) {
    std::fprintf(stderr, "qelidx: %s\n", e.report().c_str());
    return 1;
  }
  return 0;
}
