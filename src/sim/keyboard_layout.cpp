#include "sim/keyboard_layout.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace kavro::sim::keyboard {

namespace {

constexpr uint8_t kKey = 0x20;       // ordinary key: modifier bits + usage
constexpr uint8_t kFunction = 0xA0;  // keyboard function (Fn, game mode ...)
constexpr uint8_t kMacroKey = 0xD0;  // dedicated macro key M1..M5

KeyCode key(uint8_t usage) { return {kKey, 0x00, usage}; }
KeyCode modifier(uint8_t bits) { return {kKey, bits, 0x00}; }

std::array<KeyCode, kPositions> buildDefaults() {
  std::array<KeyCode, kPositions> c{};
  c[0] = key(0x29);                                                   // Esc
  for (unsigned i = 0; i < 12; ++i) c[1 + i] = key(static_cast<uint8_t>(0x3A + i));  // F1..F12
  c[13] = key(0x46), c[14] = key(0x47), c[15] = key(0x48);            // Print Screen, Scroll Lock, Pause
  c[16] = {kFunction, 0x1B, 0x00}, c[17] = {kFunction, 0x24, 0x00};
  c[18] = c[19] = c[20] = key(0x00);
  c[21] = key(0x35);                                                  // `
  for (unsigned i = 0; i < 10; ++i) c[22 + i] = key(static_cast<uint8_t>(0x1E + i));  // 1..0
  const uint8_t rest[] = {
      0x2D, 0x2E, 0x2A, 0x49, 0x4A, 0x4B, 0x53, 0x54, 0x55, 0x56,  // 32..41: - = Bksp Ins Home PgUp NumLk / * -
      0x2B, 0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12,  // 42..51: Tab Q W E R T Y U I O
      0x13, 0x2F, 0x30, 0x31, 0x4C, 0x4D, 0x4E, 0x5F, 0x60, 0x61,  // 52..61: P [ ] \ Del End PgDn Num7 8 9
      0x00, 0x39, 0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B, 0x0D, 0x0E,  // 62..71: - Caps A S D F G H J K
      0x0F, 0x33, 0x34, 0x28, 0x5C, 0x5D, 0x5E, 0x8A, 0x8B, 0x90,  // 72..81: L ; ' Enter Num4 5 6 Intl...
      0x91, 0x88};                                                 // 82..83
  for (unsigned i = 0; i < sizeof rest; ++i) c[32 + i] = key(rest[i]);
  c[84] = modifier(0x02);                                             // Left Shift
  const uint8_t row4[] = {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10, 0x36, 0x37, 0x38};  // 85..94: Z..
  for (unsigned i = 0; i < sizeof row4; ++i) c[85 + i] = key(row4[i]);
  c[95] = modifier(0x20);                                             // Right Shift
  const uint8_t more[] = {0x52, 0x59, 0x5A, 0x5B, 0x87, 0x89, 0x64, 0x85, 0x00};  // 96..104
  for (unsigned i = 0; i < sizeof more; ++i) c[96 + i] = key(more[i]);
  c[105] = modifier(0x01), c[106] = modifier(0x08), c[107] = modifier(0x04);  // LCtrl LWin LAlt
  c[108] = key(0x2C), c[109] = modifier(0x40);                                // Space, RAlt
  c[110] = {kFunction, 0x01, 0x00};                                           // Fn
  c[111] = key(0x65), c[112] = modifier(0x10);                                // Menu, RCtrl
  const uint8_t tail[] = {0x50, 0x51, 0x4F, 0x62, 0x63, 0x58, 0x57};          // 113..119
  for (unsigned i = 0; i < sizeof tail; ++i) c[113 + i] = key(tail[i]);
  for (unsigned i = 0; i < 5; ++i) c[120 + i] = {kMacroKey, 0xA2, static_cast<uint8_t>(1 + i)};  // M1..M5
  c[125] = modifier(0x80);                                                    // RWin
  return c;
}

// Columns of the board, top row first; 126 = no key.
constexpr uint8_t kGrid[kGridColumns][kGridRows] = {
    {126, 120, 121, 122, 123, 124}, {126, 21, 42, 63, 84, 105},  {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 126},       {2, 24, 45, 66, 87, 107},    {3, 25, 46, 67, 88, 126},
    {4, 26, 47, 68, 89, 108},       {126, 27, 48, 69, 90, 126},  {5, 28, 49, 70, 91, 126},
    {6, 29, 50, 71, 92, 109},       {7, 30, 51, 72, 93, 126},    {8, 31, 52, 73, 94, 125},
    {9, 32, 53, 74, 126, 110},      {10, 33, 54, 126, 126, 111}, {11, 34, 55, 75, 95, 126},
    {12, 126, 126, 126, 126, 112},  {13, 35, 56, 126, 126, 113}, {14, 36, 57, 126, 96, 114},
    {15, 37, 58, 126, 126, 115},    {126, 38, 59, 76, 97, 116},  {126, 39, 60, 77, 98, 126},
    {126, 40, 61, 78, 99, 117},     {126, 41, 126, 119, 118, 126},
};

const char* const kNames[kPositions] = {
    "Esc", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "PrintScreen",
    "ScrollLock", "Pause", "", "", "", "", "", "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=",
    "Backspace", "Insert", "Home", "PageUp", "NumLock", "Num/", "Num*", "Num-", "Tab", "Q", "W", "E", "R", "T",
    "Y", "U", "I", "O", "P", "[", "]", "\\", "Delete", "End", "PageDown", "Num7", "Num8", "Num9", "", "CapsLock",
    "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Enter", "Num4", "Num5", "Num6", "", "", "", "", "",
    "LShift", "Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "RShift", "Up", "Num1", "Num2", "Num3", "", "",
    "", "", "", "LCtrl", "LWin", "LAlt", "Space", "RAlt", "Fn", "Menu", "RCtrl", "Left", "Down", "Right", "Num0",
    "Num.", "NumEnter", "Num+", "M1", "M2", "M3", "M4", "M5", "RWin",
};

std::vector<DeviceKey> buildDeviceKeys() {
  // Device order: the scan matrix, row by row, left to right.
  std::vector<DeviceKey> keys;
  for (unsigned row = 0; row < kGridRows; ++row) {
    for (unsigned col = 0; col < kGridColumns; ++col) {
      if (kGrid[col][row] != kNoPosition) keys.push_back({kGrid[col][row], 0});
    }
  }
  // LED chain: even rows left to right, odd rows right to left.
  uint8_t led = 0;
  for (unsigned row = 0; row < kGridRows; ++row) {
    for (unsigned i = 0; i < kGridColumns; ++i) {
      const unsigned col = row % 2 == 0 ? i : kGridColumns - 1 - i;
      const uint8_t pos = kGrid[col][row];
      if (pos == kNoPosition) continue;
      for (auto& k : keys) {
        if (k.position == pos) k.led = led;
      }
      ++led;
    }
  }
  return keys;
}

bool sameText(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == '\0';
}

}  // namespace

