#pragma once
// Lighting records of a profile and their JSON forms: the 13-byte light
// setting, the per-key light list entries, the steps of a custom light effect
// and the per-key custom colours.
#include <array>
#include <cstdint>
#include <vector>

#include <json/json.h>

namespace kavro::profiles {

// The 13-byte lighting record. Bytes 8..10 are not stored in files.
struct LightSetting {
  std::uint8_t effect = 0;      // byte 0 "SelectItem"
  std::uint8_t brightness = 0;  // byte 1 "Light"
  std::uint8_t speed = 0;       // byte 2 "Speed"
  std::uint8_t direction = 0;   // byte 3 "Fx"
  std::uint8_t multiColor = 0;  // byte 4 "MultiColor", 0 or 1
  std::uint8_t red = 0;         // byte 5
  std::uint8_t green = 0;       // byte 6
  std::uint8_t blue = 0;        // byte 7
  std::array<std::uint8_t, 3> reserved{};  // bytes 8..10
  std::uint8_t areaEffect = 0;   // byte 11 "ZZCCLedMode"
  std::uint8_t customGroup = 0;  // byte 12 "CustomGroup"

  bool operator==(const LightSetting&) const = default;
};

inline constexpr std::size_t kLightSettingBytes = 13;

// The exchange form between device and panel: three words and one byte.
struct LightSettingWords {
  std::uint32_t word0 = 0;  // bytes 0..3, byte 0 in the low bits
  std::uint32_t word1 = 0;  // bytes 4..7
  std::uint32_t word2 = 0;  // bytes 8..11
  std::uint8_t customGroup = 0;  // byte 12

  bool operator==(const LightSettingWords&) const = default;
};

LightSettingWords packLightSetting(const LightSetting& s);
LightSetting unpackLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2,
                                std::uint8_t customGroup);
inline LightSetting unpackLightSetting(const LightSettingWords& w) {
  return unpackLightSetting(w.word0, w.word1, w.word2, w.customGroup);
}
std::array<std::uint8_t, kLightSettingBytes> lightSettingBytes(const LightSetting& s);
LightSetting lightSettingFromBytes(const std::array<std::uint8_t, kLightSettingBytes>& b);

// "LightInfo" <-> record. Reading leaves bytes 8..10 zero.
LightSetting lightSettingFromJson(const Json::Value& info);
Json::Value lightSettingToJson(const LightSetting& s);

// One element of "LightList": how the per-key engine animates one key.
struct LightListEntry {
  std::uint8_t mode = 0;        // "LEDREGMode"
  std::uint8_t brightness = 0;  // "LEDBrightness"
  std::uint8_t speed = 0;       // "LEDSpeed"
  std::uint8_t direction = 0;   // "LEDDirection", 0 or 1
  std::uint8_t multiColor = 0;  // "LEDMultiColor", 0 or 1
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t valid = 0;  // 1 when the array element is an object

  bool operator==(const LightListEntry&) const = default;
};

LightListEntry lightListEntryFromJson(const Json::Value& element);
std::vector<LightListEntry> lightListFromJson(const Json::Value& list);

// One step of a custom light effect (".light" file, "LEDEffectList").
struct LightEffectStep {
  std::uint8_t mode = 0;        // "LEDREGMode"
  std::uint8_t brightness = 0;  // "LEDBrightness"
  std::uint8_t speed = 0;       // "LEDSpeed"
  std::uint8_t direction = 0;   // "LEDDirection"
  std::uint8_t multiColor = 0;  // "LEDMultiColor"
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::int32_t timeMs = 0;      // "Time", how long the step lasts
  std::int32_t repetitions = 0; // "Cyle"

  bool operator==(const LightEffectStep&) const = default;
};

LightEffectStep effectStepFromJson(const Json::Value& element);
std::vector<LightEffectStep> effectStepsFromJson(const Json::Value& lightFile);

// One key's colour in a custom colour group.
struct KeyColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 0;

  bool operator==(const KeyColor&) const = default;
};

KeyColor keyColorFromJson(const Json::Value& element);
Json::Value keyColorToJson(const KeyColor& c);

}  // namespace kavro::profiles
