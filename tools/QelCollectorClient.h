// QelCollectorClient: the collector's side of the protocol, for the tool
// qelcollect, the tests and the benchmarks: 32-byte records out, "OK" back.
// One object per connection, used by one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kernel/QelSocket.h"

inline constexpr int kKindNew = 3;
inline constexpr int kKindChanged = 4;

// Writes the 32-byte record "<label:15> <id:12> <kind> <ack>" at `out`.
void qelFormatRecord(char* out, std::int32_t docId, int kind, bool ack,
                     const char* label = "qelcollect");
std::string qelRecord(std::int32_t docId, int kind, bool ack, const char* label = "qelcollect");

class QelCollectorClient {
 public:
  // Connects; throws QelException naming the address when it cannot.
  QelCollectorClient(const std::string& host, long port);

  // Sends one record; with `ack` waits for "OK". Throws QelException when the
  // connection fails or no "OK" comes within `ackTimeoutSeconds`.
  void send(std::int32_t docId, int kind, bool ack, long ackTimeoutSeconds = 10);
  // Sends raw bytes.
  void sendBytes(const void* data, std::size_t length) { socket_->sendBytes(data, length); }
  // Waits for one "OK"; throws QelException when it does not come in time.
  void waitForOk(long timeoutSeconds = 10);
  QelSocket& socket() { return *socket_; }

 private:
  std::unique_ptr<QelSocket> socket_;
  QelBuffer reply_{2};
};

// Result of a generated load.
struct QelLoadResult {
  std::uint64_t records = 0;
  double seconds = 0;
  std::vector<double> roundTripMicros;  // one per acknowledged record
};

// Sends `count` records with ids from `firstId` on, over `connections`
// connections at once. With `ackEvery` K > 0 every K-th record of a
// connection asks for "OK" and waits for it; the last record of every
// connection always does, so its reply proves that all before it was taken.
// Throws QelException when a connection fails.
QelLoadResult qelGenerateLoad(const std::string& host, long port, std::uint64_t count,
                              int connections, std::uint64_t ackEvery, std::int32_t firstId,
                              int kind = kKindNew);

// The p-th percentile (0 to 100) of the values.
double qelPercentile(std::vector<double> values, double p);
