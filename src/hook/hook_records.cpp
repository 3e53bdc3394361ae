#include "hook/hook_records.h"

#include "macros/key_tables.h"
#include "macros/linux_keymap.h"

namespace kavro::hook {

bool isKeyDownMessage(std::uint32_t message) {
  return message == kWmKeyDown || message == kWmSysKeyDown;
}

bool isKeyUpMessage(std::uint32_t message) { return message == kWmKeyUp || message == kWmSysKeyUp; }

bool isExtended(const KeyboardRecord& record) { return (record.flags & kKeyFlagExtended) != 0; }

bool isLockKey(std::uint32_t vkCode) {
  return vkCode == kVkCapsLock || vkCode == kVkNumLock || vkCode == kVkScrollLock;
}

KeyboardRecord keyboardRecordForLinuxKey(int linuxKey, std::uint32_t timeMs) {
  KeyboardRecord r;
  r.time = timeMs;
  r.linuxKey = linuxKey;
  const auto row = macros::keyRowForLinuxKey(linuxKey);
  if (!row) return r;
  const macros::ScanCodeRow& scan = macros::ScanCodeTable[*row];
  r.vkCode = scan.virtualKey;
  r.scanCode = scan.scanCode;
  r.flags = scan.extended ? kKeyFlagExtended : 0;
  return r;
}

KeyInput keyInputForLinuxKey(int linuxKey, bool down, std::uint32_t timeMs) {
  return {down ? kWmKeyDown : kWmKeyUp, keyboardRecordForLinuxKey(linuxKey, timeMs)};
}

MouseInput mouseInputForButton(MouseButton button, bool down, std::int32_t x, std::int32_t y,
                               std::uint32_t timeMs) {
  MouseInput in;
  in.record = {x, y, 0, timeMs};
  switch (button) {
    case MouseButton::Left:
      in.message = down ? macros::kMsgLButtonDown : macros::kMsgLButtonUp;
      break;
    case MouseButton::Right:
      in.message = down ? macros::kMsgRButtonDown : macros::kMsgRButtonUp;
      break;
    case MouseButton::Middle:
      in.message = down ? macros::kMsgMButtonDown : macros::kMsgMButtonUp;
      break;
    case MouseButton::Back:
    case MouseButton::Forward:
      in.message = down ? macros::kMsgXButtonDown : macros::kMsgXButtonUp;
      in.record.extendedButton = static_cast<std::uint16_t>(
          button == MouseButton::Back ? macros::kXButtonBack : macros::kXButtonForward);
      break;
  }
  return in;
}

}  // namespace kavro::hook
