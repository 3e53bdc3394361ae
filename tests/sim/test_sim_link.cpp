// Each emulator over the real socket path, spoken to by the host's command
// set: every command, chunked transfers, refusals, faults, unplugging, events.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/event.h"
#include "platform/hid/report_descriptor.h"
#include "sim/headset_emulator.h"
#include "sim/keyboard_emulator.h"
#include "sim/keyboard_layout.h"
#include "sim/mouse_emulator.h"
#include "sim/mousepad_emulator.h"
#include "sim/demo.h"
#include "sim_test_util.h"

namespace kavro::sim {
namespace {

namespace tp = transport;
using test::commandPath;
using test::notifyPath;

class Plugged {
 public:
  Plugged(DeviceKind kind, const std::string& prefix) : emulator(makeEmulator(kind, inProcessPresence(), prefix)) {
    EXPECT_TRUE(emulator->plug());
  }
  std::unique_ptr<Emulator> emulator;
};

// Opens the command channel of an emulator, bounded by short time-outs.
bool openCommand(tp::HidChannel& ch, const Emulator& e, int timeoutMs = 1000) {
  ch.setTimeouts(timeoutMs, timeoutMs);
  const std::string path = commandPath(e);
  return !path.empty() && ch.openPath(path);
}

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + 13 * i);
  return v;
}

struct KindCase {
  DeviceKind kind;
  const char* vidPid;  // path markers of the interface
  std::vector<std::string> collections;  // the command interface's collection markers
};

void PrintTo(const KindCase& c, std::ostream* os) { *os << kindName(c.kind); }

class EveryEmulator : public ::testing::TestWithParam<KindCase> {};

TEST_P(EveryEmulator, AppearsAsTheDiscoveryTableExpects) {
  const KindCase& c = GetParam();
  Plugged dev(c.kind, "appear-");
  const auto& ifaces = dev.emulator->interfaces();
  const std::string name = ifaces.back()->info().name;
  const auto paths = test::pathsOf(name);
  ASSERT_EQ(paths.size(), c.collections.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_NE(paths[i].find(c.vidPid), std::string::npos) << paths[i];
    EXPECT_NE(paths[i].find(c.collections[i]), std::string::npos) << paths[i];
  }
  hid::HidDeviceInfo dev2;
  ASSERT_TRUE(dev2.open(commandPath(*dev.emulator), true, false, true, false));
  EXPECT_EQ(dev2.caps.inputReportByteLength, 64);
  EXPECT_EQ(dev2.caps.outputReportByteLength, 64);
  const bool headset = c.kind == DeviceKind::Headset;
  EXPECT_EQ(dev2.caps.usagePage, headset ? 0x000C : 0xFF1C);
  EXPECT_EQ(dev2.caps.usage, headset ? 0x0001 : 0x0092);
  dev2.close();
  dev.emulator->unplug();
  EXPECT_TRUE(test::pathsOf(name).empty());
}

