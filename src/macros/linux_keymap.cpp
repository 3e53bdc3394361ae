#include "macros/linux_keymap.h"

#include <array>

#include <linux/input-event-codes.h>

#include "macros/key_tables.h"

namespace kavro::macros {
namespace {

// The Linux key code of every ScanCodeTable row, in row order.
// clang-format off
constexpr std::array<std::uint16_t, kScanCodeRowCount> kLinuxKeyOfRow{{
    // 0-7: modifiers
    KEY_LEFTCTRL, KEY_LEFTSHIFT, KEY_LEFTALT, KEY_LEFTMETA,
    KEY_RIGHTCTRL, KEY_RIGHTSHIFT, KEY_RIGHTALT, KEY_RIGHTMETA,
    // 8-33: A-Z
    KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
    KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z,
    // 34-43: 1-9, 0
    KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9, KEY_0,
    // 44-60
    KEY_ENTER, KEY_ESC, KEY_BACKSPACE, KEY_TAB, KEY_SPACE, KEY_MINUS, KEY_EQUAL,
    KEY_LEFTBRACE, KEY_RIGHTBRACE, KEY_BACKSLASH, KEY_SEMICOLON, KEY_APOSTROPHE, KEY_GRAVE,
    KEY_COMMA, KEY_DOT, KEY_SLASH, KEY_CAPSLOCK,
    // 61-72: F1-F12
    KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6, KEY_F7, KEY_F8, KEY_F9, KEY_F10,
    KEY_F11, KEY_F12,
    // 73-85
    KEY_SYSRQ, KEY_SCROLLLOCK, KEY_PAUSE, KEY_INSERT, KEY_HOME, KEY_PAGEUP, KEY_DELETE,
    KEY_END, KEY_PAGEDOWN, KEY_RIGHT, KEY_LEFT, KEY_DOWN, KEY_UP,
    // 86-103: keypad, then the menu (application) key
    KEY_NUMLOCK, KEY_KPSLASH, KEY_KPASTERISK, KEY_KPMINUS, KEY_KPPLUS, KEY_KPENTER,
    KEY_KP1, KEY_KP2, KEY_KP3, KEY_KP4, KEY_KP5, KEY_KP6, KEY_KP7, KEY_KP8, KEY_KP9, KEY_KP0,
    KEY_KPDOT, KEY_COMPOSE,
    // 104-112: K45 K56 K14 K107 K131 K132 K133 K150 K151
    KEY_102ND, KEY_RO, KEY_YEN, KEY_KPCOMMA, KEY_MUHENKAN, KEY_HENKAN, KEY_KATAKANAHIRAGANA,
    KEY_HANJA, KEY_HANGEUL,
}};
// clang-format on

// Every code above fits below this bound, so the reverse map is a flat array.
constexpr std::size_t kReverseSize = 256;
constexpr std::int16_t kNoRow = -1;

constexpr std::array<std::int16_t, kReverseSize> buildReverse() {
  std::array<std::int16_t, kReverseSize> rows{};
  for (auto& r : rows) r = kNoRow;
  for (std::size_t i = 0; i < kLinuxKeyOfRow.size(); ++i) {
    rows[kLinuxKeyOfRow[i]] = static_cast<std::int16_t>(i);
  }
  return rows;
}
constexpr auto kRowOfLinuxKey = buildReverse();

constexpr bool everyRowMappedOnce() {
  for (std::size_t i = 0; i < kLinuxKeyOfRow.size(); ++i) {
    if (kLinuxKeyOfRow[i] >= kReverseSize) return false;
    if (kRowOfLinuxKey[kLinuxKeyOfRow[i]] != static_cast<std::int16_t>(i)) return false;
  }
  return true;
}
static_assert(everyRowMappedOnce(), "a Linux key code is listed twice");

}  // namespace

std::optional<std::size_t> keyRowForLinuxKey(int linuxKeyCode) {
  if (linuxKeyCode < 0 || static_cast<std::size_t>(linuxKeyCode) >= kReverseSize) {
    return std::nullopt;
  }
  const std::int16_t row = kRowOfLinuxKey[static_cast<std::size_t>(linuxKeyCode)];
  if (row == kNoRow) return std::nullopt;
  return static_cast<std::size_t>(row);
}

std::optional<ScanKey> scanKeyForLinuxKey(int linuxKeyCode) {
  const auto row = keyRowForLinuxKey(linuxKeyCode);
  if (!row) return std::nullopt;
  const ScanCodeRow& r = ScanCodeTable[*row];
  return ScanKey{r.scanCode, r.extended != 0};
}

std::size_t linuxKeyMapSize() { return kLinuxKeyOfRow.size(); }

std::optional<int> linuxKeyForScanRow(std::size_t row) {
  if (row >= kLinuxKeyOfRow.size()) return std::nullopt;
  return kLinuxKeyOfRow[row];
}

}  // namespace kavro::macros
