#pragma once
// The key and mouse vocabularies shared by the macro files, the recorder, the
// macro editor and key assignment: every key the program can name, the scan
// codes the input hook reports for the keyboard keys, and the mouse events.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kavro::macros {

// ---- KeyCodeTable ---------------------------------------------------------

// Kinds of a KeyCodeTable row (byte 0 of a key function code).
inline constexpr std::uint8_t kKindKeyboard = 0x20;
inline constexpr std::uint8_t kKindConsumer = 0x30;
inline constexpr std::uint8_t kKindSystem = 0x40;
inline constexpr std::uint8_t kKindDeviceFunction = 0xA0;
inline constexpr std::uint8_t kKindDeviceMacro = 0xD0;

// Modifier bits (code byte 1 of the modifier rows, "Button" of type-9 steps).
inline constexpr std::uint8_t kModLCtrl = 0x01;
inline constexpr std::uint8_t kModLShift = 0x02;
inline constexpr std::uint8_t kModLAlt = 0x04;
inline constexpr std::uint8_t kModLWin = 0x08;
inline constexpr std::uint8_t kModRCtrl = 0x10;
inline constexpr std::uint8_t kModRShift = 0x20;
inline constexpr std::uint8_t kModRAlt = 0x40;
inline constexpr std::uint8_t kModRWin = 0x80;

// Code byte 1 of the device macro keys M1-M5 (code byte 2 is 1..5).
inline constexpr std::uint8_t kDeviceMacroCode = 0xA2;
// Code byte 1 of the device function keys.
inline constexpr std::uint8_t kDeviceFnCode = 0x01;
inline constexpr std::uint8_t kDeviceGmCode = 0x1B;

// Virtual-key codes that no real key sends, used to tell rows apart.
inline constexpr std::uint16_t kVkNumEnter = 0x101;
inline constexpr std::uint16_t kVkPower = 0x103;
inline constexpr std::uint16_t kVkSleep = 0x104;
inline constexpr std::uint16_t kVkWakeup = 0x105;
// International keys without a virtual-key code of their own.
inline constexpr std::uint16_t kVkNone = 0xFF;

struct KeyCodeRow {
  std::uint16_t virtualKey;
  std::uint8_t kind;
  std::uint8_t code1;     // modifier bit, consumer usage low byte, system bit, ...
  std::uint8_t code2;     // HID keyboard usage, consumer usage high byte, ...
  std::uint8_t reserved;  // always 0
  const char* nameKey;    // language key of the display name
};

inline constexpr std::size_t kKeyCodeRowCount = 141;
inline constexpr std::size_t kModifierRowCount = 8;     // rows 0-7
inline constexpr std::size_t kFirstPlainKeyRow = 8;     // rows 8-112 carry a usage
inline constexpr std::size_t kFirstConsumerRow = 113;   // rows 113-130
inline constexpr std::size_t kFirstSystemRow = 131;     // rows 131-133
inline constexpr std::size_t kFirstDeviceMacroRow = 134;  // rows 134-138
inline constexpr std::size_t kFirstDeviceFunctionRow = 139;  // rows 139-140

namespace detail {
constexpr KeyCodeRow key(std::uint16_t vk, std::uint8_t usage, const char* name) {
  return {vk, kKindKeyboard, 0, usage, 0, name};
}
constexpr KeyCodeRow modifier(std::uint16_t vk, std::uint8_t bit, const char* name) {
  return {vk, kKindKeyboard, bit, 0, 0, name};
}
constexpr KeyCodeRow consumer(std::uint16_t vk, std::uint16_t usage, const char* name) {
  return {vk, kKindConsumer, static_cast<std::uint8_t>(usage & 0xFF),
          static_cast<std::uint8_t>(usage >> 8), 0, name};
}
}  // namespace detail

