// QelExcSchedulerLibServName.
#include "indexing/QelExcSchedulerLibServName.h"

#include "common/QelIndexerGlobals.h"

QelExcSchedulerLibServName::QelExcSchedulerLibServName(const QelString& indexName,
                                                       const QelString& found,
                                                       const QelString& expected)
    : QelExcIndexerFatal(2) {
  if (const QelIndexerCatalog* catalog = QelIndexerGlobals::catalog()) {
    addText(catalog->getMsg(msgLibServName, indexName, found, expected));
  } else {
    addText(QelString("index " + indexName.str() + " belongs to library service " + found.str() +
                      ", not " + expected.str()));
  }
}

QelExcSchedulerLibServName::~QelExcSchedulerLibServName() = default;
