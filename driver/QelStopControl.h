// Stop control: the ways a stop is asked for (the console interrupt, the
// service stop signal, the named termination event) and the stop routine
// they all end in. The scheduler alone turns the stop request into the stop
// flag.
#pragma once

class QelNamedEvent;

// Name of the termination event that another process of the system sets.
inline constexpr const char* kTermEventName = "qel_tavo_qel_run_term_event";
inline constexpr const char* kTermEventOption = "--UseQELTavoTermEvent";

// When the first argument is the option, takes it out of the arguments, and
// if the event can be opened and its watcher started, ignores the console
// interrupt from then on and returns true. Called before any other thread
// of the indexer exists.
bool setUpTermEvent(int& argc, char** argv);

// Starts the thread that takes the stop signals: the console interrupt
// calls onInterrupt unless the termination event is watched; the service
// stop signal calls requestStop in both modes. Throws IException naming the
// failed call.
void startStopSignalThread();

// What the console interrupt does: asks for a stop.
void onInterrupt(int signalNumber);

// The watcher thread's routine: waits for the event, prints "event
// received", asks for a stop and ends.
void watchTermEvent(QelNamedEvent* event);

// Sets the stop request and prints message 3 (a fixed line while the
// catalog does not exist). Callable from any thread, any number of times.
void requestStop();
