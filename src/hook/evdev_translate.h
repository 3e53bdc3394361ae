#pragma once
// Turns kernel input events (evdev) into the hook's key and mouse records.
// Pure: the reader feeds it what it reads from /dev/input/event*.
#include <cstdint>
#include <optional>
#include <variant>

#include "hook/hook_records.h"

namespace kavro::hook {

// The parts of a kernel input event the translation needs.
struct EvdevEvent {
  std::uint16_t type = 0;
  std::uint16_t code = 0;
  std::int32_t value = 0;
  std::uint32_t timeMs = 0;
};

// Values of a key event.
inline constexpr std::int32_t kEvdevRelease = 0;
inline constexpr std::int32_t kEvdevPress = 1;
inline constexpr std::int32_t kEvdevRepeat = 2;

// A key event becomes a key record (an auto-repeat is reported as another
// press, as the keyboard sends it); a mouse button event a mouse record
// without a position (the caller knows where the cursor is). Everything
// else, and keys of buttons the recorder has no row for, gives nothing.
using CapturedInput = std::variant<std::monostate, KeyInput, MouseInput>;
CapturedInput translateEvdevEvent(const EvdevEvent& event);

// Follows one device's stream: after the kernel reports dropped events
// (SYN_DROPPED) everything up to the next report boundary is skipped, since
// it describes an incomplete state.
class EvdevStream {
 public:
  CapturedInput feed(const EvdevEvent& event);

 private:
  bool skipping_ = false;
};

}  // namespace kavro::hook
