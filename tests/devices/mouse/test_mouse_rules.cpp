// DPI ranges and text boxes, DPI stage checks, polling rate, pointer values.
#include <gtest/gtest.h>

#include <array>

#include "devices/mouse/mouse_rules.h"
#include "platform/input_settings.h"

namespace kavro::mouse {
namespace {

const DpiRange kRange{50, 320, 100};  // 50 DPI a step, up to 16000, at least 100

TEST(MouseDpi, RangeFromDeviceInfo) {
  std::array<std::uint8_t, kDeviceInfoSize> info{};
  info[11] = 50;
  info[12] = 0x40;
  info[13] = 0x01;
  info[14] = 100;
  info[15] = 0;
  EXPECT_EQ(dpiRangeFromInfo(info), kRange);
  EXPECT_EQ(kRange.maxDpi(), 16000);
  EXPECT_FALSE(dpiRangeFromInfo(std::span(info).first(15)).known());
}

TEST(MouseDpi, TextBoxes) {
  EXPECT_EQ(dpiFromText(kRange, "800"), 800);
  EXPECT_EQ(dpiFromText(kRange, " 1600dpi"), 1600);
  EXPECT_EQ(dpiFromText(kRange, ""), 100);        // empty counts as 0, then raised
  EXPECT_EQ(dpiFromText(kRange, "fast"), 100);    // not a number: 0, then raised
  EXPECT_EQ(dpiFromText(kRange, "-400"), 100);
  EXPECT_EQ(dpiFromText(kRange, "99999999999999"), 16000);  // limited to the largest DPI
  EXPECT_EQ(dpiFromText(DpiRange{}, "99999999999999"), 2147483647);  // no range known yet
  EXPECT_EQ(parseDpiText("+42x"), 42);
}

TEST(MouseDpi, SliderValues) {
  EXPECT_EQ(sliderOfDpi(kRange, 800), 16);
  EXPECT_EQ(sliderOfDpi(kRange, 824), 16);
  EXPECT_EQ(sliderOfDpi(kRange, 825), 17);   // nearest step
  EXPECT_EQ(sliderOfDpi(kRange, 20000), 320);
  EXPECT_EQ(sliderOfDpi({50, 320, 130}, 130), 3);  // never below the smallest DPI
  EXPECT_EQ(sliderOfDpi(DpiRange{}, 800), 0);       // no step: no division by zero
  EXPECT_EQ(dpiOfSlider(kRange, 16), 800);
}

std::vector<DpiStage> stagesWithActive(std::initializer_list<int> active) {
  std::vector<DpiStage> s;
  for (int a : active) s.push_back({static_cast<std::uint8_t>(a), 0, 16, 16, 0, 0, 0});
  return s;
}

TEST(MouseDpiStages, TheLastActiveStageCannotBeTurnedOff) {
  auto stages = stagesWithActive({1, 1, 0, 0, 0});
  EXPECT_EQ(stageChecks(stages).enabled, (std::array<bool, 5>{true, true, true, true, true}));
  // Turning off the last but one leaves one selected, and its check disabled.
  EXPECT_TRUE(setStageActive(stages, 0, false, kRange));
  const StageChecks c = stageChecks(stages);
  EXPECT_EQ(c.selected, (std::array<bool, 5>{false, true, false, false, false}));
  EXPECT_EQ(c.enabled, (std::array<bool, 5>{true, false, true, true, true}));
  EXPECT_FALSE(setStageActive(stages, 1, false, kRange));  // refused
  EXPECT_EQ(stages[1].active, 1);
  // Turning one on enables all five again.
  EXPECT_TRUE(setStageActive(stages, 3, true, kRange));
  EXPECT_EQ(stageChecks(stages).enabled, (std::array<bool, 5>{true, true, true, true, true}));
}

TEST(MouseDpiStages, StagesPastTheProfilesList) {
  auto stages = stagesWithActive({1, 1, 1});
  EXPECT_EQ(stageChecks(stages).selected, (std::array<bool, 5>{true, true, true, false, false}));
  EXPECT_FALSE(setStageActive(stages, 4, false, kRange));
  EXPECT_TRUE(setStageActive(stages, 4, true, kRange));
  ASSERT_EQ(stages.size(), 5u);
  EXPECT_EQ(stages[3].active, 0);
  EXPECT_EQ(stages[4].active, 1);
  EXPECT_EQ(stages[4].dpiX, 2);  // added at the smallest DPI
  EXPECT_FALSE(setStageActive(stages, 5, true, kRange));
}

TEST(MouseDpiStages, AProfileWithNoActiveStageGetsOneBack) {
  auto stages = stagesWithActive({0, 0, 0});
  EXPECT_TRUE(ensureActiveStage(stages, 2, kRange));
  EXPECT_EQ(stages[2].active, 1);
  EXPECT_FALSE(ensureActiveStage(stages, 0, kRange));
  std::vector<DpiStage> none;
  EXPECT_TRUE(ensureActiveStage(none, 3, kRange));
  ASSERT_EQ(none.size(), 1u);
  EXPECT_EQ(none[0].active, 1);
}

TEST(MouseRules, PollingRateDoubleClickAndPointer) {
  EXPECT_EQ(pollingRateIndex(4), 4);
  EXPECT_EQ(pollingRateIndex(5), 0);
  EXPECT_EQ(pollingRateIndex(-1), 0);
  EXPECT_EQ(doubleClickMs(0), 1000);
  EXPECT_EQ(doubleClickMs(9), 100);
  EXPECT_EQ(doubleClickMs(5, 20), 1600);
  EXPECT_EQ(doubleClickMs(50), 100);  // a stored value past the slider counts as its end
  const DesktopPointer d = desktopPointer({5, 4, 1, 1, 3, 0});
  EXPECT_EQ(d, (DesktopPointer{10, true, input::kScrollPage, 500}));
  EXPECT_EQ(desktopPointer({5, 4, 0, 0, 3, 0}).scrollLines, 4);
}

TEST(MouseRules, SlidersAndTabs) {
  EXPECT_STREQ(stageSliderImages(true).bar, "Control/SliderBar_BK3.png");
  EXPECT_STREQ(stageSliderImages(false).thumb, "Control/SliderBar1_Thumb.png");
  EXPECT_EQ(settingsTabIndex(1, 2), 1);
  EXPECT_EQ(settingsTabIndex(2, 2), 0);
  EXPECT_EQ(settingsTabIndex(-1, 2), 0);
}

TEST(MouseRules, ConnectionHint) {
  for (std::uint8_t s : {1, 2, 4}) EXPECT_TRUE(connectionHintShown(s)) << int(s);
  for (std::uint8_t s : {0, 3, 5, 255}) EXPECT_FALSE(connectionHintShown(s)) << int(s);
}

}  // namespace
}  // namespace kavro::mouse
