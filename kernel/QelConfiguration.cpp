// QelConfiguration: values of one webspace's section.
#include "kernel/QelConfiguration.h"

#include "kernel/QelHome.h"

QelConfiguration::QelConfiguration(const QelString& fileName, int /*constrSpec*/,
                                   const QelString& webspace)
    : file_(qelHomePath(fileName.str())),
      reportInterval_(file_.int32InRange(webspace.str(), "reportInterval", 1, INT32_MAX)),
      reportRateThreshold_(file_.real(webspace.str(), "reportRateThreshold")),
      reportAlarmCount_(file_.int32(webspace.str(), "reportAlarmCount")),
      schedulerInterval_(file_.int32(webspace.str(), "schedulerInterval")),
      schedulerBatchSize_(file_.int32(webspace.str(), "schedulerBatchSize")) {}

QelString QelConfiguration::webspaceToIndex(const QelString& webspace) const {
  return QelString(file_.text(webspace.str(), "indexName"));
}
