// QelCollectorClient: records, acknowledgements and generated load.
#include "tools/QelCollectorClient.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>

#include "kernel/QelException.h"

void qelFormatRecord(char* out, std::int32_t docId, int kind, bool ack, const char* label) {
  std::size_t n = std::strlen(label);
  if (n > 15) n = 15;
  std::memset(out, ' ', 32);
  std::memcpy(out, label, n);
  char* id = out + 16;
  std::int64_t v = docId;
  int width = 12;
  if (v < 0) {
    id[0] = '-';
    ++id;
    width = 11;
    v = -v;
  }
  for (int i = width - 1; i >= 0; --i) {
    id[i] = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  out[29] = static_cast<char>('0' + kind % 10);
  out[31] = ack ? '1' : '0';
}

std::string qelRecord(std::int32_t docId, int kind, bool ack, const char* label) {
  std::string r(32, ' ');
  qelFormatRecord(r.data(), docId, kind, ack, label);
  return r;
}

QelCollectorClient::QelCollectorClient(const std::string& host, long port)
    : socket_(QelSocket::connect(host, port)) {}

void QelCollectorClient::send(std::int32_t docId, int kind, bool ack, long ackTimeoutSeconds) {
  char record[32];
  qelFormatRecord(record, docId, kind, ack);
  socket_->sendBytes(record, sizeof record);
  if (ack) waitForOk(ackTimeoutSeconds);
}

void QelCollectorClient::waitForOk(long timeoutSeconds) {
  long got = 0;
  long waited = 0;
  while (got < 2) {
    try {
      got += socket_->recv(reply_, got);
    } catch (const QelExcSocketInterrupt&) {
      if (++waited >= timeoutSeconds) {
        throw QelExcFatal("Collector", kErrSocketInterrupt,
                          "no OK from " + socket_->peerAddress() + " within " +
                              std::to_string(timeoutSeconds) + " seconds");
      }
    } catch (const QelExcSocketConnectionEnd&) {
      throw QelExcFatal("Collector", kErrSocketEnd,
                        "the indexer closed the connection before its OK");
    }
  }
  if (std::memcmp(reply_.data(), "OK", 2) != 0) {
    throw QelExcFatal("Collector", kErrSocketReset, "the indexer answered something else than OK");
  }
}

namespace {

void sendConnection(const std::string& host, long port, std::int32_t firstId,
                    std::uint64_t count, std::uint64_t ackEvery, int kind,
                    std::vector<double>& roundTrips) {
  QelCollectorClient client(host, port);
  constexpr std::uint64_t kChunk = 2048;
  std::vector<char> chunk(kChunk * 32);
  std::uint64_t sent = 0;
  while (sent < count) {
    std::size_t filled = 0;
    bool waits = false;
    while (sent + filled < count && filled < kChunk) {
      std::uint64_t index = sent + filled;
      bool ack = index + 1 == count || (ackEvery > 0 && (index + 1) % ackEvery == 0);
      qelFormatRecord(chunk.data() + filled * 32,
                      static_cast<std::int32_t>(firstId + static_cast<std::int64_t>(index)), kind,
                      ack, "qelcollect-gen");
      ++filled;
      if (ack) {
        waits = true;
        break;
      }
    }
    auto start = std::chrono::steady_clock::now();
    client.sendBytes(chunk.data(), filled * 32);
    if (waits) {
      client.waitForOk();
      roundTrips.push_back(std::chrono::duration<double, std::micro>(
                               std::chrono::steady_clock::now() - start)
                               .count());
    }
    sent += filled;
  }
}

}  // namespace

QelLoadResult qelGenerateLoad(const std::string& host, long port, std::uint64_t count,
                              int connections, std::uint64_t ackEvery, std::int32_t firstId,
                              int kind) {
  if (connections < 1) connections = 1;
  std::vector<std::vector<double>> trips(static_cast<std::size_t>(connections));
  std::vector<std::exception_ptr> failures(static_cast<std::size_t>(connections));
  std::vector<std::thread> threads;
  auto start = std::chrono::steady_clock::now();
  std::uint64_t next = 0;
  for (int c = 0; c < connections; ++c) {
    std::uint64_t share = count / static_cast<std::uint64_t>(connections) +
                          (static_cast<std::uint64_t>(c) < count % static_cast<std::uint64_t>(connections) ? 1 : 0);
    std::int32_t first = static_cast<std::int32_t>(firstId + static_cast<std::int64_t>(next));
    next += share;
    threads.emplace_back([&, c, share, first] {
      try {
        if (share > 0) sendConnection(host, port, first, share, ackEvery, kind, trips[c]);
      } catch (...) {
        failures[c] = std::current_exception();
      }
    });
  }
  for (auto& t : threads) t.join();
  QelLoadResult result;
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.records = count;
  for (auto& f : failures) {
    if (f) std::rethrow_exception(f);
  }
  for (auto& t : trips) result.roundTripMicros.insert(result.roundTripMicros.end(), t.begin(), t.end());
  return result;
}

double qelPercentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  std::size_t i = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(i, values.size() - 1)];
}