TEST_P(EveryEmulator, AnswersEveryCommandItKnows) {
  const KindCase& c = GetParam();
  Plugged dev(c.kind, "all-cmds-");
  Emulator& e = *dev.emulator;
  const FirmwareConfig cfg = c.kind == DeviceKind::Keyboard ? keyboardConfig()
                             : c.kind == DeviceKind::Mouse  ? mouseConfig()
                             : c.kind == DeviceKind::Mousepad ? mousepadConfig() : headsetConfig();
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e));

  // Table read sequence.
  uint8_t info[34];
  ASSERT_EQ(tp::beginConfig(ch), tp::kCmdOk);
  ASSERT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);
  EXPECT_EQ(info[6], 72);
  EXPECT_EQ(std::memcmp(info, cfg.info.data(), 6), 0);
  const size_t keyBytes = size_t{info[5]} * 3;
  if (keyBytes > 0) {
    ASSERT_TRUE(ch.setDataLength(static_cast<uint16_t>(keyBytes)));
    std::vector<uint8_t> keys(keyBytes);
    ASSERT_EQ(tp::readKeyTable(ch, keys.data()), tp::kCmdOk);
    EXPECT_EQ(keys, cfg.keyTable);
    if (!cfg.lightIndex.empty()) {
      std::vector<uint8_t> lights(keyBytes / 3);
      ASSERT_EQ(tp::readKeyIndexTable(ch, lights.data()), tp::kCmdOk);
      EXPECT_EQ(lights, cfg.lightIndex);
    }
  }
  ASSERT_EQ(tp::endConfig(ch, 1), tp::kCmdOk);

  // Settings: first byte, the active block, then a framed write read back.
  uint8_t slot = 0xEE;
  ASSERT_EQ(tp::readSettings(ch, &slot, 1, 0), tp::kCmdOk);
  EXPECT_EQ(slot, 0);
  const auto block = pattern(cfg.blockSize, 40);
  ASSERT_EQ(tp::beginConfig(ch), tp::kCmdOk);
  ASSERT_EQ(tp::writeSettings(ch, block.data(), block.size(), static_cast<uint16_t>(cfg.slotStride)), tp::kCmdOk);
  ASSERT_EQ(tp::endConfig(ch, 1), tp::kCmdOk);
  std::vector<uint8_t> back(block.size());
  ASSERT_EQ(tp::readSettings(ch, back.data(), back.size(), static_cast<uint16_t>(cfg.slotStride)), tp::kCmdOk);
  EXPECT_EQ(back, block);

  if (keyBytes > 0) {
    auto keys = cfg.keyTable;
    std::swap(keys[0], keys[3]);
    ASSERT_EQ(tp::beginConfig(ch), tp::kCmdOk);
    ASSERT_EQ(tp::writeKeyTable(ch, keys.data(), 0), tp::kCmdOk);
    ASSERT_EQ(tp::endConfig(ch, 1), tp::kCmdOk);
    EXPECT_EQ(e.firmware().committedKeyTable(), keys);
  }
  if (cfg.macroSize > 0) {
    // Two macros: 16-byte header, 2 offsets, records of 1 and 2 events.
    std::vector<uint8_t> image = {0xAA, 0x55, 40, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 0, 28, 0,
                                  1, 0, 0, 0, 10, 0, 0x84, 4, 2, 0, 0, 0, 10, 0, 0x84, 5, 10, 0, 0x04, 5};
    ASSERT_EQ(tp::beginConfig(ch), tp::kCmdOk);
    ASSERT_EQ(tp::writeMacroData(ch, image.data(), image.size()), tp::kCmdOk);
    ASSERT_EQ(tp::endConfig(ch, 1), tp::kCmdOk);
    EXPECT_EQ(e.firmware().committedMacros().macros, 2u);
    const auto mem = e.firmware().memory(Area::Macro);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), mem.begin()));
  }
  if (cfg.colorBanks > 0) {
    const auto colors = pattern(3 * 126, 1);
    ASSERT_EQ(tp::writeLedColors(ch, colors.data(), colors.size(), 2, 512), tp::kCmdOk);
    const auto banks = e.firmware().memory(Area::ColorBanks);
    EXPECT_TRUE(std::equal(colors.begin(), colors.end(), banks.begin() + 1024));
  }

  const auto frame = pattern(3 * cfg.frameLeds, 7);
  ASSERT_EQ(tp::streamLightFrame(ch, frame.data(), frame.size()), tp::kCmdOk);
  EXPECT_EQ(e.firmware().stats().streamFrames, 1u);
  EXPECT_EQ(e.ledView().source, LedView::Source::Stream);

  uint8_t status[6];
  ASSERT_EQ(tp::readBlock(ch, status, 6, 0), tp::kCmdOk);
  EXPECT_EQ(std::memcmp(status, cfg.status.data(), 6), 0);
  EXPECT_TRUE(tp::queryLink(ch));
  EXPECT_EQ(tp::sendExitNotice(ch), tp::kCmdOk);
  EXPECT_EQ(e.firmware().stats().exitNotices, 1u);

  EXPECT_EQ(e.violations(), 0u) << (e.firmware().violationLog().empty() ? "" : e.firmware().violationLog().back());
}

