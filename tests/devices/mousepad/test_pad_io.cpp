// The mousepad's command sequences against the mousepad emulator, through the
// real HID path and command channel.
#include <gtest/gtest.h>

#include <algorithm>

#include "devices/mousepad/pad_io.h"
#include "devices/mousepad/zone_preview.h"
#include "devices/emulator_rig.h"
#include "sim/firmware.h"
#include "sim/mousepad_emulator.h"
#include "transport/command_set.h"

namespace kavro::mousepad {
namespace {

using devices::test::Sent;
using Memory = std::vector<std::uint8_t>;
namespace tp = transport;

constexpr std::uint8_t kBegin = tp::kCmdBeginConfig;
constexpr std::uint8_t kEnd = tp::kCmdEndConfig;
constexpr std::uint8_t kRead = tp::kCmdReadSettings;
constexpr std::uint8_t kWrite = tp::kCmdWriteSettings;
constexpr std::uint8_t kBlockLength = kBlockSize;
constexpr std::uint8_t kReadLength = kBlockReadSize;

// A lighting state unlike any block the emulator starts with.
profiles::LightSetting chosenLight() {
  profiles::LightSetting l;
  l.effect = 3;
  l.brightness = 2;
  l.speed = 1;
  l.direction = 0;
  l.multiColor = 0;
  l.red = 10;
  l.green = 20;
  l.blue = 30;
  return l;
}

Memory slice(const Memory& m, std::size_t at, std::size_t n) {
  return Memory(m.begin() + static_cast<std::ptrdiff_t>(at), m.begin() + static_cast<std::ptrdiff_t>(at + n));
}

// The bytes of a block that belong to the device.
Memory deviceBytes(const Memory& block) {
  Memory out;
  for (std::size_t i = 0; i < block.size(); ++i)
    if (!isLightingByte(i)) out.push_back(block[i]);
  return out;
}
Memory deviceBytes(const SettingsBlock& block) { return deviceBytes(Memory(block.begin(), block.end())); }

class PadIo : public devices::test::EmulatorRig<sim::DeviceKind::Mousepad> {};

TEST_F(PadIo, FirstConnectReadsTheDeviceInformationInOneFrameAndForgetsTheHeldBlock) {
  DeviceInfo info{};
  HeldBlock held;
  held.fromDevice = true;
  held.slot = 2;
  EXPECT_EQ(firstConnect(ch, info, held), (SequenceResult{tp::kCmdOk}));
  EXPECT_EQ(sent(), (std::vector<Sent>{{kBegin, 0, 0}, {tp::kCmdReadDeviceInfo, 34, 0}, {kEnd, 0, 0}}));
  EXPECT_EQ(info[sim::info::kDeviceType], 3);
  EXPECT_EQ(held, HeldBlock{});

  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, tp::kCmdReadDeviceInfo, 0});
  DeviceInfo kept = info;
  EXPECT_EQ(firstConnect(ch, kept, held).code, tp::kCmdStatusError);
  EXPECT_EQ(kept, info);
}

// The first program read slot b's block at b x 25. On a pad in slot 1 that
// read lands in the unused memory between the blocks; the write then goes to
// address 0 and puts those bytes over slot 0, the pad's own bytes included.
TEST_F(PadIo, KeyboardStrideReadsSlotOneAtAddress25AndWritesOverSlotZero) {
  ASSERT_TRUE(emulator->firmware().setActiveSlot(1));
  const Memory before = settingsMemory();
  HeldBlock held;
  EXPECT_TRUE(readSettingsBlock(ch, held, kKeyboardStrideAddressing).ok());
  EXPECT_EQ(held.slot, 1);
  EXPECT_EQ(Memory(held.bytes.begin(), held.bytes.end()), slice(before, 25, kBlockSize));
  EXPECT_EQ(held.bytes, SettingsBlock{});  // no block at all: every byte 0
  EXPECT_NE(Memory(held.bytes.begin(), held.bytes.end()), slice(before, 64, kBlockSize));

  EXPECT_TRUE(writeSettingsBlock(ch, held, chosenLight(), kKeyboardStrideAddressing).ok());
  EXPECT_EQ(sent(), (std::vector<Sent>{{kRead, 1, 0}, {kRead, kReadLength, 25}, {kBegin, 0, 0},
                                       {kWrite, kBlockLength, 0}, {kEnd, 0, 0}}));
  const Memory after = settingsMemory();
  EXPECT_EQ(after[sim::pad::kDeviceBytes], 0);  // slot 0's own bytes are gone
  EXPECT_EQ(before[sim::pad::kDeviceBytes], sim::pad::kDeviceByteBase);
  EXPECT_EQ(slice(after, 64, kBlockSize), slice(before, 64, kBlockSize));  // slot 1 never changed
  EXPECT_EQ(emulator->ledView().slot, 0u);  // and the pad was switched to slot 0 by the slot byte
}

