// qelcollect: the collector's side of the system for operators, tests and
// benchmarks. Sends notification records to a running indexer.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "kernel/QelException.h"
#include "tools/QelCollectorClient.h"

namespace {

const char* kUsage =
    "usage: qelcollect [--host H] --port P [--ack] (new ID | changed ID)...\n"
    "       qelcollect [--host H] --port P [--ack] -        (lines \"new ID\" or \"changed ID\" from standard input)\n"
    "       qelcollect [--host H] --port P --generate N [--connections C] [--ack-every K] [--first-id F]\n";

[[noreturn]] void usage(const std::string& why) {
  std::fprintf(stderr, "qelcollect: %s\n%s", why.c_str(), kUsage);
  std::exit(2);
}

long long number(const std::string& text, const char* what, long long min, long long max) {
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end || errno == ERANGE || v < min || v > max)
    usage(std::string(what) + " \"" + text + "\" is not a number from " + std::to_string(min) +
          " to " + std::to_string(max));
  return v;
}

int kindOf(const std::string& word) {
  if (word == "new") return kKindNew;
  if (word == "changed") return kKindChanged;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1";
  long port = 0;
  bool ack = false;
  bool fromStdin = false;
  long long generate = -1, connections = 1, ackEvery = 0, firstId = 1;
  std::vector<std::pair<int, std::int32_t>> records;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](const char* what) -> std::string {
      if (i + 1 >= argc) usage(std::string(what) + " needs a value");
      return argv[++i];
    };
    if (a == "--host") host = value("--host");
    else if (a == "--port") port = static_cast<long>(number(value("--port"), "port", 1, 65535));
    else if (a == "--ack") ack = true;
    else if (a == "--generate") generate = number(value("--generate"), "count", 0, INT32_MAX);
    else if (a == "--connections") connections = number(value("--connections"), "connections", 1, 10000);
    else if (a == "--ack-every") ackEvery = number(value("--ack-every"), "ack-every", 0, INT32_MAX);
    else if (a == "--first-id") firstId = number(value("--first-id"), "first id", INT32_MIN, INT32_MAX);
    else if (a == "-") fromStdin = true;
    else if (a == "-h" || a == "--help") { std::fputs(kUsage, stdout); return 0; }
    else if (int kind = kindOf(a)) {
      records.emplace_back(kind, static_cast<std::int32_t>(number(value(a.c_str()), "id", INT32_MIN, INT32_MAX)));
    } else usage("unknown argument \"" + a + "\"");
  }
  if (port == 0) usage("--port is required");
  try {
    if (generate >= 0) {
      QelLoadResult r = qelGenerateLoad(host, port, static_cast<std::uint64_t>(generate),
                                        static_cast<int>(connections),
                                        static_cast<std::uint64_t>(ackEvery),
                                        static_cast<std::int32_t>(firstId));
      std::printf("sent %llu records over %lld connections in %.3f s: %.0f records/s\n",
                  static_cast<unsigned long long>(r.records), connections, r.seconds,
                  r.seconds > 0 ? static_cast<double>(r.records) / r.seconds : 0.0);
      if (!r.roundTripMicros.empty()) {
        std::printf("acknowledged %zu records, round trip us: p50 %.1f  p90 %.1f  p99 %.1f  max %.1f\n",
                    r.roundTripMicros.size(), qelPercentile(r.roundTripMicros, 50),
                    qelPercentile(r.roundTripMicros, 90), qelPercentile(r.roundTripMicros, 99),
                    qelPercentile(r.roundTripMicros, 100));
      }
      return 0;
    }
    if (fromStdin) {
      std::string word, id;
      int line = 0;
      while (std::cin >> word >> id) {
        ++line;
        int kind = kindOf(word);
        if (!kind) usage("line " + std::to_string(line) + ": \"" + word + "\" is neither new nor changed");
        records.emplace_back(kind, static_cast<std::int32_t>(number(id, "id", INT32_MIN, INT32_MAX)));
      }
    }
    if (records.empty()) usage("no records to send");
    QelCollectorClient client(host, port);
    for (const auto& [kind, id] : records) client.send(id, kind, ack);
    if (ack) std::printf("%zu records acknowledged\n", records.size());
    else std::printf("%zu records sent\n", records.size());
  } catch (const QelException& e) {
    std::fprintf(stderr, "qelcollect: %s\n", e.text());
    return 1;
  }
  return 0;
}
