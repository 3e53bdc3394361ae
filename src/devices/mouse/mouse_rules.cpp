#include "devices/mouse/mouse_rules.h"

#include <algorithm>
#include <climits>

#include "platform/input_settings.h"

namespace kavro::mouse {
namespace {

std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::size_t activeCount(const std::vector<DpiStage>& stages) {
  const std::size_t n = std::min(stages.size(), kStageCount);
  return static_cast<std::size_t>(
      std::count_if(stages.begin(), stages.begin() + static_cast<std::ptrdiff_t>(n), [](const DpiStage& s) {
        return s.active != 0;
      }));
}

// A stage added when a check past the profile's list is turned on.
DpiStage newStage(const DpiRange& range) {
  DpiStage s;
  s.dpiX = s.dpiY = sliderOfDpi(range, range.minDpi);
  s.red = s.green = s.blue = 255;
  return s;
}

// Connection states that the hint label explains: sleeping, link lost,
// battery low.
constexpr std::uint8_t kHintStates[] = {1, 2, 4};

}  // namespace

DpiRange dpiRangeFromInfo(std::span<const std::uint8_t> info) {
  if (info.size() < kDeviceInfoSize) return {};
  return {info[kInfoDpiStep], le16(info, kInfoDpiMaxSlider), le16(info, kInfoDpiMin)};
}

int parseDpiText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
  }
  if (negative) value = -value;
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int dpiFromText(const DpiRange& range, std::string_view text) {
  int dpi = std::max(parseDpiText(text), static_cast<int>(range.minDpi));
  if (range.known()) dpi = std::min(dpi, range.maxDpi());
  return dpi;
}

std::uint16_t sliderOfDpi(const DpiRange& range, int dpi) {
  if (range.step == 0 || dpi <= 0) return 0;
  long slider = (static_cast<long>(dpi) + range.step / 2) / range.step;
  while (slider * range.step < range.minDpi && slider < range.maxSlider) ++slider;
  if (range.maxSlider != 0) slider = std::min<long>(slider, range.maxSlider);
  return static_cast<std::uint16_t>(std::min<long>(slider, UINT16_MAX));
}

int dpiOfSlider(const DpiRange& range, std::uint16_t slider) { return static_cast<int>(slider) * range.step; }

SliderImages stageSliderImages(bool currentStage) {
  if (currentStage) return {"Control/SliderBar_BK3.png", "Control/SliderBar2_Thumb.png"};
  return {"Control/SliderBar_BK1.png", "Control/SliderBar1_Thumb.png"};
}

StageChecks stageChecks(const std::vector<DpiStage>& stages) {
  StageChecks c;
  for (std::size_t i = 0; i < kStageCount && i < stages.size(); ++i) c.selected[i] = stages[i].active != 0;
  const bool lastOne = activeCount(stages) == 1;
  for (std::size_t i = 0; i < kStageCount; ++i) c.enabled[i] = !(lastOne && c.selected[i]);
  return c;
}

bool setStageActive(std::vector<DpiStage>& stages, std::size_t index, bool on, const DpiRange& range) {
  if (index >= kStageCount) return false;
  if (!on) {
    if (index >= stages.size() || stages[index].active == 0) return false;
    if (activeCount(stages) <= 1) return false;  // the last active stage stays on
    stages[index].active = 0;
    return true;
  }
  while (stages.size() <= index) stages.push_back(newStage(range));
  if (stages[index].active != 0) return false;
  stages[index].active = 1;
  return true;
}

bool ensureActiveStage(std::vector<DpiStage>& stages, int currentStage, const DpiRange& range) {
  if (activeCount(stages) > 0) return false;
  std::size_t index = currentStageIndex(currentStage);
  if (index >= stages.size()) index = 0;
  return setStageActive(stages, index, true, range);
}

int pollingRateIndex(int index) {
  return index >= 0 && index < static_cast<int>(kPollingRateCount) ? index : 0;
}

int doubleClickMs(int sliderValue, int sliderMax) {
  return input::doubleClickMsFromSlider(std::clamp(sliderValue, 0, sliderMax), sliderMax);
}

DesktopPointer desktopPointer(const MouseSystemFields& f, int doubleClickSliderMax) {
  DesktopPointer d;
  d.pointerSpeed = input::pointerSpeedFromSlider(f.mouseSpeed);
  d.precision = f.pointerPrecision != 0;
  d.scrollLines = input::scrollLinesFromSlider(f.wheelLines, f.scrollPage != 0);
  d.doubleClickMs = doubleClickMs(f.doubleClickTime, doubleClickSliderMax);
  return d;
}

int settingsTabIndex(int index, int pageCount) { return index >= 0 && index < pageCount ? index : 0; }

bool connectionHintShown(std::uint8_t connectionState) {
  return std::find(std::begin(kHintStates), std::end(kHintStates), connectionState) != std::end(kHintStates);
}

}  // namespace kavro::mouse
