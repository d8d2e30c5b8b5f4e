// The listener and its connections over real loopback sockets.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "intake/QelDocBuffer.h"
#include "intake/QelListener.h"
#include "kernel/QelException.h"
#include "kernel/QelOsThread.h"
#include "tests/TestSupport.h"
#include "tools/QelCollectorClient.h"

namespace {

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetStopFlagsForTesting();
    port = qeltest::freePort();
    listener = std::make_unique<QelListener>(port, &buffer);
  }
  void TearDown() override {
    stopFlag().store(1);
    EXPECT_EQ(qelWaitForWorkers(10), 0);
    listener.reset();
    resetStopFlagsForTesting();
  }

  std::unique_ptr<QelCollectorClient> connect() {
    std::unique_ptr<QelCollectorClient> c;
    EXPECT_TRUE(qeltest::waitUntil(
        [&] {
          try {
            c = std::make_unique<QelCollectorClient>("127.0.0.1", port);
            return true;
          } catch (const QelException&) {
            return false;
          }
        },
        10));
    return c;
  }
  // The ids taken out of the buffer once `count` of them wait.
  std::vector<std::int32_t> waitForIds(std::uint32_t count) {
    EXPECT_TRUE(qeltest::waitUntil([&] { return counters()[2] >= count; }, 10));
    QelDocQueue q;
    buffer.moveDocuments(q, INT32_MAX);
    std::vector<std::int32_t> ids;
    while (!q.isEmpty()) ids.push_back(q.takeFirst());
    return ids;
  }
  std::array<std::uint32_t, 3> counters() {
    std::array<std::uint32_t, 3> c{};
    buffer.retrieveCounters(c[0], c[1], c[2]);
    return c;
  }
  // True when nothing arrives from the indexer within a short while.
  static bool nothingArrives(QelCollectorClient& c) {
    c.socket().setReceiveTimeout(200);
    QelBuffer b(8);
    try {
      c.socket().recv(b);
      return false;
    } catch (const QelExcSocketInterrupt&) {
      return true;
    }
  }
  bool connectionsEnd() {
    return qeltest::waitUntil([] { return qelRunningWorkers() == 1; }, 10);
  }

  QelIndexerGlobals globals;
  QelDocBuffer buffer;
  int port = 0;
  std::unique_ptr<QelListener> listener;
};

}  // namespace

TEST_F(ConnectionTest, RecordsWithAndWithoutAcknowledgement) {
  auto c = connect();
  c->send(42, kKindNew, /*ack=*/true);  // throws unless "OK" comes
  c->send(43, kKindChanged, /*ack=*/false);
  EXPECT_EQ(waitForIds(2), (std::vector<std::int32_t>{42, 43}));
  EXPECT_TRUE(nothingArrives(*c));  // no reply to the second record
  EXPECT_EQ(counters(), (std::array<std::uint32_t, 3>{1, 1, 0}));
}

