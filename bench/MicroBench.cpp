// Per-record costs of intake: the record scanner against sscanf, and one
// addition to the document buffer (lock, queue, count).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "intake/QelDocBuffer.h"
#include "intake/QelRecordParser.h"

namespace {
const unsigned char kRecord[kRecordSize + 1] = "qelcollect      000000004242 3 1";

void BM_ParseRecord(benchmark::State& state) {
  unsigned char rec[kRecordSize];
  std::memcpy(rec, kRecord, kRecordSize);
  QelRecord r;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qelParseRecord(rec, r));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ParseRecord);

void BM_Sscanf(benchmark::State& state) {
  char text[kRecordSize + 1];
  std::memcpy(text, kRecord, sizeof text);
  char label[100];
  int id, kind, ack;
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::sscanf(text, "%15s %012d %1d %1d", label, &id, &kind, &ack));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Sscanf);

void BM_AddDocument(benchmark::State& state) {
  QelDocBuffer buffer;
  std::int32_t id = 0;
  for (auto _ : state) buffer.addDocument(id++, newDocument);
}
BENCHMARK(BM_AddDocument);
}  // namespace

BENCHMARK_MAIN();