TEST_P(EveryEmulator, RefusesOutOfRangeRequests) {
  Plugged dev(GetParam().kind, "range-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e));
  const size_t size = e.firmware().memory(Area::Settings).size();
  std::vector<uint8_t> buf(100);
  EXPECT_EQ(tp::readSettings(ch, buf.data(), 30, static_cast<uint16_t>(size - 10)), tp::kCmdStatusError);
  EXPECT_EQ(tp::readBlock(ch, buf.data(), 7, 0), tp::kCmdStatusError);
  EXPECT_EQ(e.violations(), 2u);
  // The chunks before the failing one have been carried out.
  const auto before = e.firmware().memory(Area::Settings);
  std::vector<uint8_t> data(70, 0x5A);
  EXPECT_EQ(tp::writeSettings(ch, data.data(), data.size(), static_cast<uint16_t>(size - 60)), tp::kCmdStatusError);
  const auto after = e.firmware().memory(Area::Settings);
  EXPECT_EQ(after[size - 60], 0x5A);
  EXPECT_EQ(after[size - 1], before[size - 1]);
  EXPECT_EQ(e.violations(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Sim, EveryEmulator,
    ::testing::Values(KindCase{DeviceKind::Keyboard, "vid_0c45&pid_7666&mi_01", {"&col01", "&col02", "&col03", "&col04"}},
                      KindCase{DeviceKind::Mouse, "vid_0000&pid_0000&mi_01", {"&col01", "&col02", "&col03", "&col04"}},
                      KindCase{DeviceKind::Mousepad, "vid_0c45&pid_6627&mi_01", {"&col01", "&col02", "&col03", "&col04"}},
                      KindCase{DeviceKind::Headset, "vid_0d8c&pid_01da&mi_03", {"&mi_03"}}),
    [](const ::testing::TestParamInfo<KindCase>& i) { return std::string(kindName(i.param.kind)); });

TEST(SimFaults, ChannelSeesEachFaultAsTheHostWould) {
  Plugged dev(DeviceKind::Mouse, "faults-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e, 200));
  uint8_t info[34];
  e.firmware().addFault({FaultKind::Silence, 1, 0, 0});
  EXPECT_EQ(tp::readDeviceInfo(ch, info), 0);
  e.firmware().addFault({FaultKind::Refuse, 1, 0, 0});
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdStatusError);
  e.firmware().addFault({FaultKind::Busy, 1, 0, 0});
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdStatusBusy);
  e.firmware().addFault({FaultKind::Crossed, 1, 0, 0});
  std::memset(info, 0, sizeof info);
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);  // the second read takes the real answer
  EXPECT_EQ(info[5], 10);
  e.firmware().addFault({FaultKind::Slow, 1, 0, 50});
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdOk);
  e.firmware().addFault({FaultKind::Slow, 1, 0, 600});  // slower than the time-out
  EXPECT_EQ(tp::readDeviceInfo(ch, info), 0);
  e.setOnline(false);
  EXPECT_FALSE(tp::queryLink(ch));
  EXPECT_EQ(tp::readDeviceInfo(ch, info), tp::kCmdStatusBusy);
  e.setOnline(true);
  // The late answer of the slow request may still be queued: one read skips it.
  EXPECT_TRUE(tp::queryLink(ch));
  EXPECT_EQ(e.violations(), 0u);
}

