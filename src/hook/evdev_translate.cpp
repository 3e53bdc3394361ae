#include "hook/evdev_translate.h"

#include <linux/input-event-codes.h>

namespace kavro::hook {
namespace {

// Keyboard keys lie below the first button code; the media and extra keys
// above the buttons have no row in the key tables and are dropped later.
bool isKeyboardKey(std::uint16_t code) { return code > KEY_RESERVED && code < BTN_MISC; }

std::optional<MouseButton> mouseButtonOf(std::uint16_t code) {
  switch (code) {
    case BTN_LEFT:
      return MouseButton::Left;
    case BTN_RIGHT:
      return MouseButton::Right;
    case BTN_MIDDLE:
      return MouseButton::Middle;
    case BTN_SIDE:
    case BTN_BACK:
      return MouseButton::Back;
    case BTN_EXTRA:
    case BTN_FORWARD:
      return MouseButton::Forward;
    default:
      return std::nullopt;
  }
}

}  // namespace

CapturedInput translateEvdevEvent(const EvdevEvent& e) {
  if (e.type != EV_KEY) return {};
  if (e.value != kEvdevRelease && e.value != kEvdevPress && e.value != kEvdevRepeat) return {};
  const bool down = e.value != kEvdevRelease;
  if (isKeyboardKey(e.code)) return keyInputForLinuxKey(e.code, down, e.timeMs);
  const auto button = mouseButtonOf(e.code);
  // A button does not repeat; a repeat value would be a second press.
  if (!button || e.value == kEvdevRepeat) return {};
  return mouseInputForButton(*button, down, 0, 0, e.timeMs);
}

CapturedInput EvdevStream::feed(const EvdevEvent& e) {
  if (e.type == EV_SYN) {
    if (e.code == SYN_DROPPED) skipping_ = true;
    if (e.code == SYN_REPORT) skipping_ = false;
    return {};
  }
  if (skipping_) return {};
  return translateEvdevEvent(e);
}

}  // namespace kavro::hook
