// QelDocQueue: document ids, oldest first, stored compactly (about 4 bytes
// per id in blocks). Not synchronized: its owner guards it.
#pragma once

#include <cstdint>
#include <deque>

class QelDocQueue {
 public:
  using const_iterator = std::deque<std::int32_t>::const_iterator;

  QelDocQueue() = default;
  QelDocQueue(const QelDocQueue&) = delete;
  QelDocQueue& operator=(const QelDocQueue&) = delete;

  // Appends an id at the end.
  void add(std::int32_t docId) { ids_.push_back(docId); }
  // Removes and returns the oldest id; the queue must not be empty.
  std::int32_t takeFirst() {
    std::int32_t id = ids_.front();
    ids_.pop_front();
    return id;
  }
  bool isEmpty() const { return ids_.empty(); }
  unsigned long numberOfElements() const { return ids_.size(); }

  // Moves every id of `front` to the front of this queue, in their order;
  // `front` is empty afterwards.
  void prependAll(QelDocQueue& front);

  const_iterator begin() const { return ids_.begin(); }
  const_iterator end() const { return ids_.end(); }

 private:
  std::deque<std::int32_t> ids_;
};
