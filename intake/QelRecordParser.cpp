// Scanner of the collector record.
#include "intake/QelRecordParser.h"

namespace {

inline bool isBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
inline bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A decimal of at most `width` characters after blanks, with an optional sign.
inline bool readNumber(const unsigned char* p, std::size_t end, std::size_t& i, int width,
                       std::int64_t& value) {
  while (i < end && isBlank(p[i])) ++i;
  if (i >= end) return false;
  bool negative = false;
  if (p[i] == '+' || p[i] == '-') {
    negative = p[i] == '-';
    ++i;
    --width;
  }
  int digits = 0;
  std::int64_t v = 0;
  while (width > 0 && i < end && isDigit(p[i])) {
    v = v * 10 + (p[i] - '0');
    ++i;
    --width;
    ++digits;
  }
  if (digits == 0) return false;
  value = negative ? -v : v;
  return true;
}

}  // namespace

bool qelParseRecord(const unsigned char (&record)[kRecordSize], QelRecord& out) {
  const unsigned char* p = record;
  std::size_t end = 0;
  while (end < kRecordSize && p[end] != 0) ++end;  // the text ends at a zero byte
  std::size_t i = 0;
  // "%15s": blanks, then 1 to 15 non-blank characters.
  while (i < end && isBlank(p[i])) ++i;
  if (i >= end) return false;
  for (int w = 0; w < 15 && i < end && !isBlank(p[i]); ++w) ++i;
  // The blanks between fields are skipped by readNumber.
  std::int64_t id, kind, ack;
  if (!readNumber(p, end, i, 12, id)) return false;
  if (!readNumber(p, end, i, 1, kind)) return false;
  if (!readNumber(p, end, i, 1, ack)) return false;
  if (id < INT32_MIN || id > INT32_MAX) return false;
  out.docId = static_cast<std::int32_t>(id);
  out.docKind = static_cast<std::int32_t>(kind);
  out.ackRequest = static_cast<std::int32_t>(ack);
  return true;
}
