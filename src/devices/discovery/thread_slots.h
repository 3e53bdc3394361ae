#pragma once
// The main window's background threads: 20 numbered slots, each with its own
// manual-reset stop event. Every worker waits on its stop event in every
// blocking wait, so stopping never needs to kill a thread.
#include <array>
#include <functional>
#include <memory>
#include <thread>

#include "platform/event.h"

namespace kavro::devices {

constexpr size_t kThreadSlotCount = 20;
constexpr size_t kSlotDiscovery = 0;
constexpr size_t kSlotUpdate = 2;
constexpr size_t kSlotLight = 8;
constexpr int kThreadStopWaitMs = 1000;

class ThreadSlots {
 public:
  ThreadSlots();
  ~ThreadSlots();
  ThreadSlots(const ThreadSlots&) = delete;
  ThreadSlots& operator=(const ThreadSlots&) = delete;

  Event& stopEvent(size_t slot) { return *slots_[slot].stop; }
  // Starts body(stopEvent) in the slot. False when the slot is busy or out of range.
  bool start(size_t slot, std::function<void(Event&)> body);
  bool running(size_t slot) const;

  // Sets every stop event, then waits for each slot in order for up to 1000 ms,
  // writing one debug line per slot. A thread that has not ended in time is
  // still joined (it is bound to notice its stop event), never killed.
  void stopAll();

 private:
  struct Slot {
    std::unique_ptr<Event> stop;
    std::unique_ptr<Event> done;  // set by the thread as it ends
    std::thread thread;
  };
  std::array<Slot, kThreadSlotCount> slots_;
};

}  // namespace kavro::devices
