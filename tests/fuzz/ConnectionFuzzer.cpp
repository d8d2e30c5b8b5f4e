// Fuzzing of a collector connection's receive-and-parse path: arbitrary
// bytes, cut into arbitrary pieces, go through a real QelConnection over a
// socket pair. Nothing may crash, and exactly the ids that whole, well-formed
// records spell may reach the buffer, with one "OK" for each that asks.
#include <sys/socket.h>
#include <unistd.h>
#include <fcntl.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/QelIndexerGlobals.h"
#include "common/QelThread.h"
#include "intake/QelConnection.h"
#include "intake/QelDocBuffer.h"
#include "kernel/QelSocket.h"

namespace {

struct Expected {
  std::int32_t id;
  int kind;
  bool ack;
};

// What the C library reads from one record.
bool oracle(const std::uint8_t* record, Expected& out) {
  char text[33];
  std::memcpy(text, record, 32);
  text[32] = 0;
  char label[100];
  long long id = 0;
  int kind = 0, ack = 0;
  if (std::sscanf(text, "%15s %012lld %1d %1d", label, &id, &kind, &ack) != 4) return false;
  if (id < INT32_MIN || id > INT32_MAX) return false;
  out = Expected{static_cast<std::int32_t>(id), kind, ack != 0};
  return true;
}

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "connection fuzzer: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static QelIndexerGlobals globals;  // the catalog for the refused-record lines
  int devnull = ::open("/dev/null", O_WRONLY);
  ::dup2(devnull, 1);  // those lines are not what is fuzzed
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  unsigned seed = data[0];
  ++data;
  --size;

  int pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) fail("socketpair");
  QelDocBuffer buffer;
  new QelConnection(QelSocket::fromDescriptor(pair[1], "fuzz"), &buffer);

  for (std::size_t at = 0; at < size;) {
    seed = seed * 1103515245u + 12345u;
    std::size_t piece = 1 + (seed >> 16) % 70;
    if (piece > size - at) piece = size - at;
    if (::write(pair[0], data + at, piece) != static_cast<ssize_t>(piece)) fail("write");
    at += piece;
  }
  ::shutdown(pair[0], SHUT_WR);
  std::string replies;
  char buf[4096];
  for (ssize_t n; (n = ::read(pair[0], buf, sizeof buf)) > 0;) replies.append(buf, static_cast<std::size_t>(n));
  ::close(pair[0]);
  if (qelWaitForWorkers(10) != 0) fail("the connection did not end");

  std::vector<Expected> expected;
  for (std::size_t at = 0; at + 32 <= size; at += 32) {
    Expected e;
    if (oracle(data + at, e)) expected.push_back(e);
  }
  std::uint32_t newCount = 0, changedCount = 0, queued = 0;
  buffer.retrieveCounters(newCount, changedCount, queued);
  if (queued != expected.size()) fail("a different number of ids arrived");
  QelDocQueue got;
  buffer.moveDocuments(got, INT32_MAX);
  std::uint32_t news = 0, changes = 0;
  std::string oks;
  for (const Expected& e : expected) {
    if (got.takeFirst() != e.id) fail("an id that the bytes did not spell");
    news += e.kind == 3;
    changes += e.kind == 4;
    if (e.ack) oks += "OK";
  }
  if (news != newCount || changes != changedCount) fail("wrong totals");
  if (replies != oks) fail("wrong replies");
  return 0;
}
