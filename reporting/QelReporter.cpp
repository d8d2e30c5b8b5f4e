// QelReporter: the statistics table.
#include "reporting/QelReporter.h"

#include <cstdio>
#include <ctime>
#include <string>

#include "common/QelConsole.h"
#include "common/QelIndexerGlobals.h"
#include "common/QelStopFlags.h"
#include "common/QelThread.h"
#include "intake/QelDocBuffer.h"
#include "kernel/QelConfiguration.h"
#include "kernel/QelOsSleep.h"
#include "kernel/QelTextSearchIndexHandle.h"

float qelNewRate(std::uint32_t newTotal, std::uint32_t previousTotal, std::int32_t interval) {
  auto difference = static_cast<std::int32_t>(newTotal - previousTotal);
  return static_cast<float>(static_cast<double>(difference) / static_cast<double>(interval));
}

QelReporter::QelReporter(QelDocBuffer* buffer, const QelString& index,
                         const QelConfiguration* config)
    : configuration(config), docBuffer(buffer), indexName(index), lineBuffer(100) {
  qelStartThread(&QelReporter::entry, this);
}

QelReporter::~QelReporter() = default;

int QelReporter::run() {
  return qelWorkerFrame("unknown exception in QelReporter", [this] {
    const float threshold = configuration->reportRateThreshold();
    const std::int32_t alarmCount = configuration->reportAlarmCount();
    const std::int32_t interval = configuration->reportInterval();
    std::uint32_t previousNew = 0;
    float previousRate = 0.0f;
    std::int32_t rowNumber = 0;
    std::int32_t alarmRowsLeft = 0;
    const QelString header1(kReportHeader1);
    const QelString header2(kReportHeader2);
    QelTextSearchSession session;

    while (stopFlag().load() == 0) {
      if (rowNumber % 6 == 0) {
        consolePrint(header1);
        consolePrint(header2);
      }
      docBuffer->retrieveCounters(newCount, changedCount, queued);
      newRate = qelNewRate(newCount, previousNew, interval);
      {
        QelLockGuard guard(*QelIndexerGlobals::indexLock());
        QelTextSearchIndexHandle handle(session, indexName);
        const QelIndexStatus* status = handle.retrieveStatus();

        std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char time[32];
        std::size_t timeLength = std::strftime(time, sizeof time, "%X", &local);
        std::string row(time, timeLength);

        std::snprintf(reinterpret_cast<char*>(lineBuffer.data()),
                      static_cast<std::size_t>(lineBuffer.length()), kReportRowFormat,
                      static_cast<unsigned long>(newCount), static_cast<double>(newRate),
                      static_cast<unsigned long>(changedCount), static_cast<unsigned long>(queued),
                      status->available != 0 ? "Y" : "N",
                      static_cast<unsigned long>(status->primaryCount),
                      static_cast<unsigned long>(status->secondaryCount),
                      static_cast<unsigned long>(status->scheduledCount));
        row += reinterpret_cast<const char*>(lineBuffer.data());

        if (previousRate >= threshold && newRate < threshold) alarmRowsLeft = alarmCount;
        if (alarmRowsLeft > 0) {
          --alarmRowsLeft;
          row += "\a\a\a";
        }
        consolePrint(QelString(row));
      }
      osSleepSeconds(interval);
      previousNew = newCount;
      previousRate = newRate;
      ++rowNumber;
    }
    return 0;
  });
}
