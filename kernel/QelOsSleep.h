// osSleepSeconds: the operating-system services' sleep in whole seconds. It
// can be replaced by a fake in tests, before any thread that sleeps starts.
#pragma once

#include <functional>

// Sleeps about `seconds` seconds; 0 or less returns at once.
void osSleepSeconds(long seconds);

using QelSleepFunction = std::function<void(long)>;
// Replaces the sleep (an empty function puts the real one back). Tests only;
// not thread-safe against running sleepers.
void setSleepFunctionForTesting(QelSleepFunction f);
