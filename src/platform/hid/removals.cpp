#include "platform/hid/removals.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace kavro::hid {

namespace {
std::mutex g_mutex;
std::vector<RemovalQueue*>& queues() {
  static std::vector<RemovalQueue*> q;
  return q;
}
std::vector<Event*>& listeners() {
  static std::vector<Event*> l;
  return l;
}
}  // namespace

void noteRemoval(const Removal& removal) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (RemovalQueue* q : queues()) {
    auto& p = q->pending_;
    if (p.size() >= kMaxPendingRemovals) p.erase(p.begin());
    p.push_back(removal);
  }
  for (Event* e : listeners()) e->set();
}

void addRemovalListener(Event* e) {
  std::lock_guard<std::mutex> lock(g_mutex);
  listeners().push_back(e);
}

void removeRemovalListener(Event* e) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& l = listeners();
  l.erase(std::remove(l.begin(), l.end(), e), l.end());
}

RemovalQueue::RemovalQueue() {
  std::lock_guard<std::mutex> lock(g_mutex);
  queues().push_back(this);
}

RemovalQueue::~RemovalQueue() {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto& q = queues();
  q.erase(std::remove(q.begin(), q.end(), this), q.end());
}

std::vector<Removal> RemovalQueue::take() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return std::exchange(pending_, {});
}

}  // namespace kavro::hid
