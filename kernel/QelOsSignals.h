// The stop signals of the operating system: the console interrupt (SIGINT)
// and the service stop (SIGTERM). They are blocked in every thread and taken
// by one thread that waits for them, so that no code runs inside an
// asynchronous signal handler.
#pragma once

enum class QelStopSignal { interrupt, terminate };

// Blocks both stop signals in the calling thread and in every thread it
// starts later. Call first thing in main.
void osBlockStopSignals();
// Waits until a stop signal arrives and says which.
QelStopSignal osWaitForStopSignal();
// The console interrupt is ignored from now on.
void osIgnoreInterrupt();