// clang-format off
inline constexpr std::array<KeyCodeRow, kKeyCodeRowCount> KeyCodeTable{{
    // 0-7: modifiers, in the order of their bits.
    detail::modifier(0xA2, kModLCtrl, "keyboard_key_LCtrl"),
    detail::modifier(0xA0, kModLShift, "keyboard_key_LShift"),
    detail::modifier(0xA4, kModLAlt, "keyboard_key_LAlt"),
    detail::modifier(0x5B, kModLWin, "keyboard_key_LWin"),
    detail::modifier(0xA3, kModRCtrl, "keyboard_key_RCtrl"),
    detail::modifier(0xA1, kModRShift, "keyboard_key_RShift"),
    detail::modifier(0xA5, kModRAlt, "keyboard_key_RAlt"),
    detail::modifier(0x5C, kModRWin, "keyboard_key_RWin"),
    // 8-33: letters.
    detail::key(0x41, 0x04, "keyboard_key_A"), detail::key(0x42, 0x05, "keyboard_key_B"),
    detail::key(0x43, 0x06, "keyboard_key_C"), detail::key(0x44, 0x07, "keyboard_key_D"),
    detail::key(0x45, 0x08, "keyboard_key_E"), detail::key(0x46, 0x09, "keyboard_key_F"),
    detail::key(0x47, 0x0A, "keyboard_key_G"), detail::key(0x48, 0x0B, "keyboard_key_H"),
    detail::key(0x49, 0x0C, "keyboard_key_I"), detail::key(0x4A, 0x0D, "keyboard_key_J"),
    detail::key(0x4B, 0x0E, "keyboard_key_K"), detail::key(0x4C, 0x0F, "keyboard_key_L"),
    detail::key(0x4D, 0x10, "keyboard_key_M"), detail::key(0x4E, 0x11, "keyboard_key_N"),
    detail::key(0x4F, 0x12, "keyboard_key_O"), detail::key(0x50, 0x13, "keyboard_key_P"),
    detail::key(0x51, 0x14, "keyboard_key_Q"), detail::key(0x52, 0x15, "keyboard_key_R"),
    detail::key(0x53, 0x16, "keyboard_key_S"), detail::key(0x54, 0x17, "keyboard_key_T"),
    detail::key(0x55, 0x18, "keyboard_key_U"), detail::key(0x56, 0x19, "keyboard_key_V"),
    detail::key(0x57, 0x1A, "keyboard_key_W"), detail::key(0x58, 0x1B, "keyboard_key_X"),
    detail::key(0x59, 0x1C, "keyboard_key_Y"), detail::key(0x5A, 0x1D, "keyboard_key_Z"),
    // 34-43: digits 1-9, 0.
    detail::key(0x31, 0x1E, "keyboard_key_1"), detail::key(0x32, 0x1F, "keyboard_key_2"),
    detail::key(0x33, 0x20, "keyboard_key_3"), detail::key(0x34, 0x21, "keyboard_key_4"),
    detail::key(0x35, 0x22, "keyboard_key_5"), detail::key(0x36, 0x23, "keyboard_key_6"),
    detail::key(0x37, 0x24, "keyboard_key_7"), detail::key(0x38, 0x25, "keyboard_key_8"),
    detail::key(0x39, 0x26, "keyboard_key_9"), detail::key(0x30, 0x27, "keyboard_key_0"),
    // 44-60: editing keys and punctuation.
    detail::key(0x0D, 0x28, "keyboard_key_Enter"),
    detail::key(0x1B, 0x29, "keyboard_key_Esc"),
    detail::key(0x08, 0x2A, "keyboard_key_BackSpace"),
    detail::key(0x09, 0x2B, "keyboard_key_Tab"),
    detail::key(0x20, 0x2C, "keyboard_key_Space"),
    detail::key(0xBD, 0x2D, "keyboard_key_-"),
    detail::key(0xBB, 0x2E, "keyboard_key_="),
    detail::key(0xDB, 0x2F, "keyboard_key_["),
    detail::key(0xDD, 0x30, "keyboard_key_]"),
    detail::key(0xDC, 0x31, "keyboard_key_xiegang"),
    detail::key(0xBA, 0x33, "keyboard_key_;"),
    detail::key(0xDE, 0x34, "keyboard_key_'"),
    detail::key(0xC0, 0x35, "keyboard_key_`"),
    detail::key(0xBC, 0x36, "keyboard_key_<"),
    detail::key(0xBE, 0x37, "keyboard_key_."),
    detail::key(0xBF, 0x38, "keyboard_key_/"),
    detail::key(0x14, 0x39, "keyboard_key_Caplk"),
    // 61-72: F1-F12.
    detail::key(0x70, 0x3A, "keyboard_key_F1"), detail::key(0x71, 0x3B, "keyboard_key_F2"),
    detail::key(0x72, 0x3C, "keyboard_key_F3"), detail::key(0x73, 0x3D, "keyboard_key_F4"),
    detail::key(0x74, 0x3E, "keyboard_key_F5"), detail::key(0x75, 0x3F, "keyboard_key_F6"),
    detail::key(0x76, 0x40, "keyboard_key_F7"), detail::key(0x77, 0x41, "keyboard_key_F8"),
    detail::key(0x78, 0x42, "keyboard_key_F9"), detail::key(0x79, 0x43, "keyboard_key_F10"),
    detail::key(0x7A, 0x44, "keyboard_key_F11"), detail::key(0x7B, 0x45, "keyboard_key_F12"),
    // 73-85: system and navigation block.
    detail::key(0x2C, 0x46, "keyboard_key_Print Scr"),
    detail::key(0x91, 0x47, "keyboard_key_Scroll Lock"),
    detail::key(0x13, 0x48, "keyboard_key_Pause"),
    detail::key(0x2D, 0x49, "keyboard_key_Insert"),
    detail::key(0x24, 0x4A, "keyboard_key_Home"),
    detail::key(0x21, 0x4B, "keyboard_key_Page Up"),
    detail::key(0x2E, 0x4C, "keyboard_key_Delete"),
    detail::key(0x23, 0x4D, "keyboard_key_End"),
    detail::key(0x22, 0x4E, "keyboard_key_Page Down"),
    detail::key(0x27, 0x4F, "keyboard_key_Right"),
    detail::key(0x25, 0x50, "keyboard_key_Left"),
    detail::key(0x28, 0x51, "keyboard_key_Down"),
    detail::key(0x26, 0x52, "keyboard_key_Up"),
    // 86-103: keypad and the application key.
    detail::key(0x90, 0x53, "keyboard_key_Num Lock"),
    detail::key(0x6F, 0x54, "keyboard_key_Num /"),
    detail::key(0x6A, 0x55, "keyboard_key_Num *"),
    detail::key(0x6D, 0x56, "keyboard_key_Num -"),
    detail::key(0x6B, 0x57, "keyboard_key_Num +"),
    detail::key(kVkNumEnter, 0x58, "keyboard_key_Num Enter"),
    detail::key(0x61, 0x59, "keyboard_key_Num 1"), detail::key(0x62, 0x5A, "keyboard_key_Num 2"),
    detail::key(0x63, 0x5B, "keyboard_key_Num 3"), detail::key(0x64, 0x5C, "keyboard_key_Num 4"),
    detail::key(0x65, 0x5D, "keyboard_key_Num 5"), detail::key(0x66, 0x5E, "keyboard_key_Num 6"),
    detail::key(0x67, 0x5F, "keyboard_key_Num 7"), detail::key(0x68, 0x60, "keyboard_key_Num 8"),
    detail::key(0x69, 0x61, "keyboard_key_Num 9"), detail::key(0x60, 0x62, "keyboard_key_Num 0"),
    detail::key(0x6E, 0x63, "keyboard_key_Decimal"),
    detail::key(0x5D, 0x65, "keyboard_key_App"),
    // 104-112: international keys.
    detail::key(0xE2, 0x64, "keyboard_key_K45"),
    detail::key(0xC1, 0x87, "keyboard_key_K56"),
    detail::key(kVkNone, 0x89, "keyboard_key_K14"),
    detail::key(0xC2, 0x85, "keyboard_key_K107"),
    detail::key(0xEB, 0x8B, "keyboard_key_K131"),
    detail::key(kVkNone, 0x8A, "keyboard_key_K132"),
    detail::key(kVkNone, 0x88, "keyboard_key_K133"),
    detail::key(0xE9, 0x91, "keyboard_key_K150"),
    detail::key(kVkNone, 0x90, "keyboard_key_K151"),
    // 113-130: consumer control (media) keys.
    detail::consumer(0xB7, 0x0192, "keyboard_key_Launch App2"),
    detail::consumer(0xAC, 0x0223, "keyboard_key_Browaer Home"),
    detail::consumer(0xB3, 0x00CD, "keyboard_key_Media Play Pause"),
    detail::consumer(0xAA, 0x0221, "keyboard_key_Browser Search"),
    detail::consumer(0xB4, 0x018A, "keyboard_key_Launch Mail"),
    detail::consumer(0xAF, 0x00E9, "keyboard_key_Volume Up"),
    detail::consumer(0xAD, 0x00E2, "keyboard_key_Volume Mute"),
    detail::consumer(0xB2, 0x00B7, "keyboard_key_Media Stop"),
    detail::consumer(0xAE, 0x00EA, "keyboard_key_Volume Down"),
    detail::consumer(0xAB, 0x022A, "keyboard_key_Browser Favorites"),
    detail::consumer(0xA7, 0x0225, "keyboard_key_Browser ForWard"),
    detail::consumer(0xA6, 0x0224, "keyboard_key_Browser Back"),
    detail::consumer(0xB1, 0x00B6, "keyboard_key_Media Prev Track"),
    detail::consumer(0xB0, 0x00B5, "keyboard_key_Media Next Track"),
    detail::consumer(0xB6, 0x0194, "keyboard_key_Computer"),
    detail::consumer(0xA8, 0x0227, "keyboard_key_Browser Refresh"),
    detail::consumer(0xA9, 0x0226, "wed_stop"),
    detail::consumer(0xB5, 0x0183, "keyboard_key_Launch Media Select"),
    // 131-133: system control.
    {kVkPower, kKindSystem, 1, 0, 0, "keyboard_key_Power"},
    {kVkSleep, kKindSystem, 2, 0, 0, "keyboard_key_Sleep"},
    {kVkWakeup, kKindSystem, 4, 0, 0, "keyboard_key_Wakeup"},
    // 134-138: the device's macro keys (no virtual-key code).
    {0, kKindDeviceMacro, kDeviceMacroCode, 1, 0, "keyboard_key_M1"},
    {0, kKindDeviceMacro, kDeviceMacroCode, 2, 0, "keyboard_key_M2"},
    {0, kKindDeviceMacro, kDeviceMacroCode, 3, 0, "keyboard_key_M3"},
    {0, kKindDeviceMacro, kDeviceMacroCode, 4, 0, "keyboard_key_M4"},
    {0, kKindDeviceMacro, kDeviceMacroCode, 5, 0, "keyboard_key_M5"},
    // 139-140: the device's function keys (no virtual-key code).
    {0, kKindDeviceFunction, kDeviceFnCode, 0, 0, "keyboard_key_FN"},
    {0, kKindDeviceFunction, kDeviceGmCode, 0, 0, "keyboard_key_GM"},
}};
// clang-format on