TEST_F(ConnectionTest, LineEndsForBlanksThreeInOneSendAndOneSplitInThree) {
  auto c = connect();
  std::string crlf = qelRecord(7, kKindNew, true);
  crlf[15] = '\r';
  crlf[28] = '\n';
  crlf[30] = '\r';
  std::string three = qelRecord(1, kKindNew, false) + crlf + qelRecord(2, kKindChanged, true);
  c->sendBytes(three.data(), three.size());
  c->waitForOk();
  c->waitForOk();
  std::string split = qelRecord(3, kKindNew, true);
  for (std::size_t at : {0, 5, 20}) {
    c->sendBytes(split.data() + at, at == 20 ? 12 : (at == 0 ? 5 : 15));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  c->waitForOk();
  EXPECT_EQ(waitForIds(4), (std::vector<std::int32_t>{1, 7, 2, 3}));
}

TEST_F(ConnectionTest, MalformedRecordsGetOneLineAndTheConnectionGoesOn) {
  auto c = connect();
  qeltest::StdoutCapture out;
  std::string bad = "garbage\x01 abc 3 1               ";
  bad.resize(32, ' ');
  std::string tooBig = "x 999999999999 3 1";
  tooBig.resize(32, ' ');
  std::string noAck = "x 42 3";
  noAck.resize(32, ' ');
  std::string all = bad + tooBig + noAck;
  c->sendBytes(all.data(), all.size());
  c->send(8, kKindNew, true);  // the next good record is served
  EXPECT_EQ(waitForIds(1), (std::vector<std::int32_t>{8}));
  auto lines = out.lines();
  ASSERT_EQ(lines.size(), 1u) << out.text();
  EXPECT_NE(lines[0].find("Record from collector 127.0.0.1:"), std::string::npos);
  EXPECT_NE(lines[0].find("garbage\\x01 abc 3 1"), std::string::npos) << lines[0];
  EXPECT_EQ(counters(), (std::array<std::uint32_t, 3>{1, 0, 0}));
}

TEST_F(ConnectionTest, UnknownKindIsAddedAndCountedInNeitherTotal) {
  auto c = connect();
  c->send(5, kKindChanged, false);
  c->send(6, 7, true);
  EXPECT_EQ(waitForIds(2), (std::vector<std::int32_t>{5, 6}));
  EXPECT_EQ(counters(), (std::array<std::uint32_t, 3>{0, 1, 0}));
}

TEST_F(ConnectionTest, ResetWhileOkIsSentDropsThatRecord) {
  auto c = connect();
  {
    // While the lock is held the connection waits to add the first record,
    // so the second record and the reset are both there before it goes on.
    QelLockGuard hold(*QelIndexerGlobals::indexLock());
    c->send(1, kKindNew, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    c->send(2, kKindNew, false);  // asks for no OK so that send does not wait
    std::string ask = qelRecord(3, kKindNew, true);
    c->sendBytes(ask.data(), ask.size());
    c->socket().abortiveClose();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(connectionsEnd());
  std::vector<std::int32_t> ids = waitForIds(1);
  EXPECT_TRUE(ids == std::vector<std::int32_t>{1} || ids == (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(std::count(ids.begin(), ids.end(), 3), 0);
}

TEST_F(ConnectionTest, OrderlyCloseFreesConnectionAndDescriptorSilently) {
  connect();  // once the listener listens, its socket is counted below
  ASSERT_TRUE(connectionsEnd());
  const long descriptors = osOpenDescriptorCount();
  std::string printed;
  {
    qeltest::StdoutCapture out;
    {
      auto c = connect();
      c->send(1, kKindNew, true);
      std::string partial = qelRecord(2, kKindNew, true).substr(0, 10);
      c->sendBytes(partial.data(), partial.size());  // dropped at the close
      EXPECT_EQ(qelRunningWorkers(), 2);
    }
    EXPECT_TRUE(connectionsEnd());
    printed = out.text();
  }
  // A leaked descriptor would leave one more than before.
  EXPECT_TRUE(qeltest::waitUntil([&] { return osOpenDescriptorCount() <= descriptors; }, 5))
      << osOpenDescriptorCount() << " descriptors, " << descriptors << " before";
  EXPECT_EQ(printed, "");
  EXPECT_EQ(waitForIds(1), (std::vector<std::int32_t>{1}));
}

TEST_F(ConnectionTest, StopFlagWithARecordInFlight) {
  auto c = connect();
  {
    QelLockGuard hold(*QelIndexerGlobals::indexLock());
    c->send(9, kKindNew, true);  // answered before it is added
    stopFlag().store(1);
  }
  EXPECT_EQ(waitForIds(1), (std::vector<std::int32_t>{9}));
  c->socket().setReceiveTimeout(5000);
  QelBuffer b(4);
  EXPECT_THROW(c->socket().recv(b), QelExcSocketConnectionEnd);  // shut down by the indexer
  EXPECT_EQ(qelWaitForWorkers(5), 0);  // the listener has seen the flag as well
}

TEST_F(ConnectionTest, TwoCollectorsAtOnce) {
  auto a = connect();
  auto b = connect();
  EXPECT_TRUE(qeltest::waitUntil([] { return qelRunningWorkers() == 3; }, 5));
  a->send(1, kKindNew, true);
  b->send(2, kKindNew, true);
  a->send(3, kKindNew, true);
  std::vector<std::int32_t> ids = waitForIds(3);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{1, 2, 3}));
}
