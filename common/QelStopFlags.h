// The three process-wide stop flags. Each is a 32-bit word that goes from 0
// to 1 once and never back, read and written whole without the lock:
//   useTermEvent  written once by the driver at start-up
//   stop request  written by requestStop; read only by the scheduler
//   stop flag     written only by the scheduler; read by every loop
#pragma once

#include <atomic>
#include <cstdint>

std::atomic<std::int32_t>& useTermEvent();
std::atomic<std::int32_t>& stopRequest();
std::atomic<std::int32_t>& stopFlag();

// Puts all three back to 0. Tests only, while no worker runs.
void resetStopFlagsForTesting();