TEST(SimUnplug, WaitingReadEndsAtOnceAndTheDeviceComesBack) {
  Plugged dev(DeviceKind::Keyboard, "unplug-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e, 10000));
  e.firmware().addFault({FaultKind::Silence, -1, 0, 0});
  std::atomic<int> result{99};
  std::atomic<uint64_t> took{0};
  std::thread reader([&] {
    uint8_t info[34];
    const uint64_t t0 = tickMs();
    result = tp::readDeviceInfo(ch, info);
    took = tickMs() - t0;
  });
  ASSERT_TRUE(e.waitForRequests(1, 5000));
  e.unplug();
  reader.join();
  EXPECT_EQ(result.load(), 0);
  EXPECT_LT(took.load(), 5000u);  // far below the 10 s time-out: the hang-up ended it
  EXPECT_TRUE(commandPath(e).empty());
  ch.closeChannel();

  e.firmware().clearFaults();
  ASSERT_TRUE(e.plug());
  tp::HidChannel again;
  ASSERT_TRUE(openCommand(again, e));
  uint8_t info[34];
  EXPECT_EQ(tp::readDeviceInfo(again, info), tp::kCmdOk);
  EXPECT_EQ(e.violations(), 0u);
}

TEST(SimUnplug, SlowAnswerIsDroppedWithoutHoldingUpTheUnplug) {
  Plugged dev(DeviceKind::Mousepad, "slow-unplug-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e, 10000));
  e.firmware().addFault({FaultKind::Slow, -1, 0, 30000});
  std::thread reader([&] {
    uint8_t b[6];
    EXPECT_EQ(tp::readBlock(ch, b, 6, 0), 0);
  });
  ASSERT_TRUE(e.waitForRequests(1, 5000));
  const uint64_t t0 = tickMs();
  e.unplug();
  EXPECT_LT(tickMs() - t0, 5000u);
  reader.join();
}

// Reads input reports until one carries a usage (skipping idle reports).
uint16_t nextUsage(hid::HidDeviceInfo& dev) {
  for (int i = 0; i < 8; ++i) {
    uint8_t buf[64];
    size_t n = 0;
    if (!dev.readReport(sizeof buf, &n, buf, 2000)) return 0;
    std::vector<uint16_t> usages;
    hid::getUsages(*dev.preparsedData(), hid::ReportType::Input, 0x000C, buf, n, usages);
    if (!usages.empty()) return usages[0];
  }
  return 0;
}

TEST(SimEvents, KeysAndDeviceNoticesArriveOnTheNotifyCollection) {
  Plugged dev(DeviceKind::Keyboard, "events-");
  Emulator& e = *dev.emulator;
  hid::HidDeviceInfo notify;
  ASSERT_TRUE(notify.open(notifyPath(e), true, false, true, false));
  hid::HidDeviceInfo boot;
  ASSERT_TRUE(boot.open(test::pathOf(e.interfaces()[0]->info().name, ""), true, false, true, false));
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e));

  const auto a = static_cast<unsigned>(keyboard::findDeviceKey("A"));
  ASSERT_TRUE(e.pressKey(a));
  EXPECT_EQ(nextUsage(notify), kUsageKeyPress + a);
  uint8_t keys[16];
  size_t n = 0;
  ASSERT_TRUE(boot.readReport(sizeof keys, &n, keys, 2000));
  ASSERT_EQ(n, 9u);
  EXPECT_EQ(keys[3], 0x04);  // usage of A
  ASSERT_TRUE(e.releaseKey(a));
  EXPECT_EQ(nextUsage(notify), kUsageKeyRelease + a);
  ASSERT_TRUE(e.changeSlot(2));
  EXPECT_EQ(nextUsage(notify), 0x401);
  ASSERT_TRUE(e.sendNotice());
  EXPECT_EQ(nextUsage(notify), 0x404);

  // The command channel sees none of it.
  uint8_t slot = 0;
  ASSERT_EQ(tp::readSettings(ch, &slot, 1, 0), tp::kCmdOk);
  EXPECT_EQ(slot, 2);
  EXPECT_FALSE(e.pressKey(static_cast<unsigned>(e.firmware().keyCount())));
  EXPECT_EQ(e.violations(), 0u);
}

TEST(SimHeadset, LedOutputReportsBecomeTheLedState) {
  Plugged dev(DeviceKind::Headset, "leds-");
  auto& e = static_cast<HeadsetEmulator&>(*dev.emulator);
  hid::HidDeviceInfo out;
  ASSERT_TRUE(out.open(commandPath(e), false, true, true, false));
  const uint8_t groups[] = {0x22, 0x44};
  const uint8_t channels[] = {0xAA, 0xAD, 0xAB, 0xAE, 0xAC, 0xAF};
  for (uint8_t ch : channels) {
    for (uint8_t g : groups) {
      uint8_t r[17] = {0xFF, g, ch, 0};
      const size_t count = ch >= 0xAD ? 6 : 7;
      for (size_t i = 0; i < count; ++i) r[4 + i] = static_cast<uint8_t>(ch - 0xAA + 10 * i);
      size_t written = 0;
      ASSERT_TRUE(out.writeReport(sizeof r, &written, r, 1000));
    }
  }
  for (int i = 0; i < 200 && e.leds().reports < 12; ++i) sleepMs(5);
  const HeadsetLeds leds = e.leds();
  ASSERT_EQ(leds.reports, 12u);
  EXPECT_EQ(leds.groups[0][8], (Rgb{3 + 10, 4 + 10, 5 + 10}));
  EXPECT_EQ(leds.groups[1][2], (Rgb{20, 21, 22}));
  ASSERT_EQ(leds.recent.size(), 12u);  // in the order they were written
  EXPECT_EQ(leds.recent[0], (HeadsetLedReportId{0x22, 0xAA}));
  EXPECT_EQ(leds.recent[1], (HeadsetLedReportId{0x44, 0xAA}));
  EXPECT_EQ(leds.recent[11], (HeadsetLedReportId{0x44, 0xAF}));
  EXPECT_EQ(e.ledView().source, LedView::Source::Reports);
  EXPECT_EQ(e.violations(), 0u);
}

