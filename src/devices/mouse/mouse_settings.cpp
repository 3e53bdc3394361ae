#include "devices/mouse/mouse_settings.h"

#include <algorithm>

#include "devices/mouse/mouse_rules.h"

namespace kavro::mouse {
namespace {

using profiles::halves;
using profiles::high16;
using profiles::low16;

void putLe16(SettingsBlock& b, std::size_t at, int value) {
  const int v = std::clamp(value, 0, 0xFFFF);
  b[at] = static_cast<std::uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

}  // namespace

MouseSystemFields systemFields(const MouseSystemSettings& w) {
  MouseSystemFields f;
  f.doubleClickTime = low16(w.word0);
  f.mouseSpeed = high16(w.word0);
  f.pointerPrecision = low16(w.word1);
  f.scrollPage = high16(w.word1);
  f.wheelLines = low16(w.word2);
  f.pollingRate = high16(w.word2);
  return f;
}

MouseSystemSettings systemWords(const MouseSystemFields& f) {
  return {halves(f.mouseSpeed, f.doubleClickTime), halves(f.scrollPage, f.pointerPrecision),
          halves(f.pollingRate, f.wheelLines)};
}

std::optional<CorrectionEntry> selectedCorrection(const std::vector<CorrectionEntry>& corrections) {
  const auto it = std::find_if(corrections.begin(), corrections.end(),
                               [](const CorrectionEntry& c) { return c.select != 0; });
  if (it == corrections.end()) return std::nullopt;
  return *it;
}

std::uint8_t currentStageIndex(int stage) {
  return stage >= 0 && stage < static_cast<int>(kStageCount) ? static_cast<std::uint8_t>(stage) : 0;
}

SettingsBlock encodeSettingsBlock(const SettingsSource& src) {
  const LightSetting& light = src.light;
  SettingsBlock b{};
  b[kSbFirstByte] = 0;
  b[kSbEffect] = light.effect < kEffectCount ? light.effect : 0;
  b[kSbBrightness] = light.brightness;
  b[kSbSpeed] = static_cast<std::uint8_t>(kMaxSpeed - std::min(light.speed, kMaxSpeed));
  b[kSbDirection] = light.direction;
  b[kSbMultiColor] = light.multiColor;
  b[kSbRed] = light.red;
  b[kSbGreen] = light.green;
  b[kSbBlue] = light.blue;
  b[kSbPollingRate] = static_cast<std::uint8_t>(pollingRateIndex(systemFields(src.system).pollingRate));
  b[kSbCurrentStage] = currentStageIndex(src.currentStage);
  const std::size_t stages = std::min(src.stages.size(), kStageCount);
  for (std::size_t i = 0; i < stages; ++i) {
    const auto bytes = profiles::dpiStageBytes(src.stages[i]);
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(kSbStages + i * bytes.size()));
  }
  b[kSbScreenFlag] = kScreenSizeFollows;
  putLe16(b, kSbScreenWidth, src.screen.width);
  putLe16(b, kSbScreenHeight, src.screen.height);
  if (const auto correction = selectedCorrection(src.corrections)) {
    b[kSbCorrectMinSq] = correction->minSq;
    b[kSbCorrectPixThresh] = correction->pixThresh;
  }
  return b;
}

void decodeSettingsBlock(const SettingsBlock& b, LightSetting& light, int& currentStage) {
  light.effect = b[kSbEffect];
  light.brightness = b[kSbBrightness];
  light.speed = b[kSbSpeed] > kMaxSpeed ? 0 : static_cast<std::uint8_t>(kMaxSpeed - b[kSbSpeed]);
  light.multiColor = b[kSbMultiColor] != 0 ? 1 : 0;
  light.red = b[kSbRed];
  light.green = b[kSbGreen];
  light.blue = b[kSbBlue];
  currentStage = currentStageIndex(b[kSbCurrentStage]);
}

}  // namespace kavro::mouse
