#pragma once
// Removals of HID interfaces as they are noticed: the hotplug monitor's
// remove events, simulated interfaces withdrawn, and transfers that found
// their interface gone. Discovery takes them before it looks at the present
// interfaces, so an interface that comes back under the same path before the
// next look is still seen to go and come again.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/event.h"

namespace kavro::hid {

// One interface that went away: its base ("/dev/hidraw3", "sim:<name>"), and
// which plug-in of it went (0 when not known: whichever is there).
struct Removal {
  std::string base;
  uint64_t instance = 0;
};

// Hands the removal to every open RemovalQueue and sets every listener.
void noteRemoval(const Removal& removal);

// Events set whenever a removal is noted.
void addRemovalListener(Event* e);
void removeRemovalListener(Event* e);

// Collects the removals noted from its construction on.
class RemovalQueue {
 public:
  RemovalQueue();
  ~RemovalQueue();
  RemovalQueue(const RemovalQueue&) = delete;
  RemovalQueue& operator=(const RemovalQueue&) = delete;

  // The removals noted since the last call, oldest first.
  std::vector<Removal> take();

 private:
  friend void noteRemoval(const Removal& removal);
  std::vector<Removal> pending_;  // guarded by the registry's mutex
};

// Bounds the removals a queue keeps while nobody takes them; the oldest go.
constexpr size_t kMaxPendingRemovals = 256;

}  // namespace kavro::hid
