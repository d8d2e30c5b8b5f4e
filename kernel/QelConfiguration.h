// QelConfiguration: the indexer's settings for one webspace, read from a
// configuration file in the home directory. Read once on the main thread,
// const afterwards: any thread may read it.
#pragma once

#include <cstdint>

#include "kernel/QelIniFile.h"
#include "kernel/QelString.h"

class QelConfiguration {
 public:
  // Reads `fileName` from the home directory and the section named
  // `webspace`; `constrSpec` 1 checks every value at once. Throws
  // QelExcFatal naming the file, the section and the key of the first value
  // that is missing or refused. reportInterval must be 1 or more.
  QelConfiguration(const QelString& fileName, int constrSpec, const QelString& webspace);
  virtual ~QelConfiguration() = default;

  QelConfiguration(const QelConfiguration&) = delete;
  QelConfiguration& operator=(const QelConfiguration&) = delete;

  // The text-search index that serves `webspace` (its key indexName).
  // Throws as the constructor does.
  QelString webspaceToIndex(const QelString& webspace) const;

  std::int32_t reportInterval() const { return reportInterval_; }
  float reportRateThreshold() const { return reportRateThreshold_; }
  std::int32_t reportAlarmCount() const { return reportAlarmCount_; }
  std::int32_t schedulerInterval() const { return schedulerInterval_; }
  std::int32_t schedulerBatchSize() const { return schedulerBatchSize_; }

 private:
  QelIniFile file_;
  // Constant after construction.
  std::int32_t reportInterval_;
  float reportRateThreshold_;
  std::int32_t reportAlarmCount_;
  std::int32_t schedulerInterval_;
  std::int32_t schedulerBatchSize_;
};