const KeyCode& defaultCode(unsigned position) {
  static const std::array<KeyCode, kPositions> codes = buildDefaults();
  static const KeyCode none{};
  return position < kPositions ? codes[position] : none;
}

uint8_t gridPosition(unsigned column, unsigned row) {
  return column < kGridColumns && row < kGridRows ? kGrid[column][row] : kNoPosition;
}

const std::vector<DeviceKey>& deviceKeys() {
  static const std::vector<DeviceKey> keys = buildDeviceKeys();
  return keys;
}

const char* positionName(unsigned position) { return position < kPositions ? kNames[position] : ""; }

int findDeviceKey(const std::string& name) {
  const auto& keys = deviceKeys();
  auto number = [&](const std::string& digits) {
    if (digits.empty() || digits.size() > 4 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
      return -1;
    }
    const long n = std::strtol(digits.c_str(), nullptr, 10);
    return static_cast<size_t>(n) < keys.size() ? static_cast<int>(n) : -1;
  };
  // "#n" is always device key n; a key name wins over a bare number ("1" is the key 1).
  if (!name.empty() && name[0] == '#') return number(name.substr(1));
  for (size_t k = 0; k < keys.size(); ++k) {
    if (sameText(name, kNames[keys[k].position])) return static_cast<int>(k);
  }
  return number(name);
}

}  // namespace kavro::sim::keyboard