// ---- ScanCodeTable --------------------------------------------------------

// Scan code (set 1) and extended-key flag of rows 0-112 of KeyCodeTable, in
// the same order: the input hook reports keys by these two values.
struct ScanCodeRow {
  std::uint16_t virtualKey;
  std::uint8_t scanCode;
  std::uint8_t extended;  // 0 or 1
};

inline constexpr std::size_t kScanCodeRowCount = 113;

// clang-format off
inline constexpr std::array<ScanCodeRow, kScanCodeRowCount> ScanCodeTable{{
    // 0-7: LCtrl LShift LAlt LWin RCtrl RShift RAlt RWin
    {0xA2, 0x1D, 0}, {0xA0, 0x2A, 0}, {0xA4, 0x38, 0}, {0x5B, 0x5B, 1},
    {0xA3, 0x1D, 1}, {0xA1, 0x36, 0}, {0xA5, 0x38, 1}, {0x5C, 0x5C, 1},
    // 8-33: A-Z
    {0x41, 0x1E, 0}, {0x42, 0x30, 0}, {0x43, 0x2E, 0}, {0x44, 0x20, 0}, {0x45, 0x12, 0},
    {0x46, 0x21, 0}, {0x47, 0x22, 0}, {0x48, 0x23, 0}, {0x49, 0x17, 0}, {0x4A, 0x24, 0},
    {0x4B, 0x25, 0}, {0x4C, 0x26, 0}, {0x4D, 0x32, 0}, {0x4E, 0x31, 0}, {0x4F, 0x18, 0},
    {0x50, 0x19, 0}, {0x51, 0x10, 0}, {0x52, 0x13, 0}, {0x53, 0x1F, 0}, {0x54, 0x14, 0},
    {0x55, 0x16, 0}, {0x56, 0x2F, 0}, {0x57, 0x11, 0}, {0x58, 0x2D, 0}, {0x59, 0x15, 0},
    {0x5A, 0x2C, 0},
    // 34-43: 1-9, 0
    {0x31, 0x02, 0}, {0x32, 0x03, 0}, {0x33, 0x04, 0}, {0x34, 0x05, 0}, {0x35, 0x06, 0},
    {0x36, 0x07, 0}, {0x37, 0x08, 0}, {0x38, 0x09, 0}, {0x39, 0x0A, 0}, {0x30, 0x0B, 0},
    // 44-60: Enter Esc BackSpace Tab Space - = [ ] \ ; ' ` , . / CapsLock
    {0x0D, 0x1C, 0}, {0x1B, 0x01, 0}, {0x08, 0x0E, 0}, {0x09, 0x0F, 0}, {0x20, 0x39, 0},
    {0xBD, 0x0C, 0}, {0xBB, 0x0D, 0}, {0xDB, 0x1A, 0}, {0xDD, 0x1B, 0}, {0xDC, 0x2B, 0},
    {0xBA, 0x27, 0}, {0xDE, 0x28, 0}, {0xC0, 0x29, 0}, {0xBC, 0x33, 0}, {0xBE, 0x34, 0},
    {0xBF, 0x35, 0}, {0x14, 0x3A, 0},
    // 61-72: F1-F12
    {0x70, 0x3B, 0}, {0x71, 0x3C, 0}, {0x72, 0x3D, 0}, {0x73, 0x3E, 0}, {0x74, 0x3F, 0},
    {0x75, 0x40, 0}, {0x76, 0x41, 0}, {0x77, 0x42, 0}, {0x78, 0x43, 0}, {0x79, 0x44, 0},
    {0x7A, 0x57, 0}, {0x7B, 0x58, 0},
    // 73-85: PrintScr ScrollLock Pause Insert Home PgUp Delete End PgDn Right Left Down Up
    {0x2C, 0x37, 1}, {0x91, 0x46, 0}, {0x13, 0x45, 0}, {0x2D, 0x52, 1}, {0x24, 0x47, 1},
    {0x21, 0x49, 1}, {0x2E, 0x53, 1}, {0x23, 0x4F, 1}, {0x22, 0x51, 1}, {0x27, 0x4D, 1},
    {0x25, 0x4B, 1}, {0x28, 0x50, 1}, {0x26, 0x48, 1},
    // 86-103: NumLock Num/ Num* Num- Num+ NumEnter Num1-Num9 Num0 Decimal App
    {0x90, 0x45, 1}, {0x6F, 0x35, 1}, {0x6A, 0x37, 0}, {0x6D, 0x4A, 0}, {0x6B, 0x4E, 0},
    {kVkNumEnter, 0x1C, 1},
    {0x61, 0x4F, 0}, {0x62, 0x50, 0}, {0x63, 0x51, 0}, {0x64, 0x4B, 0}, {0x65, 0x4C, 0},
    {0x66, 0x4D, 0}, {0x67, 0x47, 0}, {0x68, 0x48, 0}, {0x69, 0x49, 0}, {0x60, 0x52, 0},
    {0x6E, 0x53, 0}, {0x5D, 0x5D, 1},
    // 104-112: K45 K56 K14 K107 K131 K132 K133 K150 K151
    {0xE2, 0x56, 0}, {0xC1, 0x73, 0}, {kVkNone, 0x7D, 0}, {0xC2, 0x7E, 0}, {0xEB, 0x7B, 0},
    {kVkNone, 0x79, 0}, {kVkNone, 0x70, 0}, {0xE9, 0xF1, 0}, {kVkNone, 0xF2, 0},
}};
// clang-format on

