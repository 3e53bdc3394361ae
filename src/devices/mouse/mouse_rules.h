#pragma once
// The mouse page's value rules: DPI control ranges and text boxes, which DPI
// stages may be turned off, polling rate choices, and the pointer settings the
// desktop gets from the profile.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "devices/mouse/mouse_settings.h"

namespace kavro::mouse {

// ---- DPI ------------------------------------------------------------------------

// Device information bytes of the DPI controls.
inline constexpr std::size_t kInfoDpiStep = 11;       // DPI = slider value x this byte
inline constexpr std::size_t kInfoDpiMaxSlider = 12;  // 16 bits, low byte first: largest slider value
inline constexpr std::size_t kInfoDpiMin = 14;        // 16 bits, low byte first: smallest DPI of a text box
inline constexpr std::size_t kDeviceInfoSize = 34;

struct DpiRange {
  std::uint8_t step = 0;        // DPI per slider step
  std::uint16_t maxSlider = 0;  // the sliders run 0..maxSlider
  std::uint16_t minDpi = 0;     // smallest DPI a text box accepts

  bool known() const { return step != 0 && maxSlider != 0; }
  // The largest DPI a text box accepts: maxSlider x step.
  int maxDpi() const { return static_cast<int>(maxSlider) * step; }
  bool operator==(const DpiRange&) const = default;
};

// The ranges from the 34-byte device information record (a shorter record
// gives an unknown range).
DpiRange dpiRangeFromInfo(std::span<const std::uint8_t> info);

// A text box's number: leading blanks, an optional sign and the digits up to
// the first other character. Empty text and text that is no number read as 0;
// values past the int range stop at its ends.
int parseDpiText(std::string_view text);

// The DPI a text box stands for: its number raised to the smallest DPI when
// below it, and, with a known range, limited to the largest DPI.
int dpiFromText(const DpiRange& range, std::string_view text);

// The slider value of a DPI (nearest step, and never below the smallest DPI
// while the range allows), and the DPI a slider value shows.
std::uint16_t sliderOfDpi(const DpiRange& range, int dpi);
int dpiOfSlider(const DpiRange& range, std::uint16_t slider);

// The images of a stage's slider: the current stage's stand out.
struct SliderImages {
  const char* bar;
  const char* thumb;
};
SliderImages stageSliderImages(bool currentStage);

// ---- DPI stage checks -----------------------------------------------------------

// The five stage checks: which are selected and which the user may change.
struct StageChecks {
  std::array<bool, kStageCount> selected{};
  std::array<bool, kStageCount> enabled{};
  bool operator==(const StageChecks&) const = default;
};

// A stage's check is selected while the stage is active. When exactly one is
// selected that check is disabled (the last active stage cannot be turned
// off); otherwise all five are enabled. Stages past the list are unselected.
StageChecks stageChecks(const std::vector<DpiStage>& stages);

// Turns stage `index` on or off. Turning off the only active stage is refused.
// Turning on a stage past the end of the list first adds stages at the
// smallest DPI. Returns true when the list changed.
bool setStageActive(std::vector<DpiStage>& stages, std::size_t index, bool on, const DpiRange& range);

// A profile whose stages are all off (a damaged file) gets its current stage,
// or stage 0, back on, so the mouse always has a DPI to use. True when
// anything changed.
bool ensureActiveStage(std::vector<DpiStage>& stages, int currentStage, const DpiRange& range);

// ---- polling rate ---------------------------------------------------------------

inline constexpr std::size_t kPollingRateCount = 5;
// The report rate of each choice, as the page labels them.
inline constexpr std::array<int, kPollingRateCount> kPollingRatesHz = {125, 250, 500, 1000, 2000};
// The choice an index selects: 0..4, anything else 0.
int pollingRateIndex(int index);

// ---- pointer settings ------------------------------------------------------------

// The double-click slider runs 0..kDoubleClickSliderMax: value v stands for
// (max - v + 1) x 100 ms, so 100..1000 ms with the factory 5 at 500 ms.
inline constexpr int kDoubleClickSliderMax = 9;
int doubleClickMs(int sliderValue, int sliderMax = kDoubleClickSliderMax);

// What the desktop gets from the profile's pointer values.
struct DesktopPointer {
  int pointerSpeed = 0;   // 1..20
  bool precision = false;
  int scrollLines = 0;    // lines per notch, or a whole page
  int doubleClickMs = 0;
  bool operator==(const DesktopPointer&) const = default;
};
DesktopPointer desktopPointer(const MouseSystemFields& fields, int doubleClickSliderMax = kDoubleClickSliderMax);

// ---- settings tabs ----------------------------------------------------------------

// The settings page a tab index shows: the index, or 0 when it is not below
// the number of pages.
int settingsTabIndex(int index, int pageCount);

// ---- connection state ------------------------------------------------------------

// The page's hint label is shown for these connection states (status byte 4)
// and hidden for every other.
bool connectionHintShown(std::uint8_t connectionState);

}  // namespace kavro::mouse
