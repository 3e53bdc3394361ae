#include "devices/mouse/mouse_buttons.h"

#include <algorithm>

namespace kavro::mouse {
namespace {

// Kinds (byte 0) of the mouse's factory codes.
constexpr std::uint8_t kCodeMouseButton = 0x10;  // byte 1: button bit
constexpr std::uint8_t kCodeDpi = 0x13;          // byte 1: 1 up, 2 down, 3 loop
constexpr std::uint8_t kCodeFunction = 0xA0;     // byte 1: 0x1B game mode
constexpr std::uint8_t kCodeM8 = 0x16;

constexpr KeyCodeBytes button(std::uint8_t bit) { return {kCodeMouseButton, bit, 0x00}; }
constexpr KeyCodeBytes dpi(std::uint8_t action) { return {kCodeDpi, action, 0x00}; }

}  // namespace

const std::array<KeyCodeBytes, kButtonCount> kDefaultButtonCodes = {
    button(0x01),                      // left
    button(0x02),                      // right
    button(0x04),                      // middle
    button(0x10),                      // forward
    button(0x08),                      // back
    dpi(0x01),                         // DPI up
    dpi(0x02),                         // DPI down
    dpi(0x03),                         // DPI loop
    KeyCodeBytes{kCodeFunction, 0x1B, 0x00},  // game mode
    KeyCodeBytes{kCodeM8, 0x90, 0x01},        // M8
};

const std::array<std::string_view, kButtonCount> kButtonControlNames = {
    "mouse_key_left",    "mouse_key_right",   "mouse_key_middle",  "mouse_key_forward", "mouse_key_back",
    "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop", "keyboard_key_GM",  "mouse_key_M8_key",
};

int positionOfDefaultCode(const KeyCodeBytes& code) {
  const auto it = std::find(kDefaultButtonCodes.begin(), kDefaultButtonCodes.end(), code);
  return it == kDefaultButtonCodes.end() ? -1 : static_cast<int>(it - kDefaultButtonCodes.begin());
}

int buttonPositionOfControl(std::string_view controlName) {
  const auto it = std::find(kButtonControlNames.begin(), kButtonControlNames.end(), controlName);
  return it == kButtonControlNames.end() ? -1 : static_cast<int>(it - kButtonControlNames.begin());
}

bool keyTableFits(std::size_t keyCount) { return keyCount * kKeyCodeBytes <= kKeyTableBufferSize; }

ButtonMap buildButtonMap(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount) {
  ButtonMap map;
  map.fill(kNoDeviceKey);
  if (!keyTableFits(keyCount)) return map;
  // A device key numbered kNoDeviceKey or above could not be told from the
  // marker, so the search stops before it.
  const std::size_t keys = std::min({keyCount, keyCodeTable.size() / kKeyCodeBytes, std::size_t{kNoDeviceKey}});
  for (std::size_t p = 0; p < kButtonCount; ++p) {
    const KeyCodeBytes& wanted = kDefaultButtonCodes[p];
    for (std::size_t k = 0; k < keys; ++k) {
      if (std::equal(wanted.begin(), wanted.end(), keyCodeTable.begin() + static_cast<std::ptrdiff_t>(k * kKeyCodeBytes))) {
        map[p] = static_cast<std::uint8_t>(k);
        break;
      }
    }
  }
  return map;
}

int positionOfDeviceKey(const ButtonMap& map, std::uint8_t deviceKey) {
  if (deviceKey == kNoDeviceKey) return -1;
  const auto it = std::find(map.begin(), map.end(), deviceKey);
  return it == map.end() ? -1 : static_cast<int>(it - map.begin());
}

std::vector<std::uint8_t> keyTableImage(std::span<const std::uint8_t> keyCodeTable, std::size_t keyCount,
                                        const ButtonMap& map, const std::vector<KeyAssignment>& assignments) {
  const std::size_t length = keyCount * kKeyCodeBytes;
  if (!keyTableFits(keyCount) || keyCodeTable.size() < length) return {};
  std::vector<std::uint8_t> image(keyCodeTable.begin(), keyCodeTable.begin() + static_cast<std::ptrdiff_t>(length));
  const std::size_t positions = std::min(assignments.size(), kButtonCount);
  for (std::size_t p = 0; p < positions; ++p) {
    const std::size_t k = map[p];
    if (k == kNoDeviceKey || k >= keyCount) continue;
    std::copy(assignments[p].code.begin(), assignments[p].code.end(),
              image.begin() + static_cast<std::ptrdiff_t>(k * kKeyCodeBytes));
  }
  return image;
}

}  // namespace kavro::mouse
