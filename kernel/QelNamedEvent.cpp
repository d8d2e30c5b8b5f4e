// QelNamedEvent on POSIX named semaphores.
#include "kernel/QelNamedEvent.h"

#include <cerrno>

#include <fcntl.h>
#include <semaphore.h>

#include "kernel/QelException.h"

std::string qelEventSemaphoreName(const std::string& name) { return "/" + name; }

std::unique_ptr<QelNamedEvent> QelNamedEvent::open(const std::string& name) {
  sem_t* s = ::sem_open(qelEventSemaphoreName(name).c_str(), 0);
  if (s == SEM_FAILED) return nullptr;
  return std::unique_ptr<QelNamedEvent>(new QelNamedEvent(s));
}

void QelNamedEvent::create(const std::string& name) {
  sem_t* s = ::sem_open(qelEventSemaphoreName(name).c_str(), O_CREAT, 0666, 0);
  if (s == SEM_FAILED)
    throw QelExcFatal("Event", kErrNamedEvent, systemError("sem_open", errno) + " (" + name + ")");
  ::sem_close(s);
}

void QelNamedEvent::set(const std::string& name) {
  sem_t* s = ::sem_open(qelEventSemaphoreName(name).c_str(), 0);
  if (s == SEM_FAILED)
    throw QelExcFatal("Event", kErrNamedEvent, systemError("sem_open", errno) + " (" + name + ")");
  int rc = ::sem_post(s);
  int err = errno;
  ::sem_close(s);
  if (rc != 0)
    throw QelExcFatal("Event", kErrNamedEvent, systemError("sem_post", err) + " (" + name + ")");
}

void QelNamedEvent::remove(const std::string& name) {
  if (::sem_unlink(qelEventSemaphoreName(name).c_str()) != 0)
    throw QelExcFatal("Event", kErrNamedEvent,
                      systemError("sem_unlink", errno) + " (" + name + ")");
}

QelNamedEvent::~QelNamedEvent() { ::sem_close(static_cast<sem_t*>(semaphore_)); }

bool QelNamedEvent::wait() {
  for (;;) {
    if (::sem_wait(static_cast<sem_t*>(semaphore_)) == 0) return true;
    if (errno != EINTR) return false;
  }
}