// ---- MouseEventTable ------------------------------------------------------

// Kinds of a MouseEventTable row.
inline constexpr std::uint8_t kMouseKindButton = 0x10;
inline constexpr std::uint8_t kMouseKindWheel = 0x12;
inline constexpr std::uint8_t kMouseKindMove = 0x15;

// Mouse button bits ("Button" of type-1 steps).
inline constexpr std::uint8_t kMouseLeft = 1;
inline constexpr std::uint8_t kMouseRight = 2;
inline constexpr std::uint8_t kMouseMiddle = 4;
inline constexpr std::uint8_t kMouseBack = 8;
inline constexpr std::uint8_t kMouseForward = 16;

// Bit 7 of a type byte marks "down"; bits 0-6 are the step's "Type".
inline constexpr std::uint8_t kTypeByteDown = 0x80;
inline constexpr std::uint8_t kTypeByteTypeMask = 0x7F;

// Window messages of the mouse hook.
inline constexpr std::uint16_t kMsgLButtonDown = 0x201;
inline constexpr std::uint16_t kMsgLButtonUp = 0x202;
inline constexpr std::uint16_t kMsgRButtonDown = 0x204;
inline constexpr std::uint16_t kMsgRButtonUp = 0x205;
inline constexpr std::uint16_t kMsgMButtonDown = 0x207;
inline constexpr std::uint16_t kMsgMButtonUp = 0x208;
inline constexpr std::uint16_t kMsgMouseWheel = 0x20A;
inline constexpr std::uint16_t kMsgXButtonDown = 0x20B;
inline constexpr std::uint16_t kMsgXButtonUp = 0x20C;
// Extended-button numbers carried with the X button messages.
inline constexpr int kXButtonBack = 1;
inline constexpr int kXButtonForward = 2;

