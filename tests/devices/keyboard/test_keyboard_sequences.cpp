// The keyboard's command sequences as the command worker runs them, against
// the keyboard emulator over the real channel (no window, no Qt), and the
// record of the block the program leaves at exit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "devices/keyboard/keyboard_exit_record.h"
#include "devices/keyboard/keyboard_sequences.h"
#include "sim/emulator.h"
#include "sim/keyboard_layout.h"
#include "transport/hid_channel.h"
#include "transport/sequence_result.h"
#include "../../profiles/profile_test_util.h"
#include "../../sim/sim_test_util.h"

namespace kavro::keyboard {
namespace {

namespace tp = transport;

constexpr int kShortMs = 200;  // time-outs of the silent cases

class KeyboardSequences : public ::testing::Test {
 protected:
  void SetUp() override {
    static int serial = 0;
    emulator_ = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(),
                                  "kbseq" + std::to_string(++serial) + "-");
    ASSERT_TRUE(emulator_->plug());
    ch_.setTimeouts(kShortMs, kShortMs);
    ASSERT_TRUE(ch_.openPath(sim::test::commandPath(*emulator_)));
  }
  void TearDown() override { EXPECT_EQ(emulator_->violations(), 0u); }
  uint64_t sent(uint8_t command) { return emulator_->firmware().stats().perCommand[command]; }

  std::unique_ptr<sim::Emulator> emulator_;
  tp::HidChannel ch_;
};

TEST_F(KeyboardSequences, ArrivalReadsTheTablesThenTheBlockOfTheActiveSlot) {
  ASSERT_TRUE(emulator_->firmware().setActiveSlot(2));
  const ArrivalRead a = readOnArrival(ch_, DeviceTables{}, 0);
  EXPECT_EQ(a.result, tp::kCmdOk);
  EXPECT_EQ(a.tables.keys, emulator_->firmware().keyCount());
  EXPECT_TRUE(a.tables.tablesRead);
  const auto keys = emulator_->firmware().memory(sim::Area::KeyTable);
  EXPECT_TRUE(std::equal(keys.begin(), keys.end(), a.tables.keyTable.begin()));
  EXPECT_EQ(a.settings.slot, 2);
  ASSERT_TRUE(a.settings.blockRead);
  const auto mem = emulator_->firmware().memory(sim::Area::Settings);
  const size_t at = settingsBlockAddress(2);
  EXPECT_TRUE(std::equal(a.settings.block.begin(), a.settings.block.end(), mem.begin() + at));
  EXPECT_EQ(emulator_->firmware().stats().framesCommitted, 1u);  // begin ... end around the table reads
}

TEST_F(KeyboardSequences, AFailedCommandDoesNotStopTheSequenceAndIsItsResult) {
  SettingsBlock block{};
  block[kSbEffect] = 7;
  emulator_->firmware().addFault({sim::FaultKind::Refuse, 1, tp::kCmdBeginConfig, 0});
  EXPECT_EQ(writeSettingsBlock(ch_, block, 0), tp::kCmdStatusError);
  EXPECT_EQ(sent(tp::kCmdWriteSettings), 1u);  // still sent, and end after it
  EXPECT_EQ(sent(tp::kCmdEndConfig), 1u);
  EXPECT_EQ(emulator_->firmware().memory(sim::Area::Settings)[kSbEffect], 7);
  EXPECT_EQ(writeSettingsBlock(ch_, block, 0), tp::kCmdOk);

  // A silent keyboard: nothing read, the slot stays the last known one.
  emulator_->firmware().addFault({sim::FaultKind::Silence, -1, 0, 0});
  const SettingsRead r = readSettingsBlock(ch_, 3);
  EXPECT_TRUE(tp::isNoAnswerResult(r.result));
  EXPECT_FALSE(r.blockRead);
  EXPECT_EQ(r.slot, 3);
  emulator_->firmware().clearFaults();
}

TEST_F(KeyboardSequences, DeviceInfoComesFirstAndOnlyWhatFitsIsWritten) {
  // No macro list: only the device info is read.
  const InfoWrite none = writeMacroMemory(ch_, DeviceInfo{}, MacroSource{});
  EXPECT_EQ(none.result, tp::kCmdOk);
  EXPECT_TRUE(none.infoRead);
  EXPECT_EQ(sent(tp::kCmdReadDeviceInfo), 1u);
  EXPECT_EQ(sent(tp::kCmdBeginConfig), 0u);
  // Two macros of one step each fit; a list too long for the memory is not sent.
  MacroSource two{true, {{MacroImageStep{10, 1, true, 4}}, {MacroImageStep{10, 1, false, 4}}}};
  EXPECT_EQ(writeMacroMemory(ch_, DeviceInfo{}, two).overflow, 0);
  EXPECT_EQ(emulator_->firmware().committedMacros().macros, 2u);
  const uint64_t macroChunks = sent(tp::kCmdWriteMacroData);
  MacroSource huge{true, {std::vector<MacroImageStep>(5000)}};
  EXPECT_GT(writeMacroMemory(ch_, DeviceInfo{}, huge).overflow, 0);
  EXPECT_EQ(sent(tp::kCmdWriteMacroData), macroChunks);
  EXPECT_EQ(sent(tp::kCmdBeginConfig), 1u);  // only the list that fitted opened a frame
  // An empty key table image refreshes the info and writes nothing.
  EXPECT_EQ(writeKeyTableImage(ch_, DeviceInfo{}, {}).result, tp::kCmdOk);
  EXPECT_EQ(sent(tp::kCmdWriteKeyTable), 0u);
}

TEST(KeyboardExitRecord, RemembersTheBlockAndRefusesDamagedRecords) {
  const profiles::test::TempDir dir;
  const std::string& folder = dir.path();
  EXPECT_EQ(readExitRecord(folder), std::nullopt);
  SettingsBlock block{};
  block[kSbEffect] = 1, block[kSbRed] = 200;
  ASSERT_TRUE(writeExitRecord(folder, block));
  EXPECT_EQ(readExitRecord(folder), block);
  EXPECT_TRUE(isOurExitBlock(block, readExitRecord(folder)));
  SettingsBlock changed = block;
  changed[kSbEffect] = 9;  // changed on the keyboard meanwhile
  EXPECT_FALSE(isOurExitBlock(changed, readExitRecord(folder)));
  EXPECT_FALSE(isOurExitBlock(block, std::nullopt));

  for (const char* text : {"{\"Block\": [1, 2]}", "{\"Block\": \"x\"}", "[]", "{\"Block\": [1,2,3,4,5,6,7,8,9,10,11,"
                           "12,13,14,15,16,17,18,19,20,21,22,23,24,25,256]}"}) {
    std::ofstream(exitRecordPath(folder)) << text;
    EXPECT_EQ(readExitRecord(folder), std::nullopt) << text;
  }
  removeExitRecord(folder);
  EXPECT_FALSE(std::filesystem::exists(exitRecordPath(folder)));
}

}  // namespace
}  // namespace kavro::keyboard
