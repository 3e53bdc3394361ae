// The firmware logic on its own: request checks, memory round trips,
// configuration frames, macro images, faults, link state and lights.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "sim/firmware.h"
#include "sim/headset_emulator.h"
#include "sim/keyboard_emulator.h"
#include "sim/keyboard_layout.h"
#include "sim/mouse_emulator.h"
#include "sim/mousepad_emulator.h"

namespace kavro::sim {
namespace {

using wire::Packet;

Reply send(Firmware& fw, const Packet& p) { return fw.handle(p.data(), p.size()); }

Reply sendCmd(Firmware& fw, uint8_t cmd, uint8_t len = 0, uint16_t offset = 0, const uint8_t* data = nullptr) {
  return send(fw, wire::makeRequest(cmd, len, offset, data));
}

uint8_t status(const Reply& r) { return r.answers.empty() ? 0x55 : r.answers.back()[wire::kOffStatus]; }

std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + 7 * i);
  return v;
}

// Writes with 56-byte chunks, as the host does.
void writeChunked(Firmware& fw, uint8_t cmd, uint16_t base, const std::vector<uint8_t>& data) {
  for (size_t p = 0; p < data.size(); p += wire::kMaxData) {
    const size_t n = std::min(wire::kMaxData, data.size() - p);
    ASSERT_EQ(status(sendCmd(fw, cmd, static_cast<uint8_t>(n), static_cast<uint16_t>(base + p), data.data() + p)),
              wire::kStatusOk);
  }
}

std::vector<uint8_t> readChunked(Firmware& fw, uint8_t cmd, uint16_t base, size_t total) {
  std::vector<uint8_t> out;
  for (size_t p = 0; p < total; p += wire::kMaxData) {
    const size_t n = std::min(wire::kMaxData, total - p);
    Reply r = sendCmd(fw, cmd, static_cast<uint8_t>(n), static_cast<uint16_t>(base + p));
    EXPECT_EQ(status(r), wire::kStatusOk);
    EXPECT_EQ(r.answers.back()[wire::kOffCommand], cmd);
    out.insert(out.end(), r.answers.back().begin() + wire::kOffData, r.answers.back().begin() + wire::kOffData + n);
  }
  return out;
}

TEST(Firmware, RefusesAndCountsEveryBrokenRequest) {
  Firmware fw(keyboardConfig());
  const size_t keyBytes = fw.keyCount() * 3;
  struct Case {
    const char* what;
    Packet packet;
    size_t length = wire::kPacketSize;
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, Packet p, size_t len = wire::kPacketSize) { cases.push_back({what, p, len}); };
  add("short report", wire::makeRequest(wire::kReadInfo, 34), 63);
  Packet p = wire::makeRequest(wire::kReadInfo, 34);
  p[0] = 5;
  add("report id", p);
  p = wire::makeRequest(wire::kReadInfo, 34);
  p[wire::kOffChecksumLo] ^= 1;
  add("checksum", p);
  p = wire::makeRequest(wire::kReadInfo, 34);
  p[wire::kOffStatus] = 1;
  wire::seal(p);
  add("status byte", p);
  add("unknown command", wire::makeRequest(0x04));
  add("length above 56", wire::makeRequest(wire::kReadSettings, 57));
  add("settings end", wire::makeRequest(wire::kReadSettings, 26, kbd::kSettingsSize - 25));
  add("key table end", wire::makeRequest(wire::kWriteKeyTable, 4, static_cast<uint16_t>(keyBytes - 3)));
  add("info beyond 34", wire::makeRequest(wire::kReadInfo, 35 - 1, 1));
  add("status beyond 6", wire::makeRequest(wire::kReadStatus, 7));
  add("colour bank end", wire::makeRequest(wire::kWriteColorBank, 2, kbd::kColorBanks * 512 - 1));
  add("frame end", wire::makeRequest(wire::kStreamFrame, 56, 3 * kbd::kFrameLeds - 55));
  add("data on begin", wire::makeRequest(wire::kBeginConfig, 1));
  add("offset on query", wire::makeRequest(wire::kQueryLink, 0, 1));
  const auto before = fw.memory(Area::KeyTable);
  uint64_t expected = 0;
  for (const auto& c : cases) {
    Reply r = fw.handle(c.packet.data(), c.length);
    ++expected;
    EXPECT_EQ(fw.violations(), expected) << c.what;
    ASSERT_EQ(r.answers.size(), 1u) << c.what;
    EXPECT_EQ(r.answers[0][wire::kOffStatus], wire::kStatusRefused) << c.what;
    EXPECT_TRUE(r.violation) << c.what;
  }
  EXPECT_EQ(fw.memory(Area::KeyTable), before);
  EXPECT_EQ(fw.violationLog().size(), cases.size());
}

