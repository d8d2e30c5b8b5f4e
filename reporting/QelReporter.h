// QelReporter: prints the statistics table, a row every reportInterval
// seconds, with the rate alarm. Runs on a thread of its own, started by the
// constructor; owned by the driver. Only its own thread touches its
// statistics after construction.
#pragma once

#include <cstdint>

#include "kernel/QelBuffer.h"
#include "kernel/QelString.h"

class QelConfiguration;
class QelDocBuffer;

// The two header lines of the table, 74 characters each.
inline constexpr const char* kReportHeader1 =
    "         ----------- Collector -------------  - Text Search Engine Index -";
inline constexpr const char* kReportHeader2 =
    "    time      new  newrate  changed   queued  A  primary secondry scheduld";
// The columns of a row after the time of day.
inline constexpr const char* kReportRowFormat = " %8lu %8.3f %8lu %8lu  %1s %8lu %8lu %8lu";

class QelReporter {
 public:
  // Stores the three (the index name as a copy) and starts the thread.
  // Throws IException when the thread cannot be started.
  QelReporter(QelDocBuffer* docBuffer, const QelString& indexName,
              const QelConfiguration* configuration);
  virtual ~QelReporter();

  QelReporter(const QelReporter&) = delete;
  QelReporter& operator=(const QelReporter&) = delete;

  // The thread routine.
  int run();
  static int entry(QelReporter* self) { return self->run(); }

 private:
  // Constant after construction.
  const QelConfiguration* const configuration;  // not owned
  QelDocBuffer* const docBuffer;                // not owned
  const QelString indexName;
  // Written and read by the reporter's thread only.
  QelBuffer lineBuffer;
  std::uint32_t queued = 0;
  std::uint32_t newCount = 0;
  std::uint32_t changedCount = 0;
  float newRate = 0.0f;
};

// New documents per second: the difference of the totals modulo 2^32, read
// as a signed 32-bit number, over `interval`, rounded to a 32-bit float.
float qelNewRate(std::uint32_t newTotal, std::uint32_t previousTotal, std::int32_t interval);
