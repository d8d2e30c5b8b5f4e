// QelIndexerCatalog: the indexer's message catalog "qelinmsg". Const after
// construction; any thread may read it.
#pragma once

#include "common/QelIndexerMsg.h"
#include "kernel/QelCosCatalog.h"

class QelIndexerCatalog : public QelCosCatalog {
 public:
  explicit QelIndexerCatalog(const QelString& name) : QelCosCatalog(name) {}
  ~QelIndexerCatalog() override = default;

  // The message text with up to three arguments (null where absent).
  QelString getMsg(QelIndexerMsg number, const char* arg1 = nullptr, const char* arg2 = nullptr,
                   const char* arg3 = nullptr) const {
    return QelCosCatalog::getMsg(static_cast<unsigned long>(number), arg1, arg2, arg3);
  }
};