TEST(Firmware, KnowsOnlyItsOwnCommands) {
  Firmware mouse(mouseConfig());
  EXPECT_EQ(status(sendCmd(mouse, wire::kReadLightIndex, 10)), wire::kStatusRefused);
  EXPECT_EQ(status(sendCmd(mouse, wire::kWriteColorBank, 3)), wire::kStatusRefused);
  Firmware pad(mousepadConfig());
  EXPECT_EQ(status(sendCmd(pad, wire::kReadKeyTable, 3)), wire::kStatusRefused);
  EXPECT_EQ(status(sendCmd(pad, wire::kWriteMacro, 16)), wire::kStatusRefused);
  EXPECT_EQ(mouse.violations(), 2u);
  EXPECT_EQ(pad.violations(), 2u);
}

TEST(Firmware, EveryAreaRoundTripsInChunks) {
  Firmware fw(keyboardConfig());
  const auto settings = pattern(kbd::kSettingsSize, 3);
  const auto keys = pattern(fw.keyCount() * 3, 9);
  const auto bank = pattern(3 * 126, 1);
  sendCmd(fw, wire::kBeginConfig);
  writeChunked(fw, wire::kWriteSettings, 0, settings);
  writeChunked(fw, wire::kWriteKeyTable, 0, keys);
  sendCmd(fw, wire::kEndConfig);
  writeChunked(fw, wire::kWriteColorBank, 2 * 512, bank);
  EXPECT_EQ(readChunked(fw, wire::kReadSettings, 0, settings.size()), settings);
  EXPECT_EQ(readChunked(fw, wire::kReadKeyTable, 0, keys.size()), keys);
  EXPECT_EQ(readChunked(fw, wire::kReadSettings, 50, 26), std::vector<uint8_t>(settings.begin() + 50, settings.begin() + 76));
  const auto banks = fw.memory(Area::ColorBanks);
  EXPECT_TRUE(std::equal(bank.begin(), bank.end(), banks.begin() + 1024));
  const auto info = readChunked(fw, wire::kReadInfo, 0, kInfoSize);
  EXPECT_EQ(info[info::kKeyCount], fw.keyCount());
  EXPECT_EQ(readChunked(fw, wire::kReadLightIndex, 0, fw.keyCount()), keyboardConfig().lightIndex);
  EXPECT_EQ(readChunked(fw, wire::kReadStatus, 0, 6), std::vector<uint8_t>({100, 0, 0, 0, 0, 0}));
  EXPECT_EQ(fw.violations(), 0u);
}

TEST(Firmware, FrameCommitsAtEndAndToleratesUnframedTraffic) {
  Firmware fw(keyboardConfig());
  const uint8_t effect[] = {9};
  sendCmd(fw, wire::kBeginConfig);
  sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect);
  EXPECT_EQ(fw.ledView().effect, 1);  // not shown before the end
  EXPECT_EQ(readChunked(fw, wire::kReadSettings, block::kEffect, 1)[0], 9);  // but readable
  sendCmd(fw, wire::kEndConfig);
  EXPECT_EQ(fw.ledView().effect, 9);

  // The shutdown sequence writes a block before opening its frame; the
  // device programs it at once. An end after a failed begin is harmless.
  const uint8_t other[] = {3};
  EXPECT_EQ(status(sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, other)), wire::kStatusOk);
  EXPECT_EQ(fw.ledView().effect, 3);
  EXPECT_EQ(status(sendCmd(fw, wire::kEndConfig)), wire::kStatusOk);
  sendCmd(fw, wire::kBeginConfig);
  sendCmd(fw, wire::kBeginConfig);
  const Stats s = fw.stats();
  EXPECT_EQ(s.unframedWrites, 1u);
  EXPECT_EQ(s.unmatchedEnds, 1u);
  EXPECT_EQ(s.nestedBegins, 1u);
  EXPECT_EQ(s.framesCommitted, 1u);
  EXPECT_EQ(fw.violations(), 0u);
}