struct MouseEventRow {
  std::uint16_t message;
  std::uint8_t kind;
  std::uint8_t buttonBit;
  std::uint8_t typeByte;
  const char* nameKey;
};

inline constexpr std::size_t kMouseEventRowCount = 15;
inline constexpr std::size_t kMouseButtonRowCount = 10;  // rows 0-9
inline constexpr std::size_t kFirstMouseMoveRow = 10;    // rows 10-13
inline constexpr std::size_t kMouseCursorRow = 14;

// clang-format off
inline constexpr std::array<MouseEventRow, kMouseEventRowCount> MouseEventTable{{
    {kMsgLButtonDown, kMouseKindButton, kMouseLeft, 0x81, "mouse_key_left"},
    {kMsgLButtonUp, kMouseKindButton, kMouseLeft, 0x01, "mouse_key_left"},
    {kMsgRButtonDown, kMouseKindButton, kMouseRight, 0x81, "mouse_key_right"},
    {kMsgRButtonUp, kMouseKindButton, kMouseRight, 0x01, "mouse_key_right"},
    {kMsgMButtonDown, kMouseKindButton, kMouseMiddle, 0x81, "mouse_key_middle"},
    {kMsgMButtonUp, kMouseKindButton, kMouseMiddle, 0x01, "mouse_key_middle"},
    {kMsgXButtonDown, kMouseKindButton, kMouseForward, 0x81, "mouse_key_forward"},
    {kMsgXButtonUp, kMouseKindButton, kMouseForward, 0x01, "mouse_key_forward"},
    {kMsgXButtonDown, kMouseKindButton, kMouseBack, 0x81, "mouse_key_back"},
    {kMsgXButtonUp, kMouseKindButton, kMouseBack, 0x01, "mouse_key_back"},
    {0x004, kMouseKindMove, 0, 0x84, "mouse_move_to_left_text"},
    {0x004, kMouseKindMove, 0, 0x04, "mouse_move_to_right_text"},
    {0x005, kMouseKindMove, 0, 0x85, "mouse_move_to_up_text"},
    {0x005, kMouseKindMove, 0, 0x05, "mouse_move_to_down_text"},
    {kMsgMouseWheel, kMouseKindWheel, 0, 0x00, "mouse_cursor_text"},
}};
// clang-format on

