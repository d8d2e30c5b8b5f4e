// The indexer's exception bases.
#include "common/QelIndexerExceptions.h"

QelExcIndexerFatal::QelExcIndexerFatal(unsigned long n) : QelExcFatal("Indexer", n + 2000) {}
QelExcIndexerFatal::~QelExcIndexerFatal() = default;

QelExcIndexerNonFatal::QelExcIndexerNonFatal(unsigned long n)
    : QelExcNonFatal("Indexer", n + 2000) {}
QelExcIndexerNonFatal::~QelExcIndexerNonFatal() = default;