std::vector<uint8_t> macroImage(const std::vector<std::vector<uint32_t>>& macros) {
  size_t events = 0;
  for (const auto& m : macros) events += m.size();
  std::vector<uint8_t> img(16 + 6 * macros.size() + 4 * events, 0);
  auto put16 = [&](size_t at, size_t v) {
    img[at] = static_cast<uint8_t>(v & 0xFF);
    img[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  put16(0, 0x55AA);
  put16(2, img.size());
  put16(4, macros.size());
  size_t at = 16 + 2 * macros.size();
  for (size_t i = 0; i < macros.size(); ++i) {
    put16(16 + 2 * i, at);
    put16(at, macros[i].size());
    at += 4;
    for (uint32_t e : macros[i]) {
      std::memcpy(img.data() + at, &e, 4);
      at += 4;
    }
  }
  return img;
}

TEST(Firmware, ChecksMacroImagesWhenTheFrameEnds) {
  Firmware fw(keyboardConfig());
  const auto good = macroImage({{0x04800010, 0x04000010}, {0x01020304}, std::vector<uint32_t>(30, 0x0A8100FF)});
  sendCmd(fw, wire::kBeginConfig);
  writeChunked(fw, wire::kWriteMacro, 0, good);
  EXPECT_EQ(status(sendCmd(fw, wire::kEndConfig)), wire::kStatusOk);
  EXPECT_EQ(fw.committedMacros().macros, 3u);
  EXPECT_EQ(fw.committedMacros().events, 33u);
  EXPECT_EQ(fw.violations(), 0u);

  auto broken = good;
  broken[2] = static_cast<uint8_t>(broken[2] + 4);  // length claims more than the records hold
  sendCmd(fw, wire::kBeginConfig);
  writeChunked(fw, wire::kWriteMacro, 0, broken);
  EXPECT_EQ(status(sendCmd(fw, wire::kEndConfig)), wire::kStatusRefused);
  EXPECT_EQ(fw.violations(), 1u);
  EXPECT_EQ(fw.committedMacros().macros, 3u);  // the old macros stay

  MacroSummary m;
  std::string why;
  auto truncated = good;
  EXPECT_FALSE(checkMacroImage(truncated.data(), truncated.size() - 1, m, &why));
  auto badMark = good;
  badMark[0] = 0;
  EXPECT_FALSE(checkMacroImage(badMark.data(), badMark.size(), m, &why));
  auto badOffset = good;
  badOffset[16] = 0xF0;
  EXPECT_FALSE(checkMacroImage(badOffset.data(), badOffset.size(), m, &why));
  const auto empty = macroImage({});
  EXPECT_TRUE(checkMacroImage(empty.data(), empty.size(), m, &why));
}

TEST(Firmware, InjectedFaults) {
  Firmware fw(mousepadConfig());
  const uint8_t effect[] = {4};
  fw.addFault({FaultKind::Silence, 1, wire::kWriteSettings, 0});
  EXPECT_TRUE(sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect).answers.empty());
  EXPECT_EQ(fw.memory(Area::Settings)[block::kEffect], 0);  // lost, not carried out
  EXPECT_EQ(status(sendCmd(fw, wire::kReadInfo, 34)), wire::kStatusOk);  // other commands pass

  fw.addFault({FaultKind::Refuse, 1, 0, 0});
  EXPECT_EQ(status(sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect)), wire::kStatusRefused);
  fw.addFault({FaultKind::Busy, 2, 0, 0});
  EXPECT_EQ(status(sendCmd(fw, wire::kReadInfo, 34)), wire::kStatusBusy);
  EXPECT_EQ(status(sendCmd(fw, wire::kReadInfo, 34)), wire::kStatusBusy);
  EXPECT_EQ(status(sendCmd(fw, wire::kReadInfo, 34)), wire::kStatusOk);
  EXPECT_EQ(fw.memory(Area::Settings)[block::kEffect], 0);

  fw.addFault({FaultKind::Crossed, 1, 0, 0});
  Reply crossed = sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect);
  ASSERT_EQ(crossed.answers.size(), 2u);
  EXPECT_NE(crossed.answers[0][wire::kOffCommand], wire::kWriteSettings);
  EXPECT_EQ(crossed.answers[1][wire::kOffCommand], wire::kWriteSettings);
  EXPECT_EQ(fw.memory(Area::Settings)[block::kEffect], 4);

  fw.addFault({FaultKind::Slow, -1, 0, 250});
  EXPECT_EQ(sendCmd(fw, wire::kReadInfo, 34).delayMs, 250u);
  EXPECT_EQ(sendCmd(fw, wire::kReadInfo, 34).delayMs, 250u);
  fw.clearFaults();
  EXPECT_EQ(sendCmd(fw, wire::kReadInfo, 34).delayMs, 0u);
  EXPECT_EQ(fw.violations(), 0u);
}

