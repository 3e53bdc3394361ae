#include <gtest/gtest.h>

#include <set>
#include <string>

#include <linux/input-event-codes.h>

#include "hook/hook_modes.h"
#include "hook/hook_records.h"

namespace kavro::hook {
namespace {

TEST(HookModes, NineteenDistinctNames) {
  std::set<std::string_view> names;
  for (HookMessage m : allHookMessages()) names.insert(hookMessageName(m));
  EXPECT_EQ(names.size(), kHookMessageCount);
  EXPECT_EQ(hookMessageName(HookMessage::KeyKbMacroSingle), "WM_HOOK_KEY_KBMACROSINGLE_MSG");
  EXPECT_EQ(hookMessageName(HookMessage::MouseMove), "UWM_MOUSEMOVE_USER_MSG");
}

TEST(HookModes, EachModeReportsWithItsMessageAndReachesItsReceiver) {
  struct Row {
    std::uint32_t mode;
    std::optional<HookMessage> key, mouse;
    std::optional<HookRoute> keyRoute;
  };
  const HookRoute capture{HookTarget::KeyCapture, Placement::Append};
  const HookRoute consumed{HookTarget::Consumed, Placement::Append};
  const Row rows[] = {
      {kModeSingleKey, HookMessage::KeySingleKey, std::nullopt, capture},
      {kModeHitKey, HookMessage::KeyHitKey, std::nullopt, consumed},
      {kModeMacro, HookMessage::KeyKbMacro, HookMessage::KeyMsMacro,
       HookRoute{HookTarget::RecordKey, Placement::Append}},
      {kModeMacroBefore, HookMessage::KeyKbMacroPrevious, HookMessage::KeyMsMacroPrevious,
       HookRoute{HookTarget::RecordKey, Placement::Before}},
      {kModeMacroAfter, HookMessage::KeyKbMacroLater, HookMessage::KeyMsMacroLater,
       HookRoute{HookTarget::RecordKey, Placement::After}},
      {kModeMacroReplace, HookMessage::KeyKbMacroSingle, HookMessage::KeyMsMacroSingle,
       HookRoute{HookTarget::RecordKey, Placement::Replace}},
      {kModeMouseSingleKey, HookMessage::MouSingleKey, std::nullopt, std::nullopt},
      {kModeMouseHitKey, HookMessage::MouHitKey, std::nullopt, std::nullopt},
      {kModeMouseMacro, HookMessage::MouKbMacro, std::nullopt, std::nullopt},
      {64, std::nullopt, std::nullopt, std::nullopt},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(keyMessageForMode(r.mode), r.key) << r.mode;
    EXPECT_EQ(mouseMessageForMode(r.mode), r.mouse) << r.mode;
    if (r.key) {
      EXPECT_EQ(routeForMessage(*r.key), r.keyRoute) << r.mode;
    }
    if (r.mouse) {
      const auto route = routeForMessage(*r.mouse);
      ASSERT_TRUE(route.has_value());
      EXPECT_EQ(route->target, HookTarget::RecordMouse);
      EXPECT_EQ(route->placement, r.keyRoute->placement);
    }
  }
  EXPECT_FALSE(routeForMessage(HookMessage::MouMsMacro).has_value());
  EXPECT_FALSE(routeForMessage(HookMessage::MouseLButtonDown).has_value());
}

TEST(HookModes, RecordCommands) {
  EXPECT_EQ(recordButtonCommand(false), (RecordCommand{RecordDelayMode::Recorded, kModeMacro}));
  EXPECT_EQ(recordButtonCommand(true), (RecordCommand{RecordDelayMode::Constant, kModeMacro}));
  EXPECT_EQ(recordMenuCommand("redio_previous_record_time", true),
            (RecordCommand{RecordDelayMode::Recorded, kModeMacroBefore}));
  EXPECT_EQ(recordMenuCommand("redio_later_record_time", true),
            (RecordCommand{RecordDelayMode::Constant, kModeMacroAfter}));
  EXPECT_EQ(recordMenuCommand("redio_later_ignore_time", false),
            (RecordCommand{RecordDelayMode::Ignore, kModeMacroAfter}));
  EXPECT_EQ(recordMenuCommand("macro_action_edit", true),
            (RecordCommand{RecordDelayMode::Ignore, kModeMacroReplace}));
  EXPECT_FALSE(recordMenuCommand("left_click", false).has_value());
}

TEST(HookRecords, LinuxKeysBecomeScanCodesAndVirtualKeys) {
  const KeyboardRecord ctrl = keyboardRecordForLinuxKey(KEY_RIGHTCTRL, 5);
  EXPECT_EQ(ctrl.scanCode, 0x1Du);
  EXPECT_TRUE(isExtended(ctrl));
  EXPECT_EQ(ctrl.vkCode, 0xA3u);
  EXPECT_TRUE(isLockKey(keyboardRecordForLinuxKey(KEY_NUMLOCK, 0).vkCode));
  EXPECT_TRUE(isLockKey(keyboardRecordForLinuxKey(KEY_SCROLLLOCK, 0).vkCode));
  EXPECT_FALSE(isLockKey(keyboardRecordForLinuxKey(KEY_A, 0).vkCode));
  EXPECT_EQ(keyboardRecordForLinuxKey(KEY_MUTE, 0).scanCode, 0u);
  const MouseInput fwd = mouseInputForButton(MouseButton::Forward, false, 3, 4, 0);
  EXPECT_EQ(fwd.message, 0x20Cu);
  EXPECT_EQ(fwd.record.extendedButton, 2);
}

}  // namespace
}  // namespace kavro::hook
