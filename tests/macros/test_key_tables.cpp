#include <gtest/gtest.h>

#include <linux/input-event-codes.h>

#include <set>
#include <string>

#include "macros/key_tables.h"
#include "macros/linux_keymap.h"

namespace kavro::macros {
namespace {

TEST(KeyCodeTable, RowCountsAndRowGroups) {
  EXPECT_EQ(KeyCodeTable.size(), 141u);
  EXPECT_EQ(ScanCodeTable.size(), 113u);
  EXPECT_EQ(MouseEventTable.size(), 15u);
  for (std::size_t i = 0; i < KeyCodeTable.size(); ++i) {
    const auto& r = KeyCodeTable[i];
    EXPECT_EQ(r.reserved, 0) << i;
    const std::uint8_t expectedKind = i < kFirstConsumerRow         ? kKindKeyboard
                                      : i < kFirstSystemRow         ? kKindConsumer
                                      : i < kFirstDeviceMacroRow    ? kKindSystem
                                      : i < kFirstDeviceFunctionRow ? kKindDeviceMacro
                                                                    : kKindDeviceFunction;
    EXPECT_EQ(r.kind, expectedKind) << i;
    // Every name key but row 129's is "keyboard_key_" + the row's name.
    if (i != 129) {
      EXPECT_EQ(std::string(r.nameKey).rfind("keyboard_key_", 0), 0u) << i;
    }
  }
  EXPECT_STREQ(KeyCodeTable[129].nameKey, "wed_stop");
}

TEST(KeyCodeTable, SampleRowsBothWays) {
  struct Sample {
    std::size_t row;
    std::uint16_t vk;
    std::uint8_t usage;
    const char* name;
  };
  const Sample samples[] = {
      {8, 0x41, 0x04, "keyboard_key_A"},          {33, 0x5A, 0x1D, "keyboard_key_Z"},
      {34, 0x31, 0x1E, "keyboard_key_1"},         {43, 0x30, 0x27, "keyboard_key_0"},
      {44, 0x0D, 0x28, "keyboard_key_Enter"},     {53, 0xDC, 0x31, "keyboard_key_xiegang"},
      {61, 0x70, 0x3A, "keyboard_key_F1"},        {72, 0x7B, 0x45, "keyboard_key_F12"},
      {86, 0x90, 0x53, "keyboard_key_Num Lock"},  {91, 0x101, 0x58, "keyboard_key_Num Enter"},
      {102, 0x6E, 0x63, "keyboard_key_Decimal"},  {103, 0x5D, 0x65, "keyboard_key_App"},
      {104, 0xE2, 0x64, "keyboard_key_K45"},      {112, 0xFF, 0x90, "keyboard_key_K151"},
  };
  for (const auto& s : samples) {
    const auto& r = KeyCodeTable[s.row];
    EXPECT_EQ(r.virtualKey, s.vk) << s.row;
    EXPECT_EQ(r.code2, s.usage) << s.row;
    EXPECT_STREQ(r.nameKey, s.name);
    EXPECT_EQ(findKeyRowByUsage(s.usage), s.row);
  }
  // No usage names two keys; 0 and unnamed usages find nothing.
  std::set<int> usages;
  for (std::size_t i = kFirstPlainKeyRow; i < kFirstConsumerRow; ++i) {
    EXPECT_TRUE(usages.insert(KeyCodeTable[i].code2).second) << i;
  }
  EXPECT_FALSE(findKeyRowByUsage(0));
  EXPECT_FALSE(findKeyRowByUsage(0x32));  // non-US '#' is not a named key
  EXPECT_EQ(findKeyRowByVirtualKey(0x101), 91u);
  EXPECT_EQ(findKeyRowByVirtualKey(0x0D), 44u);
}

TEST(KeyCodeTable, ModifiersConsumerSystemAndDeviceRows) {
  const std::uint8_t bits[] = {kModLCtrl, kModLShift, kModLAlt, kModLWin,
                               kModRCtrl, kModRShift, kModRAlt, kModRWin};
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(findModifierRow(bits[i]), i);
    EXPECT_EQ(KeyCodeTable[i].code2, 0);
  }
  EXPECT_FALSE(findModifierRow(0x03));  // several bits name no single modifier
  EXPECT_STREQ(KeyCodeTable[*findModifierRow(kModRAlt)].nameKey, "keyboard_key_RAlt");