TEST_F(PadIo, SyncReadsTheBlockOfTheSlotInUseWhereThePadKeepsIt) {
  ASSERT_TRUE(emulator->firmware().setActiveSlot(3));
  HeldBlock held;
  EXPECT_EQ(readSettingsBlock(ch, held), (SequenceResult{tp::kCmdOk}));
  EXPECT_EQ(sent(), (std::vector<Sent>{{kRead, 1, 0}, {kRead, kReadLength, 192}}));
  EXPECT_EQ(held.slot, 3);
  EXPECT_TRUE(held.fromDevice);
  EXPECT_EQ(Memory(held.bytes.begin(), held.bytes.end()), slice(settingsMemory(), 192, kBlockSize));
  profiles::LightSetting light = chosenLight();
  decodeBlock(held.bytes, light);
  EXPECT_EQ(light.effect, 6);  // the emulator's slot 3 effect
  EXPECT_EQ(light.speed, 2);
  EXPECT_EQ(light.direction, 0);  // byte 4 is the pad's, not the direction
}

TEST_F(PadIo, AWriteSendsTheBytesLastReadBackToTheSlotTheyCameFrom) {
  ASSERT_TRUE(emulator->firmware().setActiveSlot(1));
  const Memory before = settingsMemory();
  HeldBlock held;
  ASSERT_TRUE(readSettingsBlock(ch, held).ok());
  const SettingsBlock lastRead = held.bytes;
  clearSent();

  EXPECT_EQ(writeSettingsBlock(ch, held, chosenLight()), (SequenceResult{tp::kCmdOk}));
  EXPECT_EQ(sent(), (std::vector<Sent>{{kBegin, 0, 0}, {kWrite, kBlockLength, 64}, {kEnd, 0, 0}}));
  const Memory written = slice(settingsMemory(), 64, kBlockSize);
  EXPECT_EQ(deviceBytes(written), deviceBytes(lastRead));  // bytes 0, 4 and 9..20 as read
  EXPECT_EQ(written, Memory(held.bytes.begin(), held.bytes.end()));
  EXPECT_EQ(written[kBlkEffect], 3);
  EXPECT_EQ(written[kBlkSpeed], 3);  // 4 - speed 1
  EXPECT_EQ(written[kBlkRed], 10);
  EXPECT_EQ(slice(settingsMemory(), 0, 64), slice(before, 0, 64));  // slot 0 untouched
  const sim::LedView view = emulator->ledView();
  EXPECT_EQ(view.slot, 1u);  // the pad shows the new lighting in the slot it uses
  EXPECT_EQ(view.effect, 3);
}

TEST_F(PadIo, AWriteBeforeAnyReadFetchesTheBlockFirstAndSendsNothingWhenItCannot) {
  HeldBlock held;
  EXPECT_TRUE(writeSettingsBlock(ch, held, chosenLight()).ok());
  EXPECT_EQ(sent(), (std::vector<Sent>{{kRead, 1, 0}, {kRead, kReadLength, 0}, {kBegin, 0, 0},
                                       {kWrite, kBlockLength, 0}, {kEnd, 0, 0}}));
  EXPECT_EQ(settingsMemory()[sim::pad::kDeviceBytes], sim::pad::kDeviceByteBase);

  clearSent();
  const Memory before = settingsMemory();
  HeldBlock fresh;
  emulator->firmware().addFault({sim::FaultKind::Refuse, 2, kRead, 0});
  EXPECT_EQ(writeSettingsBlock(ch, fresh, chosenLight()).code, tp::kCmdStatusError);
  EXPECT_EQ(sent(), (std::vector<Sent>{{kRead, 1, 0}, {kRead, kReadLength, 0}}));
  EXPECT_EQ(settingsMemory(), before);
  EXPECT_FALSE(fresh.fromDevice);
}

