// The process-wide stop flags.
#include "common/QelStopFlags.h"

namespace {
std::atomic<std::int32_t> useTermEventFlag{0};
std::atomic<std::int32_t> stopRequestFlag{0};
std::atomic<std::int32_t> stopFlagWord{0};
static_assert(std::atomic<std::int32_t>::is_always_lock_free);
}  // namespace

std::atomic<std::int32_t>& useTermEvent() { return useTermEventFlag; }
std::atomic<std::int32_t>& stopRequest() { return stopRequestFlag; }
std::atomic<std::int32_t>& stopFlag() { return stopFlagWord; }

void resetStopFlagsForTesting() {
  useTermEventFlag = 0;
  stopRequestFlag = 0;
  stopFlagWord = 0;
}