TEST(SimTiming, FullSpeedModelPacesOneReportPerMillisecond) {
  Plugged dev(DeviceKind::Mousepad, "timing-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e));
  e.setTiming(true);
  constexpr int kExchanges = 40;
  const auto t0 = std::chrono::steady_clock::now();
  uint8_t b[6];
  for (int i = 0; i < kExchanges; ++i) ASSERT_EQ(tp::readBlock(ch, b, 6, 0), tp::kCmdOk);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_GE(ms, kExchanges - 1);
  EXPECT_EQ(e.violations(), 0u);
}

// Light frames sent under lightLock may take a command's answer (the light
// read has no echo check) and the command then times out; both sides see a
// clean failure, the device sees only well-formed requests, and once the
// light traffic stops the channel works again.
TEST(SimConcurrency, LightTrafficBetweenCommandsNeverBreaksTheDevice) {
  Plugged dev(DeviceKind::Keyboard, "busy-");
  Emulator& e = *dev.emulator;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, e, 100));
  std::atomic<bool> done{false};
  std::atomic<int> oddResults{0};
  std::thread light([&] {
    const auto colors = pattern(3 * 126, 3);
    while (!done.load()) {
      const int a = tp::streamLightFrame(ch, colors.data(), colors.size());
      const int b = tp::writeLedColors(ch, colors.data(), 56, 1, 512);
      if ((a != tp::kCmdOk && a != 0) || (b != tp::kCmdOk && b != 0)) ++oddResults;
    }
  });
  const auto block = pattern(26, 9);
  uint8_t back[26];
  for (int i = 0; i < 20; ++i) {
    for (int r : {tp::beginConfig(ch), tp::writeSettings(ch, block.data(), block.size(), 0), tp::endConfig(ch, 1),
                  tp::readSettings(ch, back, sizeof back, 0)}) {
      if (r != tp::kCmdOk && r != 0) ++oddResults;
    }
  }
  done = true;
  light.join();
  EXPECT_EQ(oddResults.load(), 0);
  ASSERT_EQ(tp::readSettings(ch, back, sizeof back, 0), tp::kCmdOk);
  EXPECT_EQ(std::vector<uint8_t>(back, back + 26), block);
  EXPECT_EQ(e.violations(), 0u);
}

TEST(SimDemo, StartsTheNamedDevicesAndStopsThem) {
  std::string error;
  ASSERT_TRUE(startDemo("keyboard, headset", &error)) << error;
  EXPECT_EQ(test::pathsOf("demo-keyboard-if1").size(), 4u);
  EXPECT_EQ(test::pathsOf("demo-headset-if3").size(), 1u);
  EXPECT_TRUE(test::pathsOf("demo-mouse-if1").empty());
  ASSERT_NE(demoEmulator(DeviceKind::Headset), nullptr);
  EXPECT_EQ(demoEmulator(DeviceKind::Mouse), nullptr);

  EXPECT_FALSE(startDemo("keyboard,toaster", &error));  // refused: the running demo stays
  EXPECT_NE(error.find("toaster"), std::string::npos);
  EXPECT_EQ(test::pathsOf("demo-keyboard-if1").size(), 4u);

  ASSERT_TRUE(startDemo("all", &error)) << error;
  tp::HidChannel ch;
  ASSERT_TRUE(openCommand(ch, *demoEmulator(DeviceKind::Mouse)));
  EXPECT_TRUE(tp::queryLink(ch));
  EXPECT_EQ(demoViolations(), 0u);
  stopDemo();
  EXPECT_TRUE(test::pathsOf("demo-mouse-if1").empty());
  EXPECT_LE(tp::readBlock(ch, nullptr, 0, 0), 0);
  stopDemo();  // harmless twice
}

}  // namespace
}  // namespace kavro::sim
