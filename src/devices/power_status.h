#pragma once
// What the battery/charging display shows for a device's 6-byte status block.
#include <array>
#include <cstdint>
#include <string>

namespace kavro::devices {

// Status block bytes.
constexpr size_t kStatusLevel = 0;     // battery level in percent
constexpr size_t kStatusCharging = 1;  // 0 powered, 1 charging, 2 on battery
constexpr size_t kStatusWireless = 3;  // 1 when the link is wireless
constexpr size_t kStatusPhone = 5;     // phone on the charging pad (mousepads)

struct PowerView {
  int barValue = 0;            // battery bar: 100 - level
  std::string valueText;       // "80%"
  bool barVisible = true;
  std::string statusImage;     // "file='power/...png'"
  bool wirelessLogoVisible = false;
  bool wirelessLogoTouched = false;  // only mouse pages show the wireless symbol
  bool phoneShown = false;           // only mousepad pages show the phone
  std::string phoneText;             // language key
  std::string phoneImage;
};

PowerView powerView(const std::array<uint8_t, 6>& status, int deviceType, int role);

}  // namespace kavro::devices