TEST_F(PadIo, AFailedReadKeepsThePreviousBlockAndTheNextWriteSendsIt) {
  HeldBlock held;
  ASSERT_TRUE(readSettingsBlock(ch, held).ok());
  const HeldBlock previous = held;
  ASSERT_TRUE(emulator->firmware().setActiveSlot(2));
  emulator->firmware().addFault({sim::FaultKind::Refuse, 2, kRead, 0});
  EXPECT_EQ(readSettingsBlock(ch, held).code, tp::kCmdStatusError);
  EXPECT_EQ(held, previous);

  // Only the slot byte fails: the block of the slot last known is read.
  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, kRead, 0});
  clearSent();
  EXPECT_TRUE(readSettingsBlock(ch, held).ok());
  EXPECT_EQ(sent().back(), (Sent{kRead, kReadLength, 0}));
  EXPECT_EQ(held.slot, 0);
  const HeldBlock reread = held;

  clearSent();
  EXPECT_TRUE(writeSettingsBlock(ch, held, chosenLight()).ok());
  EXPECT_EQ(sent()[1], (Sent{kWrite, kBlockLength, 0}));
  EXPECT_EQ(deviceBytes(slice(settingsMemory(), 0, kBlockSize)), deviceBytes(reread.bytes));
}

TEST_F(PadIo, AFailedWriteStillClosesTheFrameAndKeepsTheHeldBlock) {
  HeldBlock held;
  ASSERT_TRUE(readSettingsBlock(ch, held).ok());
  const HeldBlock previous = held;
  clearSent();
  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, kWrite, 0});
  EXPECT_EQ(writeSettingsBlock(ch, held, chosenLight()).code, tp::kCmdStatusError);
  EXPECT_EQ(sent().back(), (Sent{kEnd, 0, 0}));
  EXPECT_EQ(held, previous);
}

TEST_F(PadIo, PowerPollMarksLongTimeoutsAndAFailedReadChangesNothing) {
  PowerStatus status{};
  EXPECT_TRUE(pollPower(ch, status).ok());
  EXPECT_EQ(sent(), (std::vector<Sent>{{tp::kCmdReadBlock, 6, 0}}));
  EXPECT_EQ(status, (PowerStatus{100, 0, 0, 0, 0, 0}));
  ch.longTimeouts.store(1);
  EXPECT_TRUE(pollPower(ch, status).ok());
  EXPECT_EQ(status[kStatusLongTimeoutsByte], 1);
  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, tp::kCmdReadBlock, 0});
  const PowerStatus kept = status;
  EXPECT_EQ(pollPower(ch, status).code, tp::kCmdStatusError);
  EXPECT_EQ(status, kept);
}

TEST_F(PadIo, TheStreamedFrameIsWhatThePadShowsUnlessTheChannelRunsLong) {
  ZonePreview preview = makePadPreview();
  profiles::LightSetting light = chosenLight();
  light.effect = kEffectZoneWave;
  light.brightness = 5;
  light.multiColor = 1;
  preview.setLightState(light);
  for (int i = 0; i < 40; ++i) preview.tick(static_cast<std::uint32_t>(i));
  EXPECT_TRUE(streamFrame(ch, preview.frame()).ok());
  const sim::LedView view = emulator->ledView();
  ASSERT_EQ(view.source, sim::LedView::Source::Stream);
  ASSERT_EQ(view.leds.size(), kPadZones);
  const std::vector<std::uint8_t> bytes = preview.frameBytes();
  for (std::size_t z = 0; z < kPadZones; ++z)
    EXPECT_EQ(view.leds[z], (sim::Rgb{bytes[3 * z], bytes[3 * z + 1], bytes[3 * z + 2]})) << "zone " << z;

  const auto chunks = emulator->firmware().stats().streamChunks;
  ch.longTimeouts.store(1);
  EXPECT_EQ(streamFrame(ch, preview.frame()).code, 0);
  EXPECT_EQ(emulator->firmware().stats().streamChunks, chunks);
}

TEST_F(PadIo, AClosedChannelSendsNothing) {
  ch.closeChannel();
  DeviceInfo info{};
  HeldBlock held;
  PowerStatus status{};
  EXPECT_EQ(firstConnect(ch, info, held).code, 0);
  EXPECT_EQ(readSettingsBlock(ch, held).code, 0);
  EXPECT_EQ(writeSettingsBlock(ch, held, chosenLight()).code, 0);
  EXPECT_EQ(pollPower(ch, status).code, 0);
  EXPECT_EQ(streamFrame(ch, std::vector<lighting::LedColor>(kPadZones)).code, 0);
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(emulator->firmware().stats().requests, 0u);
}

}  // namespace
}  // namespace kavro::mousepad
