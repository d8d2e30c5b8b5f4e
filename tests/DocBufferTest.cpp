// The document buffer: counting, moving out in order, putting back.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "intake/QelDocBuffer.h"

namespace {
struct Counters {
  std::uint32_t newCount, changedCount, queued;
  bool operator==(const Counters&) const = default;
};
Counters counters(QelDocBuffer& b) {
  Counters c{};
  b.retrieveCounters(c.newCount, c.changedCount, c.queued);
  return c;
}
std::vector<std::int32_t> drain(QelDocQueue& q) {
  std::vector<std::int32_t> v;
  while (!q.isEmpty()) v.push_back(q.takeFirst());
  return v;
}
}  // namespace

TEST(DocBufferTest, AddAndMoveTable) {
  struct Step {
    enum { add, move } op;
    std::int32_t value;  // id, or the maximum for a move
    std::uint8_t kind;
    Counters after;
    std::vector<std::int32_t> moved;  // target contents after a move
  };
  struct Case {
    const char* name;
    std::vector<std::int32_t> targetHolds;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"fresh", {}, {}},
      {"new then changed",
       {},
       {{Step::add, 42, newDocument, {1, 0, 1}, {}},
        {Step::add, 42, changedDocument, {1, 1, 2}, {}}}},
      {"other kinds count in neither total",
       {},
       {{Step::add, 5, 2, {0, 0, 1}, {}}, {Step::add, 6, 0xFF, {0, 0, 2}, {}}}},
      {"move all keeps totals",
       {},
       {{Step::add, 1, newDocument, {1, 0, 1}, {}},
        {Step::add, 2, changedDocument, {1, 1, 2}, {}},
        {Step::move, 10, 0, {1, 1, 0}, {1, 2}}}},
      {"zero or negative maximum moves nothing",
       {5},
       {{Step::add, 1, newDocument, {1, 0, 1}, {}},
        {Step::move, 0, 0, {1, 0, 1}, {5}},
        {Step::move, -3, 0, {1, 0, 1}, {5}}}},
      {"7 8 9 moved by 2 behind 5",
       {5},
       {{Step::add, 7, newDocument, {1, 0, 1}, {}},
        {Step::add, 8, newDocument, {2, 0, 2}, {}},
        {Step::add, 9, newDocument, {3, 0, 3}, {}},
        {Step::move, 2, 0, {3, 0, 1}, {5, 7, 8}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QelDocBuffer buffer;
    EXPECT_EQ(counters(buffer), (Counters{0, 0, 0}));
    for (const Step& s : c.steps) {
      if (s.op == Step::add) {
        buffer.addDocument(s.value, static_cast<DocKind>(s.kind));
      } else {
        QelDocQueue target;
        for (auto id : c.targetHolds) target.add(id);
        buffer.moveDocuments(target, s.value);
        EXPECT_EQ(drain(target), s.moved);
      }
      EXPECT_EQ(counters(buffer), s.after);
    }
  }
}

TEST(DocBufferTest, ReturnedBatchGoesBackToTheFrontUncounted) {
  QelDocBuffer buffer;
  for (std::int32_t id : {1, 2, 3, 4}) buffer.addDocument(id, newDocument);
  QelDocQueue batch;
  buffer.moveDocuments(batch, 2);
  buffer.addDocument(5, changedDocument);
  buffer.returnDocuments(batch);
  EXPECT_TRUE(batch.isEmpty());
  EXPECT_EQ(counters(buffer), (Counters{4, 1, 5}));
  QelDocQueue all;
  buffer.moveDocuments(all, 100);
  EXPECT_EQ(drain(all), (std::vector<std::int32_t>{1, 2, 3, 4, 5}));
}

TEST(DocBufferTest, ConcurrentAddersAndOneMoverLoseNothing) {
  QelDocBuffer buffer;
  constexpr int kThreads = 4, kPerThread = 20000;
  std::atomic<int> done{0};
  std::vector<std::thread> adders;
  for (int t = 0; t < kThreads; ++t) {
    adders.emplace_back([&, t] {
      for (int i = 0; i < kPerThread; ++i) buffer.addDocument(t * kPerThread + i, newDocument);
      ++done;
    });
  }
  std::vector<std::int32_t> moved;
  for (;;) {
    bool finished = done.load() == kThreads;
    QelDocQueue batch;
    buffer.moveDocuments(batch, 997);
    auto part = drain(batch);
    moved.insert(moved.end(), part.begin(), part.end());
    if (finished && part.empty()) break;
  }
  for (auto& a : adders) a.join();
  ASSERT_EQ(moved.size(), static_cast<std::size_t>(kThreads * kPerThread));
  std::vector<std::int32_t> last(kThreads, -1);
  for (std::int32_t id : moved) {
    int t = id / kPerThread;
    EXPECT_GT(id, last[t]) << "out of order for thread " << t;
    last[t] = id;
  }
  Counters c = counters(buffer);
  EXPECT_EQ(c.newCount, static_cast<std::uint32_t>(kThreads * kPerThread));
  EXPECT_EQ(c.queued, 0u);
}

TEST(DocBufferTest, AddingABurstCountsAsAddingEachId) {
  QelDocBuffer buffer;
  const std::int32_t ids[] = {4, 5, 6, 4};
  const DocKind kinds[] = {newDocument, changedDocument, otherDocument, newDocument};
  buffer.addDocument(3, changedDocument);
  buffer.addDocuments(ids, kinds, 4);
  EXPECT_EQ(counters(buffer), (Counters{2, 2, 5}));
  QelDocQueue all;
  buffer.moveDocuments(all, 10);
  EXPECT_EQ(drain(all), (std::vector<std::int32_t>{3, 4, 5, 6, 4}));
}
