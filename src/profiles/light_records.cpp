#include "profiles/light_records.h"

#include "profiles/json_access.h"
#include "profiles/profile_keys.h"

namespace kavro::profiles {
namespace {
std::uint8_t byteOf(std::uint32_t word, int index) {
  return static_cast<std::uint8_t>(word >> (8 * index));
}
std::uint32_t wordOf(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
  return static_cast<std::uint32_t>(b0) | static_cast<std::uint32_t>(b1) << 8 |
         static_cast<std::uint32_t>(b2) << 16 | static_cast<std::uint32_t>(b3) << 24;
}
}  // namespace

std::array<std::uint8_t, kLightSettingBytes> lightSettingBytes(const LightSetting& s) {
  return {s.effect, s.brightness, s.speed, s.direction, s.multiColor, s.red, s.green,
          s.blue, s.reserved[0], s.reserved[1], s.reserved[2], s.areaEffect, s.customGroup};
}

LightSetting lightSettingFromBytes(const std::array<std::uint8_t, kLightSettingBytes>& b) {
  LightSetting s;
  s.effect = b[0];
  s.brightness = b[1];
  s.speed = b[2];
  s.direction = b[3];
  s.multiColor = b[4];
  s.red = b[5];
  s.green = b[6];
  s.blue = b[7];
  s.reserved = {b[8], b[9], b[10]};
  s.areaEffect = b[11];
  s.customGroup = b[12];
  return s;
}

LightSettingWords packLightSetting(const LightSetting& s) {
  auto b = lightSettingBytes(s);
  return {wordOf(b[0], b[1], b[2], b[3]), wordOf(b[4], b[5], b[6], b[7]),
          wordOf(b[8], b[9], b[10], b[11]), b[12]};
}

LightSetting unpackLightSetting(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2,
                                std::uint8_t customGroup) {
  std::array<std::uint8_t, kLightSettingBytes> b{};
  for (int i = 0; i < 4; ++i) {
    b[i] = byteOf(word0, i);
    b[4 + i] = byteOf(word1, i);
    b[8 + i] = byteOf(word2, i);
  }
  b[12] = customGroup;
  return lightSettingFromBytes(b);
}

LightSetting lightSettingFromJson(const Json::Value& info) {
  using json::member;
  using json::toByte;
  LightSetting s;
  s.effect = toByte(member(info, keys::kSelectItem));
  s.brightness = toByte(member(info, keys::kLight));
  s.speed = toByte(member(info, keys::kSpeed));
  s.direction = toByte(member(info, keys::kFx));
  s.multiColor = json::toBool(member(info, keys::kMultiColor)) ? 1 : 0;
  s.red = toByte(member(info, keys::kRed));
  s.green = toByte(member(info, keys::kGreen));
  s.blue = toByte(member(info, keys::kBlue));
  s.areaEffect = toByte(member(info, keys::kAreaLedMode));
  s.customGroup = toByte(member(info, keys::kCustomGroup));
  return s;
}

Json::Value lightSettingToJson(const LightSetting& s) {
  Json::Value info(Json::objectValue);
  info[keys::kSelectItem] = s.effect;
  info[keys::kLight] = s.brightness;
  info[keys::kSpeed] = s.speed;
  info[keys::kFx] = s.direction;
  info[keys::kMultiColor] = s.multiColor;
  info[keys::kRed] = s.red;
  info[keys::kGreen] = s.green;
  info[keys::kBlue] = s.blue;
  info[keys::kAreaLedMode] = s.areaEffect;
  info[keys::kCustomGroup] = s.customGroup;
  return info;
}

LightListEntry lightListEntryFromJson(const Json::Value& element) {
  LightListEntry e;
  // Only objects describe a key; anything else leaves the key to the effect.
  if (!element.isObject()) return e;
  using json::member;
  using json::toByte;
  e.mode = toByte(member(element, keys::kLedMode));
  e.brightness = toByte(member(element, keys::kLedBrightness));
  e.speed = toByte(member(element, keys::kLedSpeed));
  e.direction = json::toBool(member(element, keys::kLedDirection)) ? 1 : 0;
  e.multiColor = json::toBool(member(element, keys::kLedMultiColor)) ? 1 : 0;
  e.red = toByte(member(element, keys::kLedRed));
  e.green = toByte(member(element, keys::kLedGreen));
  e.blue = toByte(member(element, keys::kLedBlue));
  e.valid = 1;
  return e;
}

std::vector<LightListEntry> lightListFromJson(const Json::Value& list) {
  std::vector<LightListEntry> out;
  Json::ArrayIndex n = json::arraySize(list);
  out.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) out.push_back(lightListEntryFromJson(list[i]));
  return out;
}

LightEffectStep effectStepFromJson(const Json::Value& element) {
  using json::member;
  using json::toByte;
  LightEffectStep s;
  s.mode = toByte(member(element, keys::kLedMode));
  s.brightness = toByte(member(element, keys::kLedBrightness));
  s.speed = toByte(member(element, keys::kLedSpeed));
  s.direction = toByte(member(element, keys::kLedDirection));
  s.multiColor = toByte(member(element, keys::kLedMultiColor));
  s.red = toByte(member(element, keys::kLedRed));
  s.green = toByte(member(element, keys::kLedGreen));
  s.blue = toByte(member(element, keys::kLedBlue));
  s.timeMs = json::toInt(member(element, keys::kStepTime));
  s.repetitions = json::toInt(member(element, keys::kStepCycles));
  return s;
}

std::vector<LightEffectStep> effectStepsFromJson(const Json::Value& lightFile) {
  const Json::Value& list = json::member(lightFile, keys::kLedEffectList);
  std::vector<LightEffectStep> out;
  Json::ArrayIndex n = json::arraySize(list);
  out.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) out.push_back(effectStepFromJson(list[i]));
  return out;
}

KeyColor keyColorFromJson(const Json::Value& element) {
  using json::member;
  using json::toByte;
  return {toByte(member(element, keys::kRed)), toByte(member(element, keys::kGreen)),
          toByte(member(element, keys::kBlue)), toByte(member(element, keys::kAlpha))};
}

Json::Value keyColorToJson(const KeyColor& c) {
  Json::Value v(Json::objectValue);
  v[keys::kRed] = c.red;
  v[keys::kGreen] = c.green;
  v[keys::kBlue] = c.blue;
  v[keys::kAlpha] = c.alpha;
  return v;
}

}  // namespace kavro::profiles