TEST(Firmware, OfflineDeviceAnswersOnlyTheLinkQuery) {
  Firmware fw(mouseConfig());
  EXPECT_EQ(sendCmd(fw, wire::kQueryLink).answers[0][wire::kOffData], wire::kLinkUp);
  fw.setOnline(false);
  Reply q = sendCmd(fw, wire::kQueryLink);
  EXPECT_EQ(q.answers[0][wire::kOffStatus], wire::kStatusOk);
  EXPECT_EQ(q.answers[0][wire::kOffData], wire::kLinkDown);
  const uint8_t effect[] = {7};
  EXPECT_EQ(status(sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect)), wire::kStatusBusy);
  EXPECT_NE(fw.memory(Area::Settings)[block::kEffect], 7);
  fw.setOnline(true);
  EXPECT_EQ(status(sendCmd(fw, wire::kWriteSettings, 1, block::kEffect, effect)), wire::kStatusOk);
}

TEST(Firmware, LightsFollowSlotEffectStreamAndBanks) {
  uint64_t clock = 1000;
  FirmwareConfig cfg = keyboardConfig();
  cfg.clock = [&clock] { return clock; };
  Firmware fw(cfg);
  EXPECT_EQ(fw.ledView().source, LedView::Source::Effect);
  EXPECT_FALSE(fw.setActiveSlot(kbd::kSlots));
  ASSERT_TRUE(fw.setActiveSlot(1));
  EXPECT_EQ(fw.memory(Area::Settings)[0], 1);
  EXPECT_EQ(fw.ledView().slot, 1u);
  EXPECT_EQ(fw.ledView().effect, 5);  // slot 1's factory effect
  ASSERT_TRUE(fw.setEffect(kbd::kCustomEffect));
  EXPECT_EQ(fw.memory(Area::Settings)[kbd::kSlotStride + block::kEffect], kbd::kCustomEffect);

  // Slot 1 shows colour bank 1 (its custom group byte); the device key whose
  // LED is m takes bytes 3m..3m+2 of the bank.
  const auto& lights = cfg.lightIndex;
  const uint8_t m = lights[5];
  const uint8_t rgb[] = {10, 20, 30};
  sendCmd(fw, wire::kWriteColorBank, 3, static_cast<uint16_t>(512 + 3 * m), rgb);
  LedView bank = fw.ledView();
  ASSERT_EQ(bank.source, LedView::Source::ColorBank);
  ASSERT_EQ(bank.leds.size(), fw.keyCount());
  EXPECT_EQ(bank.leds[5], (Rgb{10, 20, 30}));

  const auto frame = pattern(3 * kbd::kFrameLeds, 0);
  writeChunked(fw, wire::kStreamFrame, 0, frame);
  EXPECT_EQ(fw.stats().streamFrames, 1u);
  EXPECT_EQ(fw.stats().streamChunks, 7u);
  LedView streamed = fw.ledView();
  ASSERT_EQ(streamed.source, LedView::Source::Stream);
  EXPECT_EQ(streamed.leds[1], (Rgb{frame[3], frame[4], frame[5]}));
  clock += kStreamHoldMs;  // frames stopped: the device's own lighting returns
  EXPECT_EQ(fw.ledView().source, LedView::Source::ColorBank);
  writeChunked(fw, wire::kStreamFrame, 0, frame);
  sendCmd(fw, wire::kExitNotice);
  EXPECT_EQ(fw.ledView().source, LedView::Source::ColorBank);
  EXPECT_EQ(fw.stats().exitNotices, 1u);
}

