// The mouse's command sequences against the mouse emulator, through the real
// HID path and command channel.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/mouse/mouse_io.h"
#include "mouse_rig.h"
#include "sim/firmware.h"
#include "sim/mouse_emulator.h"
#include "transport/command_set.h"

namespace kavro::mouse {
namespace {

using test::MouseRig;
using test::Sent;
using Commands = std::vector<std::uint8_t>;
namespace tp = transport;

constexpr std::uint8_t kQ = tp::kCmdQueryLink;
constexpr std::uint8_t kBegin = tp::kCmdBeginConfig;
constexpr std::uint8_t kEnd = tp::kCmdEndConfig;

class MouseIo : public MouseRig {
 protected:
  DeviceTables connect() {
    DeviceTables t;
    EXPECT_EQ(readDeviceTables(ch, t), (SequenceResult{tp::kCmdOk, false}));
    clearSent();
    return t;
  }
  std::vector<std::uint8_t> settingsMemory() { return emulator->firmware().memory(sim::Area::Settings); }
};

TEST_F(MouseIo, FirstConnectReadsInfoAndKeyTableInOneFrame) {
  DeviceTables t;
  EXPECT_EQ(readDeviceTables(ch, t), (SequenceResult{tp::kCmdOk, false}));
  EXPECT_EQ(sent(), (std::vector<Sent>{{kBegin, 0, 0}, {tp::kCmdReadDeviceInfo, 34, 0},
                                       {tp::kCmdReadKeyTable, 30, 0}, {kEnd, 0, 0}}));
  EXPECT_EQ(t.keyCount, 10u);
  EXPECT_TRUE(t.keyTableRead);
  EXPECT_EQ(t.info[tp::kDeviceInfoFixed], 72);
  // The emulator lists back before forward and the DPI keys as loop, up, down.
  EXPECT_EQ(t.buttons, (ButtonMap{0, 1, 2, 4, 3, 6, 7, 5, 9, 8}));
  EXPECT_EQ(t.dpiRange(), (DpiRange{sim::mouse::kDpiStep, sim::mouse::kDpiMaxSlider, sim::mouse::kDpiMin}));
}

TEST_F(MouseIo, WirelessFirstConnectAsksBeforeEveryStep) {
  makeWireless();
  DeviceTables t;
  EXPECT_EQ(readDeviceTables(ch, t).code, tp::kCmdOk);
  EXPECT_EQ(commands(), (Commands{kQ, kBegin, kQ, tp::kCmdReadDeviceInfo, kQ, tp::kCmdReadKeyTable, kQ, kEnd}));
  EXPECT_TRUE(t.keyTableRead);
}

TEST_F(MouseIo, OfflineWirelessMouseStopsEverySequenceAtTheFirstCheck) {
  DeviceTables t = connect();
  const DeviceTables before = t;
  makeWireless();
  emulator->setOnline(false);
  const SequenceResult offline{0, true};

  EXPECT_EQ(readDeviceTables(ch, t), offline);
  EXPECT_EQ(t.info, before.info);
  EXPECT_EQ(t.buttons, before.buttons);

  SettingsBlock block{};
  block[kSbEffect] = 3;
  std::uint8_t slot = 2;
  EXPECT_EQ(readSettingsBlock(ch, block, slot), offline);
  EXPECT_EQ(slot, 2);
  EXPECT_EQ(block[kSbEffect], 3);
  EXPECT_EQ(writeSettingsBlock(ch, block), offline);
  EXPECT_EQ(writeKeyAssignments(ch, t, std::vector<KeyAssignment>(kButtonCount)), offline);
  std::array<std::uint8_t, kPowerStatusSize> status{9, 9, 9, 9, 9, 9};
  EXPECT_EQ(pollPower(ch, status), offline);
  EXPECT_EQ(status[0], 9);
  // A macro download that did not happen must not read as success (0).
  macros::MacroSource source{true, {{{10, 1, true, 1}}}};
  EXPECT_EQ(downloadMacros(ch, t, source), (SequenceResult{kMacrosFailed, true}));

  EXPECT_EQ(commands(), Commands(6, kQ));  // nothing but the six checks went out
}

TEST_F(MouseIo, AFailedKeyTableReadMapsNoButton) {
  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, tp::kCmdReadKeyTable, 0});
  DeviceTables t;
  EXPECT_EQ(readDeviceTables(ch, t).code, tp::kCmdStatusError);
  EXPECT_EQ(commands(), (Commands{kBegin, tp::kCmdReadDeviceInfo, tp::kCmdReadKeyTable, kEnd}));
  EXPECT_EQ(t.keyCount, 10u);  // the device information is kept
  EXPECT_FALSE(t.keyTableRead);
  EXPECT_EQ(t.buttons, DeviceTables::unmappedButtons());
  clearSent();
  EXPECT_EQ(writeKeyAssignments(ch, t, std::vector<KeyAssignment>(kButtonCount)).code, 0);
  EXPECT_TRUE(sent().empty());
}