  // Consumer usages are stored low byte first.
  EXPECT_EQ(findKeyRowByCode(kKindConsumer, 0xE9, 0x00), 118u);  // Volume Up
  EXPECT_EQ(findKeyRowByCode(kKindConsumer, 0x92, 0x01), 113u);  // Launch App2 0x0192
  EXPECT_EQ(findKeyRowByCode(kKindConsumer, 0x26, 0x02), 129u);  // wed_stop 0x0226
  EXPECT_EQ(findKeyRowByCode(kKindConsumer, 0x83, 0x01), 130u);  // Launch Media Select
  EXPECT_EQ(findKeyRowByCode(kKindSystem, 4, 0), 133u);
  EXPECT_EQ(KeyCodeTable[131].virtualKey, 0x103);
  EXPECT_EQ(findKeyRowByCode(kKindDeviceMacro, 0xA2, 5), 138u);
  EXPECT_STREQ(KeyCodeTable[138].nameKey, "keyboard_key_M5");
  EXPECT_EQ(findKeyRowByCode(kKindDeviceFunction, 0x1B, 0), 140u);
  EXPECT_FALSE(findKeyRowByCode(kKindConsumer, 0x00, 0x00));
}

TEST(ScanCodeTable, DocumentedKeysAndExtendedPairs) {
  EXPECT_EQ(findScanRow(0x1D, false), 0u);   // LCtrl
  EXPECT_EQ(findScanRow(0x1D, true), 4u);    // RCtrl
  EXPECT_EQ(findScanRow(0x5B, true), 3u);    // LWin
  EXPECT_EQ(findScanRow(0x1E, false), 8u);   // A
  EXPECT_EQ(findScanRow(0x1C, false), 44u);  // Enter
  EXPECT_EQ(findScanRow(0x1C, true), 91u);   // Num Enter
  EXPECT_EQ(findScanRow(0x35, false), 59u);  // '/'
  EXPECT_EQ(findScanRow(0x35, true), 87u);   // Num /
  EXPECT_EQ(findScanRow(0x37, true), 73u);   // Print Scr
  EXPECT_EQ(findScanRow(0x37, false), 88u);  // Num *
  EXPECT_EQ(findScanRow(0x48, true), 85u);   // Up
  EXPECT_EQ(findScanRow(0x48, false), 99u);  // Num 8
  EXPECT_FALSE(findScanRow(0x1E, true));
  EXPECT_FALSE(findScanRow(0x00, false));
}

TEST(MouseEventTable, ButtonMoveAndMessageLookups) {
  EXPECT_EQ(findMouseButtonRow(kMouseLeft), 0u);
  EXPECT_EQ(findMouseButtonRow(kMouseForward), 6u);
  EXPECT_EQ(findMouseButtonRow(kMouseBack), 8u);
  EXPECT_FALSE(findMouseButtonRow(0));
  EXPECT_FALSE(findMouseButtonRow(32));
  EXPECT_EQ(findMouseMoveRow(0x84), 10u);
  EXPECT_EQ(findMouseMoveRow(0x05), 13u);
  EXPECT_FALSE(findMouseMoveRow(0x00));  // the cursor row is not a move
  EXPECT_EQ(findMouseRowForMessage(kMsgRButtonUp, 0), 3u);
  EXPECT_EQ(findMouseRowForMessage(kMsgXButtonDown, kXButtonBack), 8u);
  EXPECT_EQ(findMouseRowForMessage(kMsgXButtonUp, kXButtonForward), 7u);
  EXPECT_FALSE(findMouseRowForMessage(kMsgXButtonDown, 3));
  EXPECT_FALSE(findMouseRowForMessage(0x203, 0));  // double click
  EXPECT_FALSE(findMouseRowForMessage(kMsgMouseWheel, 0));
  // Button rows come in press/release pairs of one button; the release
  // message follows the press message.
  for (std::size_t i = 0; i < kMouseButtonRowCount; i += 2) {
    const auto& press = MouseEventTable[i];
    const auto& release = MouseEventTable[i + 1];
    EXPECT_EQ(press.buttonBit, release.buttonBit) << i;
    EXPECT_EQ(press.typeByte, kTypeByteDown | 1) << i;
    EXPECT_EQ(release.typeByte, 1) << i;
    EXPECT_EQ(release.message, press.message + 1) << i;
  }
}

TEST(LinuxKeymap, CommonKeys) {
  EXPECT_EQ(scanKeyForLinuxKey(KEY_A), (ScanKey{0x1E, false}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_ESC), (ScanKey{0x01, false}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_ENTER), (ScanKey{0x1C, false}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_KPENTER), (ScanKey{0x1C, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_LEFTCTRL), (ScanKey{0x1D, false}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_RIGHTCTRL), (ScanKey{0x1D, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_RIGHTALT), (ScanKey{0x38, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_LEFTMETA), (ScanKey{0x5B, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_SYSRQ), (ScanKey{0x37, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_KPSLASH), (ScanKey{0x35, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_UP), (ScanKey{0x48, true}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_KP8), (ScanKey{0x48, false}));
  EXPECT_EQ(scanKeyForLinuxKey(KEY_F12), (ScanKey{0x58, false}));
  EXPECT_EQ(keyRowForLinuxKey(KEY_COMPOSE), 103u);  // the menu key is "App"
  EXPECT_EQ(keyRowForLinuxKey(KEY_102ND), 104u);
  // Keys the tables cannot name, and codes out of range.
  EXPECT_FALSE(scanKeyForLinuxKey(KEY_VOLUMEUP));
  EXPECT_FALSE(scanKeyForLinuxKey(BTN_LEFT));
  EXPECT_FALSE(scanKeyForLinuxKey(KEY_RESERVED));
  EXPECT_FALSE(scanKeyForLinuxKey(-1));
  EXPECT_FALSE(scanKeyForLinuxKey(KEY_MAX));
}

TEST(LinuxKeymap, CoversEveryRowAndAgreesWithLinuxScanCodes) {
  EXPECT_EQ(linuxKeyMapSize(), kScanCodeRowCount);
  for (std::size_t row = 0; row < kScanCodeRowCount; ++row) {
    const auto code = linuxKeyForScanRow(row);
    ASSERT_TRUE(code) << row;
    EXPECT_EQ(keyRowForLinuxKey(*code), row);
    // Below KEY_F12 the Linux key code of a non-extended key is its set-1
    // scan code, which checks ScanCodeTable independently.
    const auto& r = ScanCodeTable[row];
    if (*code <= KEY_F12 && !r.extended) {
      EXPECT_EQ(r.scanCode, *code) << "row " << row;
    }
  }
  EXPECT_FALSE(linuxKeyForScanRow(kScanCodeRowCount));
}

}  // namespace
}  // namespace kavro::macros
