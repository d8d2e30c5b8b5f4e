// QelExcSchedulerLibServName: the index belongs to another library service
// than the indexer's. Fatal, id 2002; its text is catalog message 2.
#pragma once

#include "common/QelIndexerExceptions.h"

class QelExcSchedulerLibServName : public QelExcIndexerFatal {
 public:
  QelExcSchedulerLibServName(const QelString& indexName, const QelString& found,
                             const QelString& expected);
  ~QelExcSchedulerLibServName() override;
};