// Three stages, no correction selected, a 2560 x 1440 screen.
SettingsSource threeStageSource() {
  SettingsSource src;
  src.light.effect = 4;
  src.light.brightness = 3;
  src.light.speed = 1;
  src.light.direction = 1;
  src.light.red = 10;
  src.light.green = 20;
  src.light.blue = 30;
  src.system = systemWords({.pollingRate = 2});
  src.stages = {{1, 0, 8, 8, 255, 0, 0}, {1, 0, 16, 16, 0, 255, 0}, {0, 1, 300, 0x1FF, 0, 0, 255}};
  src.currentStage = 1;
  src.screen = {2560, 1440};
  src.corrections = {{2, 4, 0, "Standard"}, {1, 2, 0, "Precise"}};
  return src;
}

TEST_F(MouseIo, SettingsWriteLandsByteForByte) {
  const SettingsBlock block = encodeSettingsBlock(threeStageSource());
  EXPECT_EQ(writeSettingsBlock(ch, block), (SequenceResult{tp::kCmdOk, false}));
  EXPECT_EQ(sent(), (std::vector<Sent>{{kBegin, 0, 0}, {tp::kCmdWriteSettings, 56, 0},
                                       {tp::kCmdWriteSettings, 10, 56}, {kEnd, 0, 0}}));
  const auto mem = settingsMemory();
  const std::vector<std::uint8_t> written(mem.begin(), mem.begin() + kSettingsWriteSize);
  EXPECT_TRUE(std::equal(written.begin(), written.end(), block.begin()));
  // Stages 3 and 4 are nine zero bytes each; no correction selected: 64, 65 are 0.
  EXPECT_TRUE(std::all_of(mem.begin() + 14 + 27, mem.begin() + 59, [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(mem[64], 0);
  EXPECT_EQ(mem[65], 0);
  EXPECT_EQ(mem[59], 1);
  EXPECT_EQ(mem[60] | mem[61] << 8, 2560);
  EXPECT_EQ(mem[62] | mem[63] << 8, 1440);
  const sim::LedView view = emulator->ledView();  // the frame was committed
  EXPECT_EQ(view.effect, 4);
  EXPECT_EQ(view.speed, 3);
}

TEST_F(MouseIo, WirelessSettingsWriteAndSlotAddress) {
  makeWireless();
  const SettingsBlock block = encodeSettingsBlock(threeStageSource());
  EXPECT_EQ(writeSettingsBlock(ch, block, 1).code, tp::kCmdOk);
  EXPECT_EQ(commands(), (Commands{kQ, kBegin, kQ, tp::kCmdWriteSettings, kQ, kEnd}));
  EXPECT_EQ(sent()[3], (Sent{tp::kCmdWriteSettings, 56, 128}));
  EXPECT_EQ(settingsMemory()[128 + kSbEffect], 4);
}

TEST_F(MouseIo, ReadingSlotOneComesFromAddress128) {
  ASSERT_TRUE(emulator->firmware().setActiveSlot(1));
  SettingsBlock block{};
  std::uint8_t slot = 0;
  EXPECT_EQ(readSettingsBlock(ch, block, slot).code, tp::kCmdOk);
  EXPECT_EQ(slot, 1);
  EXPECT_EQ(sent(), (std::vector<Sent>{{tp::kCmdReadSettings, 1, 0}, {tp::kCmdReadSettings, 56, 128},
                                       {tp::kCmdReadSettings, 15, 184}}));
  const auto mem = settingsMemory();
  EXPECT_TRUE(std::equal(block.begin(), block.end(), mem.begin() + 128));
  LightSetting light;
  int stage = -1;
  decodeSettingsBlock(block, light, stage);
  EXPECT_EQ(light.effect, 2);  // the emulator's slot 1 runs effect 2
  EXPECT_EQ(stage, 1);
}

TEST_F(MouseIo, KeyWritesSkipButtonsTheMouseLacks) {
  // A mouse whose table has no M8 code: device key 8 holds an ordinary key.
  std::vector<std::uint8_t> table = emulator->firmware().memory(sim::Area::KeyTable);
  table[8 * 3] = 0x20;
  table[8 * 3 + 1] = 0x00;
  table[8 * 3 + 2] = 0x04;
  ASSERT_TRUE(ch.setDataLength(static_cast<std::uint16_t>(table.size())));
  ASSERT_EQ(tp::writeKeyTable(ch, table.data(), 0), tp::kCmdOk);

  DeviceTables t = connect();
  EXPECT_EQ(t.buttons[kButtonM8], kNoDeviceKey);
  std::vector<KeyAssignment> assignments(kButtonCount);
  for (std::size_t p = 0; p < kButtonCount; ++p)
    assignments[p].code = {0x20, 0x00, static_cast<std::uint8_t>(0x1E + p)};  // keys 1..0
  makeWireless();
  EXPECT_EQ(writeKeyAssignments(ch, t, assignments).code, tp::kCmdOk);
  EXPECT_EQ(commands(), (Commands{kQ, tp::kCmdReadDeviceInfo, kQ, kBegin, kQ, tp::kCmdWriteKeyTable, kQ, kEnd}));

  const auto committed = emulator->firmware().committedKeyTable();
  ASSERT_EQ(committed.size(), 30u);
  for (std::size_t p = 0; p < kButtonCount; ++p) {
    if (p == kButtonM8) continue;
    const std::size_t k = t.buttons[p];
    EXPECT_EQ(committed[3 * k + 2], 0x1E + p) << "position " << p;
  }
  EXPECT_EQ((std::vector<std::uint8_t>(committed.begin() + 24, committed.begin() + 27)),
            (std::vector<std::uint8_t>{0x20, 0x00, 0x04}));  // untouched
}

// Two macros with `events` steps in all.
macros::MacroSource macrosWithEvents(std::size_t events) {
  macros::MacroSource s;
  s.hasIndex = true;
  s.macros = {std::vector<macros::MacroImageStep>(events / 2, {5, 1, true, 1}),
              std::vector<macros::MacroImageStep>(events - events / 2, {5, 1, false, 1})};
  return s;
}

TEST_F(MouseIo, MacroImageUpToTheMouseCapacityIsSent) {
  DeviceTables t = connect();
  // 16 + 2 x 6 + 4 x 2297 = 9216 = 128 x 72 bytes: exactly the capacity.
  EXPECT_EQ(downloadMacros(ch, t, macrosWithEvents(2297)), (SequenceResult{kMacrosSent, false}));
  EXPECT_EQ(commands(), (Commands{tp::kCmdReadDeviceInfo, kBegin, tp::kCmdWriteMacroData, kEnd}));
  EXPECT_EQ(emulator->firmware().committedMacros().length, 9216u);
  EXPECT_EQ(emulator->firmware().committedMacros().events, 2297u);

  clearSent();
  EXPECT_EQ(downloadMacros(ch, t, macrosWithEvents(2298)).code, 2);  // 4 bytes over
  EXPECT_EQ(commands(), (Commands{tp::kCmdReadDeviceInfo}));

  clearSent();
  EXPECT_EQ(downloadMacros(ch, t, macros::MacroSource{}).code, kMacrosSent);  // no macro list
  EXPECT_TRUE(sent().empty());
}

TEST_F(MouseIo, PowerPollMarksTheWirelessLink) {
  std::array<std::uint8_t, kPowerStatusSize> status{};
  EXPECT_EQ(pollPower(ch, status).code, tp::kCmdOk);
  EXPECT_EQ(sent(), (std::vector<Sent>{{tp::kCmdReadBlock, 6, 0}}));
  EXPECT_EQ(status[0], 85);
  EXPECT_EQ(status[kStatusWirelessByte], 0);
  makeWireless();
  emulator->firmware().setStatusByte(sim::status::kConnection, 4);
  EXPECT_EQ(pollPower(ch, status).code, tp::kCmdOk);
  EXPECT_EQ(status[kStatusWirelessByte], 1);
  EXPECT_TRUE(connectionHintShown(status[kStatusConnectionByte]));
}

TEST_F(MouseIo, ClosedChannelSendsNothing) {
  ch.closeChannel();
  DeviceTables t;
  SettingsBlock block{};
  std::uint8_t slot = 0;
  EXPECT_EQ(readDeviceTables(ch, t).code, 0);
  EXPECT_EQ(readSettingsBlock(ch, block, slot).code, 0);
  EXPECT_EQ(writeSettingsBlock(ch, block).code, 0);
  EXPECT_EQ(downloadMacros(ch, t, macrosWithEvents(2)).code, kMacrosFailed);
  EXPECT_TRUE(sent().empty());
}

}  // namespace
}  // namespace kavro::mouse
