// QelWebspace: the webspace's listening port.
#include "kernel/QelWebspace.h"

#include "kernel/QelHome.h"
#include "kernel/QelIniFile.h"

QelWebspace::QelWebspace(const QelString& name, const QelString& product)
    : name_(name),
      indexerPort_(QelIniFile(qelHomePath(product.str() + ".ini"))
                       .int32InRange(name.str(), "indexerPort", 1, 65535)) {}