TEST(KeyboardTables, DeviceKeysCoverTheBoardOnceWithDistinctCodesAndLeds) {
  const FirmwareConfig cfg = keyboardConfig();
  const size_t k = cfg.info[info::kKeyCount];
  ASSERT_EQ(cfg.keyTable.size(), 3 * k);
  ASSERT_LE(3 * k, 512u);  // the host refuses a larger table
  ASSERT_EQ(cfg.lightIndex.size(), k);
  std::vector<int> seenPos(keyboard::kPositions, 0), seenLed(256, 0);
  std::vector<std::array<uint8_t, 3>> codes;
  for (size_t i = 0; i < k; ++i) {
    const auto& key = keyboard::deviceKeys()[i];
    ++seenPos[key.position];
    ++seenLed[cfg.lightIndex[i]];
    EXPECT_LT(cfg.lightIndex[i], 126) << "LED outside the colours the host sends";
    const std::array<uint8_t, 3> code{cfg.keyTable[3 * i], cfg.keyTable[3 * i + 1], cfg.keyTable[3 * i + 2]};
    EXPECT_EQ(code, keyboard::defaultCode(key.position)) << "device key " << i;
    EXPECT_NE(code, (std::array<uint8_t, 3>{0x20, 0, 0})) << "device key " << i << " has no function";
    codes.push_back(code);
  }
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(std::adjacent_find(codes.begin(), codes.end()), codes.end()) << "two device keys share a code";
  for (unsigned c = 0; c < keyboard::kGridColumns; ++c) {
    for (unsigned r = 0; r < keyboard::kGridRows; ++r) {
      const uint8_t pos = keyboard::gridPosition(c, r);
      if (pos != keyboard::kNoPosition) {
        EXPECT_EQ(seenPos[pos], 1) << "position " << int{pos};
      }
    }
  }
  EXPECT_EQ(std::count(seenLed.begin(), seenLed.end(), 1), static_cast<long>(k));
  EXPECT_EQ(keyboard::findDeviceKey("esc"), keyboard::findDeviceKey("#" + std::to_string(keyboard::findDeviceKey("Esc"))));
  EXPECT_GE(keyboard::findDeviceKey("1"), 0);
  EXPECT_NE(keyboard::findDeviceKey("1"), 1);  // the key "1", not device key 1
  EXPECT_EQ(keyboard::findDeviceKey("#999"), -1);
  EXPECT_EQ(keyboard::findDeviceKey("nokey"), -1);
}

