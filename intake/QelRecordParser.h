// The collector record: 32 bytes of text read as "%15s %012d %1d %1d" (a
// label of up to 15 non-blank characters, the document id as a decimal of at
// most 12 characters with an optional sign and leading zeros, the kind digit
// and the acknowledgement digit, separated by white space; carriage returns
// and line feeds count as blanks; a zero byte ends the text). The scanner
// reads exactly what the C library's sscanf reads with that format, without
// its cost.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::size_t kRecordSize = 32;

struct QelRecord {
  std::int32_t docId = 0;
  std::int32_t docKind = 0;     // 3 new, 4 changed
  std::int32_t ackRequest = 0;  // not 0: answer "OK"
};

// Parses one record. False when a field is missing or not a number, or the
// id does not fit a signed 32-bit integer; `out` is then unspecified.
bool qelParseRecord(const unsigned char (&record)[kRecordSize], QelRecord& out);
