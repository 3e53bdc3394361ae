#include "devices/lighting/sync_frames.h"

#include <algorithm>
#include <array>

namespace kavro::lighting {
namespace {

struct ModeRow {
  CommonEffect effect;
  std::uint8_t keyboard;
  std::uint8_t other;
};

constexpr ModeRow kModes[] = {
    {CommonEffect::Spectrum, 4, 1}, {CommonEffect::Breathing, 5, 2},
    {CommonEffect::Static, 6, 3},   {CommonEffect::Blinking, 22, 4},
    {CommonEffect::Off, 27, 8},
};

// Clock changes between two frames by speed level 0..4.
constexpr std::array<std::uint32_t, 5> kSyncThreshold = {28, 23, 18, 13, 7};
constexpr int kBreathWheelStep = 16;  // wheel entries per breath
constexpr int kBlinkWheelStep = 14;   // wheel entries per blink toggle

LedColor at(Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

std::uint8_t wheelPlus(std::uint8_t pos, int step) {
  const int next = pos + step;
  return static_cast<std::uint8_t>(next >= kWheelSize ? 0 : next);
}

}  // namespace

std::optional<CommonEffect> commonEffectOf(std::uint32_t deviceType, std::uint8_t mode) {
  const bool keyboard = deviceType == kKeyboardDeviceType;
  for (const ModeRow& row : kModes)
    if ((keyboard ? row.keyboard : row.other) == mode) return row.effect;
  return std::nullopt;
}

std::uint8_t modeOfCommonEffect(std::uint32_t deviceType, CommonEffect effect) {
  for (const ModeRow& row : kModes)
    if (row.effect == effect) return deviceType == kKeyboardDeviceType ? row.keyboard : row.other;
  return 0;
}

LedColor syncFrame(SyncState& s, CommonEffect effect, const LightParams& p, std::uint32_t nowMs) {
  const Rgb fixed{p.red, p.green, p.blue};
  const std::uint8_t level = levelBrightness(p.brightnessLevel);
  switch (effect) {
    case CommonEffect::Breathing: {
      s.phase = advance(p.direction, 128, s.phase, 1);
      if (p.colorful && s.phase < 2) s.wheelPos = wheelPlus(s.wheelPos, kBreathWheelStep);
      const auto b = static_cast<std::uint8_t>(level * kBreathing128[s.phase] >> 8);
      return at(p.colorful ? wheel(s.wheelPos) : fixed, b);
    }
    case CommonEffect::Static:
      return at(fixed, level);
    case CommonEffect::Blinking:
      if (nowMs - s.lastToggle >= blinkPeriodMs(p.speedLevel)) {
        s.blinkOn = !s.blinkOn;
        s.lastToggle = nowMs;
        s.wheelPos = wheelPlus(s.wheelPos, kBlinkWheelStep);
      }
      if (!s.blinkOn) return LedColor{};
      return at(p.colorful ? wheel(s.wheelPos) : fixed, level);
    case CommonEffect::Spectrum:
      s.wheelPos = wheelPlus(s.wheelPos, 1);
      return at(wheel(s.wheelPos), level);
    case CommonEffect::Off:
      break;
  }
  return LedColor{};
}

std::optional<LedColor> syncPass(SyncState& s, CommonEffect effect, const LightParams& p,
                                 std::uint32_t nowMs) {
  if (nowMs - s.lastCountMs > 1) {
    ++s.count;
    s.lastCountMs = nowMs;
  }
  const std::uint32_t threshold =
      kSyncThreshold[std::min<std::size_t>(p.speedLevel, kSyncThreshold.size() - 1)];
  if (s.count < threshold) return std::nullopt;
  s.count = 0;
  return syncFrame(s, effect, p, nowMs);
}

}  // namespace kavro::lighting
