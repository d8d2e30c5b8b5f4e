// QelNamedEvent: a named event that one process sets and another waits for,
// made of a POSIX named semaphore. The indexer only opens and waits; the
// tool qelevent creates, sets and removes.
#pragma once

#include <memory>
#include <string>

class QelNamedEvent {
 public:
  // Opens an existing event; null when it does not exist or may not be
  // opened. Never creates it.
  static std::unique_ptr<QelNamedEvent> open(const std::string& name);
  // Each throws QelExcFatal (kErrNamedEvent) naming the call and the reason.
  static void create(const std::string& name);  // no error if it exists
  static void set(const std::string& name);     // the event must exist
  static void remove(const std::string& name);

  ~QelNamedEvent();
  QelNamedEvent(const QelNamedEvent&) = delete;
  QelNamedEvent& operator=(const QelNamedEvent&) = delete;

  // Waits without a time limit until the event is set; a broken wait is
  // taken up again. Returns false only if the wait fails for good.
  bool wait();

 private:
  explicit QelNamedEvent(void* semaphore) : semaphore_(semaphore) {}
  void* semaphore_;
};

// The system's semaphore name for an event name: "/" + name.
std::string qelEventSemaphoreName(const std::string& name);
