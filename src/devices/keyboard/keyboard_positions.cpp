#include "devices/keyboard/keyboard_positions.h"

#include <algorithm>

namespace kavro::keyboard {
namespace {

constexpr KeyCodeBytes key(std::uint8_t usage) { return {kCodeKindKey, 0x00, usage}; }
constexpr KeyCodeBytes modifier(std::uint8_t bit) { return {kCodeKindKey, bit, 0x00}; }
constexpr KeyCodeBytes function(std::uint8_t code) { return {kCodeKindFunction, code, 0x00}; }
constexpr KeyCodeBytes deviceMacro(std::uint8_t n) { return {kCodeKindDeviceMacro, 0xA2, n}; }
// Positions with no key behind them carry an ordinary-key code without usage.
constexpr KeyCodeBytes kNoKeyCode = key(0x00);

constexpr std::array<KeyCodeBytes, kPositionCount> makeDefaultCodes() {
  std::array<KeyCodeBytes, kPositionCount> c{};
  c[0] = key(0x29);                                                  // Esc
  for (int i = 0; i < 12; ++i) c[1 + i] = key(static_cast<std::uint8_t>(0x3A + i));  // F1..F12
  c[13] = key(0x46); c[14] = key(0x47); c[15] = key(0x48);          // Print Scr, Scroll Lock, Pause
  c[16] = function(0x1B); c[17] = function(0x24);                    // GM, light function key
  c[18] = c[19] = c[20] = kNoKeyCode;
  c[21] = key(0x35);                                                 // `
  for (int i = 0; i < 10; ++i) c[22 + i] = key(static_cast<std::uint8_t>(0x1E + i));  // 1..0
  c[32] = key(0x2D); c[33] = key(0x2E); c[34] = key(0x2A);          // - = BackSpace
  c[35] = key(0x49); c[36] = key(0x4A); c[37] = key(0x4B);          // Insert Home Page Up
  c[38] = key(0x53); c[39] = key(0x54); c[40] = key(0x55); c[41] = key(0x56);  // Num Lock / * -
  c[42] = key(0x2B);                                                 // Tab
  const std::uint8_t row2[] = {0x14, 0x1A, 0x08, 0x15, 0x17, 0x1C, 0x18, 0x0C, 0x12, 0x13,
                               0x2F, 0x30, 0x31};                    // Q..P [ ] backslash
  for (int i = 0; i < 13; ++i) c[43 + i] = key(row2[i]);
  c[56] = key(0x4C); c[57] = key(0x4D); c[58] = key(0x4E);          // Delete End Page Down
  c[59] = key(0x5F); c[60] = key(0x60); c[61] = key(0x61);          // Num 7 8 9
  c[62] = kNoKeyCode;
  c[63] = key(0x39);                                                 // Caps Lock
  const std::uint8_t row3[] = {0x04, 0x16, 0x07, 0x09, 0x0A, 0x0B, 0x0D, 0x0E, 0x0F,
                               0x33, 0x34, 0x28};                    // A..L ; ' Enter
  for (int i = 0; i < 12; ++i) c[64 + i] = key(row3[i]);
  c[76] = key(0x5C); c[77] = key(0x5D); c[78] = key(0x5E);          // Num 4 5 6
  c[79] = key(0x8A); c[80] = key(0x8B); c[81] = key(0x90);          // international keys
  c[82] = key(0x91); c[83] = key(0x88);
  c[84] = modifier(0x02);                                            // Left Shift
  const std::uint8_t row4[] = {0x1D, 0x1B, 0x06, 0x19, 0x05, 0x11, 0x10, 0x36, 0x37, 0x38};  // Z../
  for (int i = 0; i < 10; ++i) c[85 + i] = key(row4[i]);
  c[95] = modifier(0x20);                                            // Right Shift
  c[96] = key(0x52);                                                 // Up
  c[97] = key(0x59); c[98] = key(0x5A); c[99] = key(0x5B);          // Num 1 2 3
  c[100] = key(0x87); c[101] = key(0x89); c[102] = key(0x64); c[103] = key(0x85);  // international
  c[104] = kNoKeyCode;
  c[105] = modifier(0x01); c[106] = modifier(0x08); c[107] = modifier(0x04);  // LCtrl LWin LAlt
  c[108] = key(0x2C);                                                // Space
  c[109] = modifier(0x40);                                           // Right Alt
  c[110] = function(0x01);                                           // FN
  c[111] = key(0x65);                                                // App
  c[112] = modifier(0x10);                                           // Right Ctrl
  c[113] = key(0x50); c[114] = key(0x51); c[115] = key(0x4F);       // Left Down Right
  c[116] = key(0x62); c[117] = key(0x63);                           // Num 0, Num .
  c[118] = key(0x58); c[119] = key(0x57);                           // Num Enter, Num +
  for (int i = 0; i < 5; ++i) c[120 + i] = deviceMacro(static_cast<std::uint8_t>(1 + i));  // M1..M5
  c[125] = modifier(0x80);                                           // Right Win
  return c;
}

}  // namespace

const std::array<KeyCodeBytes, kPositionCount> kDefaultKeyCodes = makeDefaultCodes();

bool keyTableFits(std::size_t keyCount) { return keyCount * kKeyCodeBytes <= kDeviceTableBufferSize; }

PositionMap buildKeyToTablePos(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount) {
  PositionMap map;
  map.fill(kUnmapped);
  if (!keyTableFits(keyCount)) return map;
  // Device keys are numbered by a byte; 255 is the "unmapped" marker.
  const std::size_t keys = std::min({keyCount, keyCodeTable.size() / kKeyCodeBytes, std::size_t{kUnmapped}});
  for (std::size_t p = 0; p < kPositionCount; ++p) {
    for (std::size_t k = 0; k < keys; ++k) {
      const std::uint8_t* code = keyCodeTable.data() + k * kKeyCodeBytes;
      if (std::equal(code, code + kKeyCodeBytes, kDefaultKeyCodes[p].begin())) {
        map[p] = static_cast<std::uint8_t>(k);
        break;
      }
    }
  }
  return map;
}

PositionMap buildKeyToLed(const PositionMap& keyToTablePos, std::span<const std::uint8_t> lightIndexTable,
                          std::size_t keyCount) {
  PositionMap map;
  map.fill(kUnmapped);
  for (std::size_t p = 0; p < kPositionCount; ++p) {
    const std::uint8_t k = keyToTablePos[p];
    if (k != kUnmapped && k < keyCount && k < lightIndexTable.size()) map[p] = lightIndexTable[k];
  }
  return map;
}

int positionOfDeviceKey(const PositionMap& keyToTablePos, std::uint8_t deviceKey) {
  if (deviceKey == kUnmapped) return -1;
  const auto it = std::find(keyToTablePos.begin(), keyToTablePos.end(), deviceKey);
  return it == keyToTablePos.end() ? -1 : static_cast<int>(it - keyToTablePos.begin());
}

std::vector<std::uint8_t> keyTableImage(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount,
                                        const PositionMap& keyToTablePos,
                                        const std::vector<KeyAssignment>& assignments) {
  const std::size_t length = keyCount * kKeyCodeBytes;
  if (!keyTableFits(keyCount) || keyCodeTable.size() < length) return {};
  std::vector<std::uint8_t> image(keyCodeTable.begin(), keyCodeTable.begin() + static_cast<std::ptrdiff_t>(length));
  const std::size_t positions = std::min(assignments.size(), kPositionCount);
  for (std::size_t p = 0; p < positions; ++p) {
    const std::size_t k = keyToTablePos[p];
    if (k == kUnmapped || k >= keyCount) continue;
    std::copy(assignments[p].code.begin(), assignments[p].code.end(), image.begin() + static_cast<std::ptrdiff_t>(k * kKeyCodeBytes));
  }
  return image;
}

bool resetDanglingMacroKeys(std::vector<KeyAssignment>& assignments, std::size_t macroCount) {
  bool changed = false;
  for (KeyAssignment& a : assignments) {
    const std::uint8_t kind = a.code[0];
    const bool runsMacro = kind == kCodeKindMacroMode || kind == kCodeKindMacroRepeat;
    if (!runsMacro || a.code[1] < macroCount) continue;
    // Bytes 0..5 of the item take bytes 6..11 back: position and code.
    const KeyAssignment before = a;
    a.position = a.defaultPosition;
    a.code = a.defaultCode;
    changed = changed || !(a == before);
  }
  return changed;
}

}  // namespace kavro::keyboard
