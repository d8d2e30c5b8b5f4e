// The process driver: the indexer's start-up, wait and teardown on the main
// thread. It owns everything that lives for the run.
#pragma once

#include "kernel/QelString.h"

// What the command line asks for, once the termination-event option is out.
enum class QelCommandLine { serve, usage };

// No argument serves "qelwebs"; one argument that does not begin with "-h"
// is the webspace name as it stands; "-h..." or two or more arguments ask
// for the usage message.
QelCommandLine qelReadCommandLine(int argc, char** argv, QelString& webspaceName);

// The whole run; returns the process's exit status.
int qelIndexerMain(int argc, char** argv);

// Longest wait for worker threads to end before the teardown; workers
// still running after it keep everything they may use until the process ends.
inline constexpr long kWorkerEndWaitSeconds = 30;
