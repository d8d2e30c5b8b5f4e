// QelTextSearchIndexHandle: forwards to the installed engine.
#include "kernel/QelTextSearchIndexHandle.h"

QelTextSearchIndexHandle::QelTextSearchIndexHandle(QelTextSearchSession& /*session*/,
                                                   const QelString& indexName)
    : name_(indexName) {
  qelTextSearchEngine().openIndex(name_);
}

const QelIndexInfo* QelTextSearchIndexHandle::retrieveInfo() {
  info_ = qelTextSearchEngine().retrieveInfo(name_);
  return &info_;
}

const QelIndexStatus* QelTextSearchIndexHandle::retrieveStatus() {
  status_ = qelTextSearchEngine().retrieveStatus(name_);
  return &status_;
}

void QelTextSearchIndexHandle::scheduleDocument(QelDocQueue& queue) {
  qelTextSearchEngine().scheduleDocument(name_, queue);
}

void QelTextSearchIndexHandle::update() { qelTextSearchEngine().update(name_); }