TEST(KeyboardTables, BootReportCarriesModifiersUsagesAndRollover) {
  const FirmwareConfig cfg = keyboardConfig();
  const auto a = static_cast<unsigned>(keyboard::findDeviceKey("A"));
  const auto shift = static_cast<unsigned>(keyboard::findDeviceKey("LShift"));
  const auto fn = static_cast<unsigned>(keyboard::findDeviceKey("Fn"));
  auto r = bootKeyboardReport({a, shift, fn}, cfg.keyTable);
  EXPECT_EQ(r[0], 0x02);
  EXPECT_EQ(r[2], 0x04);
  EXPECT_EQ(r[3], 0);
  std::set<unsigned> many;
  for (const char* n : {"Q", "W", "E", "R", "T", "Y", "U"}) many.insert(static_cast<unsigned>(keyboard::findDeviceKey(n)));
  r = bootKeyboardReport(many, cfg.keyTable);
  EXPECT_EQ(r[2], 0x01);
  EXPECT_EQ(r[7], 0x01);
}

TEST(MouseTables, InfoRecordAndButtons) {
  const FirmwareConfig cfg = mouseConfig();
  EXPECT_EQ(cfg.info[info::kKeyCount], 10);
  EXPECT_EQ(cfg.info[info::kMacroUnits], 72);
  EXPECT_EQ(cfg.info[info::kDpiStep], mouse::kDpiStep);
  EXPECT_EQ(cfg.info[info::kDpiMaxLo] | cfg.info[info::kDpiMaxHi] << 8, mouse::kDpiMaxSlider);
  EXPECT_EQ(cfg.info[info::kDpiMinLo] | cfg.info[info::kDpiMinHi] << 8, mouse::kDpiMin);
  const uint8_t defaults[10][3] = {{0x10, 1, 0},    {0x10, 2, 0},    {0x10, 4, 0},    {0x10, 0x10, 0},
                                   {0x10, 8, 0},    {0x13, 1, 0},    {0x13, 2, 0},    {0x13, 3, 0},
                                   {0xA0, 0x1B, 0}, {0x16, 0x90, 1}};
  for (const auto& d : defaults) {
    int found = 0;
    for (size_t k = 0; k < 10; ++k) found += std::equal(d, d + 3, cfg.keyTable.begin() + 3 * k);
    EXPECT_EQ(found, 1) << int{d[0]} << " " << int{d[1]};
  }
  // The settings read of the last slot fits the memory.
  EXPECT_LE((mouse::kSlots - 1) * mouse::kSlotStride + mouse::kBlockSize, cfg.settings.size());
}

TEST(HeadsetLeds, ReportsSetOneColourOfOneHalf) {
  HeadsetLeds leds;
  std::string why;
  uint8_t r[17] = {0xFF, 0x22, 0xAD, 0, 1, 2, 3, 4, 5, 247, 0};
  ASSERT_TRUE(applyHeadsetLedReport(r, sizeof r, leds, &why)) << why;
  EXPECT_EQ(leds.groups[0][7].r, 1);
  EXPECT_EQ(leds.groups[0][12].r, 247);
  EXPECT_EQ(leds.groups[1][7].r, 0);
  uint8_t g[17] = {0xFF, 0x44, 0xAB, 0, 9, 9, 9, 9, 9, 9, 9};
  ASSERT_TRUE(applyHeadsetLedReport(g, sizeof g, leds, &why)) << why;
  EXPECT_EQ(leds.groups[1][0].g, 9);
  EXPECT_EQ(leds.groups[1][6].g, 9);

  uint8_t bad[17] = {0xFF, 0x22, 0xAA, 0, 248};
  EXPECT_FALSE(applyHeadsetLedReport(bad, sizeof bad, leds, &why));
  bad[4] = 1, bad[1] = 0x33;
  EXPECT_FALSE(applyHeadsetLedReport(bad, sizeof bad, leds, &why));
  bad[1] = 0x22, bad[2] = 0xB0;
  EXPECT_FALSE(applyHeadsetLedReport(bad, sizeof bad, leds, &why));
  bad[2] = 0xAD, bad[10] = 5;  // a second-half report has six values
  EXPECT_FALSE(applyHeadsetLedReport(bad, sizeof bad, leds, &why));
  EXPECT_FALSE(applyHeadsetLedReport(bad, 16, leds, &why));
  EXPECT_EQ(leds.reports, 2u);
}

}  // namespace
}  // namespace kavro::sim