// ---- Look-ups -------------------------------------------------------------
// Each returns the row index in its table, or nothing.

// The plain key (row 8 on, kind keyboard, no modifier) with this HID usage.
std::optional<std::size_t> findKeyRowByUsage(std::uint8_t usage);
// The modifier row (0-7) with this modifier bit.
std::optional<std::size_t> findModifierRow(std::uint8_t bit);
// The first row with exactly these three code bytes.
std::optional<std::size_t> findKeyRowByCode(std::uint8_t kind, std::uint8_t code1,
                                            std::uint8_t code2);
// The first row with this virtual-key code.
std::optional<std::size_t> findKeyRowByVirtualKey(std::uint16_t virtualKey);
// The ScanCodeTable row (same index in KeyCodeTable) of a reported key.
std::optional<std::size_t> findScanRow(std::uint8_t scanCode, bool extended);
// The first button row (0-9) with this button bit.
std::optional<std::size_t> findMouseButtonRow(std::uint8_t bit);
// The move row (10-13) with this type byte.
std::optional<std::size_t> findMouseMoveRow(std::uint8_t typeByte);
// The button row for a mouse hook message; X buttons are told apart by their
// extended-button number (1 back, 2 forward). Other messages give nothing.
std::optional<std::size_t> findMouseRowForMessage(std::uint16_t message, int extendedButton);

}  // namespace kavro::macros
