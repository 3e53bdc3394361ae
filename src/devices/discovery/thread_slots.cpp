#include "devices/discovery/thread_slots.h"

#include "platform/debug.h"

namespace kavro::devices {

ThreadSlots::ThreadSlots() {
  for (auto& s : slots_) {
    s.stop = std::make_unique<Event>(Event::Reset::Manual);
    s.done = std::make_unique<Event>(Event::Reset::Manual);
  }
}

ThreadSlots::~ThreadSlots() {
  for (auto& s : slots_) {
    s.stop->set();
    if (s.thread.joinable()) s.thread.join();
  }
}

bool ThreadSlots::start(size_t slot, std::function<void(Event&)> body) {
  if (slot >= kThreadSlotCount || slots_[slot].thread.joinable()) return false;
  Slot& s = slots_[slot];
  s.done->reset();
  s.thread = std::thread([&s, body = std::move(body)] {
    body(*s.stop);
    s.done->set();
  });
  return true;
}

bool ThreadSlots::running(size_t slot) const {
  return slot < kThreadSlotCount && slots_[slot].thread.joinable() && !slots_[slot].done->isSet();
}

void ThreadSlots::stopAll() {
  for (auto& s : slots_) s.stop->set();
  for (size_t i = 0; i < kThreadSlotCount; ++i) {
    Slot& s = slots_[i];
    if (!s.thread.joinable()) {
      dbg::printf("错误\n%zu\n", i);
      continue;
    }
    if (s.done->wait(kThreadStopWaitMs)) {
      dbg::write("所有对象处于激发状态\n");
    } else {
      dbg::write("所有对象处于非激发状态，超时\n");
    }
    s.thread.join();
  }
}

}  // namespace kavro::devices
