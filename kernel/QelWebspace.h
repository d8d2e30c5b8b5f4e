// QelWebspace: a webspace of the system and the port on which its indexer
// listens for the collector. Const after construction.
#pragma once

#include <cstdint>

#include "kernel/QelString.h"

class QelWebspace {
 public:
  // Reads the section `name` of "<product>.ini" in the home directory (the
  // product "qel" gives qel.ini). Throws QelExcFatal naming the file, the
  // section and the key when indexerPort is missing or not a port (1 to 65535).
  QelWebspace(const QelString& name, const QelString& product);
  virtual ~QelWebspace() = default;

  QelWebspace(const QelWebspace&) = delete;
  QelWebspace& operator=(const QelWebspace&) = delete;

  const QelString& name() const { return name_; }
  std::int32_t indexerPort() const { return indexerPort_; }

 private:
  QelString name_;
  std::int32_t indexerPort_;
};
