// QelDocQueue: putting a batch back in front.
#include "kernel/QelDocQueue.h"

void QelDocQueue::prependAll(QelDocQueue& front) {
  while (!front.ids_.empty()) {
    ids_.push_front(front.ids_.back());
    front.ids_.pop_back();
  }
}
