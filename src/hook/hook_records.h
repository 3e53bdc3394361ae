#pragma once
// The low-level input records the capture backends report and the recorder
// and key capture read: a key with its set-1 scan code and extended flag, a
// mouse button with the screen position and the extended-button number.
// They travel to the main window as the lParam of the hook messages.
#include <cstdint>
#include <optional>

namespace kavro::hook {

// Keyboard messages (wParam of the keyboard hook messages).
inline constexpr std::uint32_t kWmKeyDown = 0x100;
inline constexpr std::uint32_t kWmKeyUp = 0x101;
inline constexpr std::uint32_t kWmSysKeyDown = 0x104;
inline constexpr std::uint32_t kWmSysKeyUp = 0x105;

// Bit 0 of KeyboardRecord::flags: the key sends the extended (0xE0) prefix.
inline constexpr std::uint32_t kKeyFlagExtended = 0x01;

// Virtual-key codes of the lock keys, which toggle even while input is captured.
inline constexpr std::uint32_t kVkCapsLock = 0x14;
inline constexpr std::uint32_t kVkNumLock = 0x90;
inline constexpr std::uint32_t kVkScrollLock = 0x91;

struct KeyboardRecord {
  std::uint32_t vkCode = 0;    // virtual-key code, 0 when the tables do not know the key
  std::uint32_t scanCode = 0;  // set-1 scan code, 0 when unknown
  std::uint32_t flags = 0;     // kKeyFlagExtended
  std::uint32_t time = 0;      // when it happened: tickMs() modulo 2^32
  std::uintptr_t extraInfo = 0;
  int linuxKey = 0;  // the hardware key code (KEY_* of evdev) it came from
};

// One key event: wParam and the record.
struct KeyInput {
  std::uint32_t message = kWmKeyDown;
  KeyboardRecord record;
};

bool isKeyDownMessage(std::uint32_t message);
bool isKeyUpMessage(std::uint32_t message);
bool isExtended(const KeyboardRecord& record);
bool isLockKey(std::uint32_t vkCode);

// The record of a Linux key code: scan code, extended flag and virtual-key
// code from the key tables. Keys the tables do not know keep scan code 0,
// which the recorder and key capture drop.
KeyboardRecord keyboardRecordForLinuxKey(int linuxKey, std::uint32_t timeMs);
KeyInput keyInputForLinuxKey(int linuxKey, bool down, std::uint32_t timeMs);

// The mouse messages (wParam of the mouse hook messages) are the button
// messages of MouseEventTable (0x201-0x20C).
struct MouseRecord {
  std::int32_t x = 0;  // cursor position in screen coordinates
  std::int32_t y = 0;
  std::uint16_t extendedButton = 0;  // 1 back, 2 forward, for the X button messages
  std::uint32_t time = 0;            // when it happened: tickMs() modulo 2^32
};

struct MouseInput {
  std::uint32_t message = 0;
  MouseRecord record;
};

// Physical mouse buttons the backends tell apart.
enum class MouseButton { Left, Right, Middle, Back, Forward };

// The message and extended-button number of a button press or release.
MouseInput mouseInputForButton(MouseButton button, bool down, std::int32_t x, std::int32_t y,
                               std::uint32_t timeMs);

// A screen rectangle, right and bottom exclusive.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool contains(std::int32_t x, std::int32_t y) const {
    return x >= left && x < right && y >= top && y < bottom;
  }
};

}  // namespace kavro::hook
