// The record scanner reads exactly what sscanf with "%15s %012d %1d %1d"
// reads, refuses incomplete records and ids beyond 32 bits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "intake/QelRecordParser.h"

namespace {

struct Parsed {
  bool ok;
  QelRecord r;
};

Parsed parse(const std::string& text) {
  unsigned char rec[kRecordSize];
  std::memset(rec, ' ', sizeof rec);
  std::memcpy(rec, text.data(), std::min(text.size(), sizeof rec));
  Parsed p{};
  p.ok = qelParseRecord(rec, p.r);
  return p;
}

// What the C library reads: all four fields and an id of 32 bits, or nothing.
Parsed oracle(const unsigned char (&rec)[kRecordSize]) {
  char text[kRecordSize + 1];
  std::memcpy(text, rec, kRecordSize);
  text[kRecordSize] = 0;
  char label[100];
  long long id = 0;
  int kind = 0, ack = 0;
  Parsed p{};
  p.ok = std::sscanf(text, "%15s %012lld %1d %1d", label, &id, &kind, &ack) == 4 &&
         id >= INT32_MIN && id <= INT32_MAX;
  if (p.ok) {
    int narrow = 0, k2 = 0, a2 = 0;
    // The format as the collector protocol writes it reads the same id.
    EXPECT_EQ(std::sscanf(text, "%15s %012d %1d %1d", label, &narrow, &k2, &a2), 4);
    EXPECT_EQ(narrow, id);
    p.r = QelRecord{static_cast<std::int32_t>(id), kind, ack};
  }
  return p;
}

}  // namespace

TEST(RecordParserTest, Table) {
  struct Case {
    const char* text;
    bool ok;
    std::int32_t id, kind, ack;
  };
  const Case cases[] = {
      {"ABCDEFGHIJKLMNO 000000000042 3 1", true, 42, 3, 1},
      {"ABCDEFGHIJKLMNO 000000000042 4 0", true, 42, 4, 0},
      {"ABCDEFGHIJKLMNO\r000000000042\n3\r1", true, 42, 3, 1},
      {"\nlabel          -00000000007 3 0", true, -7, 3, 0},
      {"x +2147483647 7 9", true, 2147483647, 7, 9},
      {"x -2147483648 3 0", true, INT32_MIN, 3, 0},
      {"x 2147483648 3 0", false, 0, 0, 0},       // beyond 32 bits
      {"x 999999999999 3 0", false, 0, 0, 0},
      {"x 42 3", false, 0, 0, 0},                 // acknowledgement missing
      {"x 42", false, 0, 0, 0},
      {"", false, 0, 0, 0},
      {"x abc 3 1", false, 0, 0, 0},              // id not a number
      {"x 42 a 1", false, 0, 0, 0},               // kind not a digit
      {"x 42 3 -", false, 0, 0, 0},               // acknowledgement not a digit
      {"x 42 +3 1", false, 0, 0, 0},              // a sign fills the kind's one place
      {"123456789012345678 3 1", true, 678, 3, 1},  // a long label runs into the id
      {"x 0000000000001234 1", true, 0, 1, 2},    // the id stops at 12 places
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Parsed p = parse(c.text);
    EXPECT_EQ(p.ok, c.ok);
    if (c.ok && p.ok) {
      EXPECT_EQ(p.r.docId, c.id);
      EXPECT_EQ(p.r.docKind, c.kind);
      EXPECT_EQ(p.r.ackRequest, c.ack);
    }
  }
}

TEST(RecordParserTest, ZeroByteEndsTheText) {
  unsigned char rec[kRecordSize];
  std::memcpy(rec, "x 42 3 1                        ", kRecordSize);
  rec[5] = 0;  // "x 42 " then the end
  QelRecord r;
  EXPECT_FALSE(qelParseRecord(rec, r));
}

TEST(RecordParserTest, AgreesWithTheCLibraryOnGeneratedRecords) {
  std::mt19937 rng(20261211);
  const std::string alphabet = "0123456789 +-\r\n\t\vxQ\x01\x80\xff";
  auto pick = [&](const std::string& from) { return from[rng() % from.size()]; };
  int valid = 0;
  for (int n = 0; n < 200000; ++n) {
    unsigned char rec[kRecordSize];
    if (n % 2 == 0) {
      // Noise over a small alphabet of the characters that matter.
      for (auto& c : rec) c = static_cast<unsigned char>(pick(alphabet));
    } else {
      // A well-formed record with a few bytes changed.
      char text[40];
      std::snprintf(text, sizeof text, "%-15.15s %012d %1d %1d", "collector",
                    static_cast<int>(rng()), static_cast<int>(rng() % 10),
                    static_cast<int>(rng() % 10));
      std::memcpy(rec, text, kRecordSize);
      for (unsigned k = rng() % 4; k > 0; --k) {
        rec[rng() % kRecordSize] = static_cast<unsigned char>(n % 3 ? pick(alphabet) : rng() % 256);
      }
    }
    Parsed expected = oracle(rec);
    QelRecord got;
    bool ok = qelParseRecord(rec, got);
    ASSERT_EQ(ok, expected.ok) << "record \"" << std::string(rec, rec + kRecordSize) << "\"";
    if (ok) {
      ++valid;
      ASSERT_EQ(got.docId, expected.r.docId);
      ASSERT_EQ(got.docKind, expected.r.docKind);
      ASSERT_EQ(got.ackRequest, expected.r.ackRequest);
    }
  }
  EXPECT_GT(valid, 20000);  // both kinds of record were well covered
}
