// Emulated devices keep their memory across runs in a state file, as real
// devices keep their flash: the file's text, a device powered up again over
// the real channel, the demo devices, and the factory values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "profiles/json_file.h"
#include "sim/demo.h"
#include "sim/device_state_file.h"
#include "sim/keyboard_layout.h"
#include "sim_test_util.h"
#include "../profiles/profile_test_util.h"

namespace kavro::sim {
namespace {

namespace tp = transport;

using TempFolder = profiles::test::TempDir;

bool openCommand(tp::HidChannel& ch, const Emulator& e) {
  const std::string path = test::commandPath(e);
  return !path.empty() && ch.openPath(path);
}

TEST(DeviceStateFile, RoundTripsEveryAreaAndRefusesWhatDoesNotFit) {
  FirmwareState sizes{std::vector<uint8_t>(8), std::vector<uint8_t>(6), std::vector<uint8_t>(4), std::vector<uint8_t>(10)};
  FirmwareState s = sizes;
  s.settings = {0, 1, 0xAB, 0, 0, 0, 0, 0};
  s.keyTable = {0x20, 0, 0x29, 0, 0, 0};
  s.colorBanks = {0, 0, 0, 0xFF};
  const Json::Value doc = stateDocument("keyboard", s);
  EXPECT_EQ(doc[kStateSettings].asString(), "0001ab");  // trailing zero bytes are left out
  EXPECT_EQ(doc[kStateMacro].asString(), "");
  FirmwareState back;
  ASSERT_TRUE(stateFromDocument(doc, "keyboard", sizes, back));
  EXPECT_EQ(back, s);

  EXPECT_FALSE(stateFromDocument(doc, "mouse", sizes, back));  // another kind's file
  Json::Value bad = doc;
  bad[kStateSettings] = "0001a";  // odd length
  EXPECT_FALSE(stateFromDocument(bad, "keyboard", sizes, back));
  bad[kStateSettings] = "zz";
  EXPECT_FALSE(stateFromDocument(bad, "keyboard", sizes, back));
  bad[kStateSettings] = std::string(18, '1');  // nine bytes for an area of eight
  EXPECT_FALSE(stateFromDocument(bad, "keyboard", sizes, back));
  bad = doc;
  bad.removeMember(kStateKeyTable);
  EXPECT_FALSE(stateFromDocument(bad, "keyboard", sizes, back));
  EXPECT_EQ(back, s);  // untouched by the refusals
}

TEST(DeviceState, AKeyboardPoweredUpAgainHasWhatItWasToldAndAFreshOneHasFactoryMemory) {
  TempFolder folder;
  const std::string file = folder.file("keyboard.json");
  std::vector<uint8_t> block(26, 0);
  block[block::kEffect] = 6;
  block[block::kBrightness] = 2;
  block[block::kRed] = 0x12;
  const std::vector<uint8_t> colours(3 * 126, 0x5A);
  FirmwareState told;
  {
    auto e = makeEmulator(DeviceKind::Keyboard, inProcessPresence(), "keep1-");
    EXPECT_FALSE(e->keepStateIn(file));  // nothing kept yet: factory memory
    ASSERT_TRUE(e->plug());
    tp::HidChannel ch;
    ASSERT_TRUE(openCommand(ch, *e));
    ASSERT_EQ(tp::beginConfig(ch), tp::kCmdOk);
    ASSERT_EQ(tp::writeSettings(ch, block.data(), block.size(), 0), tp::kCmdOk);
    ASSERT_EQ(tp::endConfig(ch), tp::kCmdOk);
    ASSERT_EQ(tp::writeLedColors(ch, colours.data(), colours.size(), 2, kColorBankStride), tp::kCmdOk);
    told = e->firmware().keptState();
    EXPECT_EQ(e->violations(), 0u);
  }
  ASSERT_TRUE(std::filesystem::exists(file));

  auto again = makeEmulator(DeviceKind::Keyboard, inProcessPresence(), "keep2-");
  EXPECT_TRUE(again->keepStateIn(file));
  EXPECT_EQ(again->firmware().keptState(), told);
  const LedView view = again->ledView();
  EXPECT_EQ(view.effect, 6);
  EXPECT_EQ(view.brightness, 2);
  EXPECT_EQ(view.color.r, 0x12);

  // A device that keeps nothing starts from the factory, inside the ranges
  // the pages offer.
  auto fresh = makeEmulator(DeviceKind::Keyboard, inProcessPresence(), "keep3-");
  EXPECT_NE(fresh->firmware().keptState(), told);
  EXPECT_EQ(fresh->ledView().brightness, kFactoryBrightness);
  for (DeviceKind kind : {DeviceKind::Mouse, DeviceKind::Mousepad}) {
    auto other = makeEmulator(kind, inProcessPresence(), "keep4-");
    EXPECT_LE(other->ledView().brightness, 4) << kindName(kind);
  }
}

TEST(DeviceState, ADamagedOrForeignFileLeavesFactoryMemory) {
  TempFolder folder;
  const std::string file = folder.file("keyboard.json");
  std::ofstream(file) << "{ \"Kind\": \"keyb";
  auto e = makeEmulator(DeviceKind::Keyboard, inProcessPresence(), "keep5-");
  const FirmwareState factory = e->firmware().keptState();
  EXPECT_FALSE(e->keepStateIn(file));
  EXPECT_EQ(e->firmware().keptState(), factory);
  ASSERT_EQ(profiles::wirtejsonFile(file, stateDocument("mouse", factory)), 0);
  EXPECT_FALSE(e->keepStateIn(file));
  EXPECT_EQ(e->firmware().keptState(), factory);
}

TEST(DeviceState, DemoDevicesKeepTheirMemoryOnlyWhenGivenAFolder) {
  TempFolder folder;
  std::string error;
  ASSERT_TRUE(startDemo("keyboard", &error, folder.path())) << error;
  // Changed with the keyboard's own keys (nobody listens: only the memory changes).
  (void)demoEmulator(DeviceKind::Keyboard)->changeEffect(9);
  ASSERT_EQ(demoEmulator(DeviceKind::Keyboard)->ledView().effect, 9);
  stopDemo();
  ASSERT_TRUE(std::filesystem::exists(demoStateFile(folder.path(), DeviceKind::Keyboard)));

  ASSERT_TRUE(startDemo("keyboard", &error, folder.path())) << error;
  EXPECT_EQ(demoEmulator(DeviceKind::Keyboard)->ledView().effect, 9);
  stopDemo();

  ASSERT_TRUE(startDemo("keyboard", &error)) << error;  // no folder: factory memory
  EXPECT_NE(demoEmulator(DeviceKind::Keyboard)->ledView().effect, 9);
  stopDemo();
}

}  // namespace
}  // namespace kavro::sim
