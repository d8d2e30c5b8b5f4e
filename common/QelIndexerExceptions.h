// The indexer's own exception bases: component "Indexer", error id 2000 + n.
#pragma once

#include "kernel/QelException.h"

class QelExcIndexerFatal : public QelExcFatal {
 public:
  explicit QelExcIndexerFatal(unsigned long n);
  ~QelExcIndexerFatal() override;
};

class QelExcIndexerNonFatal : public QelExcNonFatal {
 public:
  explicit QelExcIndexerNonFatal(unsigned long n);
  ~QelExcIndexerNonFatal() override;
};
