// qelevent: the other side of the indexer's termination event. Creates,
// sets and removes the named event that "--UseQELTavoTermEvent" watches.
#include <cstdio>
#include <string>

#include "kernel/QelException.h"
#include "kernel/QelNamedEvent.h"

int main(int argc, char** argv) {
  const std::string name = argc >= 3 ? argv[2] : "qel_tavo_qel_run_term_event";
  const std::string verb = argc >= 2 ? argv[1] : "";
  try {
    if (verb == "create") {
      QelNamedEvent::create(name);
    } else if (verb == "set") {
      QelNamedEvent::set(name);
    } else if (verb == "remove") {
      QelNamedEvent::remove(name);
    } else {
      std::fprintf(stderr,
                   "usage: qelevent create|set|remove [NAME]   (NAME defaults to "
                   "qel_tavo_qel_run_term_event)\n");
      return 2;
    }
  } catch (const QelException& e) {
    std::fprintf(stderr, "qelevent: %s\n", e.text());
    return 1;
  }
  return 0;
}
