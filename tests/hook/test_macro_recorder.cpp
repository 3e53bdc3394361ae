#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include "hook/macro_recorder.h"
#include "macros/key_tables.h"

namespace kavro::hook {
namespace {

using macros::DelayForm;
using macros::MacroEvent;
using macros::MacroStepList;
using Kind = RecordOutcome::Kind;

KeyInput key(int linuxKey, bool down) { return keyInputForLinuxKey(linuxKey, down, 0); }

MouseInput mouse(MouseButton b, bool down, int x = 500, int y = 500) {
  return mouseInputForButton(b, down, x, y, 0);
}

// A recorder started at t = 1000 ms, and helpers that feed it at given times.
class RecorderTest : public ::testing::Test {
 protected:
  void start(RecordDelayMode mode, std::string_view constant = "50") { rec.start(mode, 1000, constant); }
  RecordOutcome press(int k, std::uint64_t t, Placement p = Placement::Append) {
    return rec.recordKey(list, p, key(k, true), t);
  }
  RecordOutcome release(int k, std::uint64_t t, Placement p = Placement::Append) {
    return rec.recordKey(list, p, key(k, false), t);
  }
  int delay(std::size_t i) const { return list.at(i).event.delay; }

  MacroRecorder rec;
  MacroStepList list;
};

TEST_F(RecorderTest, RecordedTimeMeasuresGapsAndDropsHeldKeyRepeats) {
  start(RecordDelayMode::Recorded);
  EXPECT_EQ(press(KEY_A, 1100).kind, Kind::Inserted);
  EXPECT_TRUE(press(KEY_A, 1130).dropped());  // auto-repeat of the held key
  EXPECT_TRUE(press(KEY_A, 1160).dropped());
  const auto up = release(KEY_A, 1250);
  EXPECT_EQ(up.kind, Kind::Inserted);
  EXPECT_EQ(up.delayChangedAt, std::optional<std::size_t>(0));
  press(KEY_A, 1400);  // pressed again after release: a new step
  // A gap longer than the longest wait is kept as the longest wait.
  release(KEY_A, 1400 + 70000);

  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list.at(0).event, (MacroEvent{macros::kTypeKey, 0x04, true, 150}));
  EXPECT_EQ(list.at(1).event, (MacroEvent{macros::kTypeKey, 0x04, false, 150}));
  EXPECT_EQ(delay(2), macros::kMaxDelay);
  EXPECT_EQ(delay(3), 0);
  // The first step's delay stays the integer 0 only until the gap after it is known.
  EXPECT_EQ(list.at(0).delayForm, DelayForm::Text);
}

TEST_F(RecorderTest, EventTicksMayWrapOrPrecedeTheStart) {
  rec.start(RecordDelayMode::Recorded, 0x1'FFFF'FF00ull);  // a 64-bit tick; events carry 32 bits
  press(KEY_C, 0xFFFF'FF80u);
  press(KEY_A, 0x80);      // 256 ms later, after the 32-bit wrap
  release(KEY_A, 0x40);    // stamped before the press: no wait
  press(KEY_B, 0x40 + 90);
  EXPECT_EQ(delay(0), 256);
  EXPECT_EQ(delay(1), 0);
  EXPECT_EQ(delay(2), 90);
}

TEST_F(RecorderTest, FirstStepOfAnEmptyListHoldsTheIntegerZero) {
  start(RecordDelayMode::Constant, "80");
  press(KEY_B, 5000);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list.at(0).delayForm, DelayForm::Integer);
  EXPECT_EQ(delay(0), 0);
  EXPECT_EQ(list.eventsForSave()[0].delay, 0);
  EXPECT_EQ(list.at(0).delayForm, DelayForm::Text);
}

TEST_F(RecorderTest, ConstantTimeIsCappedAndCarriedByEveryStep) {
  EXPECT_EQ(rec.start(RecordDelayMode::Constant, 0, "70000"), macros::kMaxDelay);
  EXPECT_EQ(rec.start(RecordDelayMode::Constant, 0, "120"), 120);
  press(KEY_LEFTSHIFT, 10);
  press(KEY_S, 9000);
  release(KEY_S, 9001);
  release(KEY_LEFTSHIFT, 9002);
  ASSERT_EQ(list.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(delay(i), 120) << i;
  EXPECT_EQ(list.at(0).event.type, macros::kTypeModifierKey);
  EXPECT_EQ(list.at(0).event.button, macros::kModLShift);
}

TEST_F(RecorderTest, IgnoredTimeGivesZeroWaits) {
  start(RecordDelayMode::Ignore);
  press(KEY_Z, 2000);
  release(KEY_Z, 4000);
  press(KEY_X, 9000);
  ASSERT_EQ(list.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(delay(i), 0);
}

TEST_F(RecorderTest, KeysAreFoundByScanCodeAndExtendedFlag) {
  start(RecordDelayMode::Ignore);
  press(KEY_RIGHTALT, 1);   // 0x38 extended: RAlt, not LAlt
  press(KEY_KPENTER, 2);    // 0x1C extended: keypad Enter, not Enter
  press(KEY_CAPSLOCK, 3);   // lock keys are recorded like any key
  EXPECT_TRUE(press(KEY_VOLUMEUP, 4).dropped());  // not in the scan code table
  KeyInput unknown = key(KEY_A, true);
  unknown.record.scanCode = 0x1FE;
  EXPECT_TRUE(rec.recordKey(list, Placement::Append, unknown, 5).dropped());
  unknown.message = 0x102;  // not a key press or release
  unknown.record.scanCode = 0x1E;
  EXPECT_TRUE(rec.recordKey(list, Placement::Append, unknown, 6).dropped());
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.at(0).event, (MacroEvent{macros::kTypeModifierKey, macros::kModRAlt, true, 0}));
  EXPECT_EQ(list.at(1).event.button, 0x58);
  EXPECT_EQ(list.at(2).event.button, 0x39);
  // A system-key press (Alt held) counts as a press.
  KeyInput sys = key(KEY_F4, true);
  sys.message = kWmSysKeyDown;
  EXPECT_EQ(rec.recordKey(list, Placement::Append, sys, 7).kind, Kind::Inserted);
  EXPECT_TRUE(list.at(3).event.down);
}

TEST_F(RecorderTest, StepLimitDropsNewStepsButStillReplaces) {
  std::vector<MacroEvent> full(macros::kMaxRecordedSteps - 1, MacroEvent{macros::kTypeKey, 0x04, true, 0});
  list = MacroStepList(full);
  start(RecordDelayMode::Ignore);
  EXPECT_EQ(press(KEY_B, 1).kind, Kind::Inserted);  // step 4000
  EXPECT_TRUE(release(KEY_B, 2).dropped());         // step 4001
  EXPECT_EQ(list.size(), macros::kMaxRecordedSteps);
  list.select(10);
  EXPECT_EQ(press(KEY_C, 3, Placement::Replace).kind, Kind::Replaced);
  EXPECT_EQ(list.at(10).event.button, 0x06);
}

class PlacementTest : public RecorderTest {
 protected:
  void SetUp() override {
    list = MacroStepList({{macros::kTypeKey, 0x1E, true, 11},
                          {macros::kTypeKey, 0x1F, true, 22},
                          {macros::kTypeKey, 0x20, true, 33}});
    start(RecordDelayMode::Constant, "7");
  }
  std::vector<int> buttons() const {
    std::vector<int> b;
    for (const auto& s : list.steps()) b.push_back(s.event.button);
    return b;
  }
};

TEST_F(PlacementTest, NothingHappensWithoutASelection) {
  EXPECT_TRUE(press(KEY_A, 1, Placement::Before).dropped());
  EXPECT_TRUE(release(KEY_A, 2, Placement::After).dropped());
  EXPECT_TRUE(press(KEY_B, 3, Placement::Replace).dropped());
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(PlacementTest, InsertBeforeKeepsTheSelectedStepSelected) {
  list.select(1);
  press(KEY_A, 1, Placement::Before);
  release(KEY_A, 2, Placement::Before);
  EXPECT_EQ(buttons(), (std::vector<int>{0x1E, 0x04, 0x04, 0x1F, 0x20}));
  EXPECT_TRUE(list.at(1).event.down);
  EXPECT_FALSE(list.at(2).event.down);
  EXPECT_EQ(list.selected(), std::optional<std::size_t>(3));
  EXPECT_EQ(delay(1), 7);  // the new steps carry the constant
}

TEST_F(PlacementTest, InsertAfterKeepsTheKeysInTheirOrder) {
  list.select(1);
  press(KEY_A, 1, Placement::After);
  release(KEY_A, 2, Placement::After);
  press(KEY_B, 3, Placement::After);
  EXPECT_EQ(buttons(), (std::vector<int>{0x1E, 0x1F, 0x04, 0x04, 0x05, 0x20}));
  EXPECT_TRUE(list.at(2).event.down);  // press before release
  EXPECT_FALSE(list.at(3).event.down);
  EXPECT_EQ(list.selected(), std::optional<std::size_t>(4));
}

TEST_F(PlacementTest, ReplaceKeepsDirectionAndDelay) {
  list.select(2);
  release(KEY_LEFTCTRL, 1, Placement::Replace);
  EXPECT_EQ(list.at(2).event, (MacroEvent{macros::kTypeModifierKey, macros::kModLCtrl, true, 33}));
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(PlacementTest, TheStepBeforeAnInsertedStepTakesTheMeasuredWait) {
  rec.start(RecordDelayMode::Recorded, 100);
  list.select(0);
  // The very first step of a new editor leaves the existing steps' waits alone.
  auto first = press(KEY_A, 300, Placement::After);
  EXPECT_FALSE(first.delayChangedAt.has_value());
  EXPECT_EQ(delay(0), 11);
  auto second = release(KEY_A, 420, Placement::After);
  EXPECT_EQ(second.delayChangedAt, std::optional<std::size_t>(1));
  EXPECT_EQ(delay(1), 120);
}

TEST_F(RecorderTest, MouseButtonsAndTheStopButton) {
  start(RecordDelayMode::Ignore);
  rec.setStopButtonRect({100, 100, 140, 120});
  auto rm = [&](MouseInput in) { return rec.recordMouse(list, Placement::Append, in, 0); };
  EXPECT_TRUE(rm(mouse(MouseButton::Left, true, 110, 110)).dropped());  // stopping is not recorded
  EXPECT_TRUE(rm(mouse(MouseButton::Left, false, 110, 110)).dropped());
  rm(mouse(MouseButton::Right, true, 110, 110));  // only the left button stops
  rm(mouse(MouseButton::Right, false, 140, 110));
  rm(mouse(MouseButton::Left, true, 99, 110));
  EXPECT_TRUE(rm(mouse(MouseButton::Left, true, 99, 110)).dropped());  // reported twice
  rm(mouse(MouseButton::Left, false, 99, 110));
  // Holding back while pressing forward: both X buttons are recorded.
  rm(mouse(MouseButton::Back, true));
  rm(mouse(MouseButton::Forward, true));
  rm(mouse(MouseButton::Back, false));
  rm(mouse(MouseButton::Forward, false));
  MouseInput wheel{macros::kMsgMouseWheel, {}};
  EXPECT_TRUE(rm(wheel).dropped());

  const std::vector<MacroEvent> want = {
      {1, macros::kMouseRight, true, 0},    {1, macros::kMouseRight, false, 0},
      {1, macros::kMouseLeft, true, 0},     {1, macros::kMouseLeft, false, 0},
      {1, macros::kMouseBack, true, 0},     {1, macros::kMouseForward, true, 0},
      {1, macros::kMouseBack, false, 0},    {1, macros::kMouseForward, false, 0},
  };
  EXPECT_EQ(list.events(), want);
}

TEST_F(RecorderTest, NothingIsRecordedWhileStopped) {
  EXPECT_TRUE(press(KEY_A, 1).dropped());
  start(RecordDelayMode::Recorded);
  press(KEY_A, 1001);
  rec.stop();
  EXPECT_TRUE(release(KEY_A, 1002).dropped());
  EXPECT_TRUE(rec.recordMouse(list, Placement::Append, mouse(MouseButton::Left, true), 1003).dropped());
  EXPECT_EQ(list.size(), 1u);
}

}  // namespace
}  // namespace kavro::hook
