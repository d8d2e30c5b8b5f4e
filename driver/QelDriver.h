// The process driver: the indexer's start-up, wait and teardown on the main
// thread. It owns everything that lives for the run.
#pragma once

// The whole run; returns the process's exit status.
int qelIndexerMain(int argc, char** argv);

// Longest wait for worker threads to end before the teardown; workers
// still running after it keep everything they may use until the process ends.
inline constexpr long kWorkerEndWaitSeconds = 30;
