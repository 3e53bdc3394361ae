// The keyboard device object against the keyboard emulator, through the real
// channel: connection set-up, settings, key tables, macros, per-key colours
// and the notify interface.
#include <fstream>

#include "keyboard_device_fixture.h"
#include "macros/macro_files.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "profiles/save_failure.h"
#include "sim/keyboard_emulator.h"
#include "sim/keyboard_layout.h"
#include "sim/sim_test_util.h"
#include "skin/qt_app.h"
#include "transport/command_set.h"

using namespace kavro;
using kavro::test::KeyboardDeviceTest;
using kavro::test::SentCommand;

namespace {

keyboard::SettingsBlock blockWith(uint8_t effect, uint8_t speedByte, uint8_t group = 0) {
  keyboard::SettingsBlock b{};
  b[keyboard::kSbEffect] = effect;
  b[keyboard::kSbBrightness] = 5;
  b[keyboard::kSbSpeed] = speedByte;
  b[keyboard::kSbDirection] = 1;
  b[keyboard::kSbMultiColor] = 1;
  b[keyboard::kSbRed] = 10;
  b[keyboard::kSbCustomGroup] = group;
  return b;
}

// Device key of a position on the emulated board (the first one there).
int deviceKeyAt(unsigned position) {
  const auto& keys = sim::keyboard::deviceKeys();
  for (size_t k = 0; k < keys.size(); ++k) {
    if (keys[k].position == position) return static_cast<int>(k);
  }
  return -1;
}

}  // namespace

TEST_F(KeyboardDeviceTest, FirstConnectSendsTheSetUpSequenceMapsKeysAndLoadsTheProfile) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);

  EXPECT_EQ(recorder_.commandOrder(), (std::vector<uint8_t>{0x01, 0x03, 0x07, 0x1B, 0x02, 0x05}));
  const auto sent = recorder_.commands();
  ASSERT_GE(sent.size(), 2u);
  EXPECT_EQ(sent[sent.size() - 2], (SentCommand{0x05, 1, 0}));
  EXPECT_EQ(sent.back(), (SentCommand{0x05, 26, 0}));

  const auto& keys = sim::keyboard::deviceKeys();
  EXPECT_EQ(d->deviceKeyCount(), keys.size());
  const auto table = d->tablePositions();
  const auto leds = d->ledPositions();
  for (size_t k = 0; k < keys.size(); ++k) {
    if (deviceKeyAt(keys[k].position) != static_cast<int>(k)) continue;
    EXPECT_EQ(table[keys[k].position], k) << "position " << int(keys[k].position);
    EXPECT_EQ(leds[keys[k].position], keys[k].led);
  }
  EXPECT_EQ(d->keyToTablePos.size(), keyboard::kPositionCount);

  // The profile came from the factory file into the user's folder, with the
  // device's settings stored in it.
  const std::string path = d->profileData().getProfilePath();
  EXPECT_EQ(path.rfind(userFolder(), 0), 0u) << path;
  const Json::Value doc = profiles::readJsonDocument(path);
  EXPECT_TRUE(doc["Device"][0]["KeyList"].isArray());
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), emulator_->ledView().effect);
  EXPECT_EQ(d->keyAssignments().size(), keyboard::kPositionCount);
  EXPECT_TRUE(d->previewRunning());
}

TEST_F(KeyboardDeviceTest, ReadsTheBlockOfTheActiveSlotAndStoresItInTheProfile) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  putBlock(*d, 2, blockWith(7, 4));
  ASSERT_TRUE(emulator_->firmware().setActiveSlot(2));
  d->channel.stateFlag = 1;
  recorder_.clear();

  d->readSettings();
  settle(*d);

  const auto sent = recorder_.commands();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], (SentCommand{0x05, 1, 0}));
  EXPECT_EQ(sent[1], (SentCommand{0x05, 26, 50}));
  EXPECT_EQ(d->channel.stateFlag.load(), 0);
  EXPECT_EQ(d->lightState().effect, 7);
  EXPECT_EQ(d->lightState().speed, 0);  // speed byte 4
  EXPECT_EQ(d->getLightParams().light.mode, 7);
  const Json::Value doc = profiles::readJsonDocument(d->profileData().getProfilePath());
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 7);
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["Speed"].asInt(), 0);
}

TEST_F(KeyboardDeviceTest, AFailedReadKeepsStateAndProfile) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  const auto before = d->lightState();
  emulator_->firmware().addFault({sim::FaultKind::Refuse, 2, 0x05, 0});
  d->readSettings();
  settle(*d);
  EXPECT_EQ(d->lightState(), before);
  emulator_->firmware().clearFaults();
}

TEST_F(KeyboardDeviceTest, WritesTheSettingsBlockInOneFrameWithSpeedReversed) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  devices::DeviceLightParams p = d->getLightParams();
  p.light.mode = 5;
  p.light.speedLevel = 0;
  p.light.brightnessLevel = 3;
  d->setLightParams(p);
  recorder_.clear();

  EXPECT_EQ(d->writeLightSettings(), transport::kCmdOk);  // queued
  settle(*d);

  EXPECT_EQ(recorder_.commandOrder(), (std::vector<uint8_t>{0x01, 0x06, 0x02}));
  EXPECT_EQ(recorder_.commands()[1], (SentCommand{0x06, 26, 0}));
  const auto mem = emulator_->firmware().memory(sim::Area::Settings);
  EXPECT_EQ(mem[keyboard::kSbEffect], 5);
  EXPECT_EQ(mem[keyboard::kSbSpeed], 4);
  EXPECT_EQ(mem[keyboard::kSbBrightness], 3);
}

TEST_F(KeyboardDeviceTest, AClosedChannelSendsNothing) {
  auto d = makeDevice();
  connectDevice(*d);
  EXPECT_EQ(d->writeLightSettings(), 0);
  EXPECT_EQ(d->writeKeyAssignments(), 0);
  EXPECT_EQ(d->writeMacros(), 0);
  EXPECT_TRUE(recorder_.commands().empty());
  EXPECT_EQ(d->tablePositions()[0], keyboard::kUnmapped);
}

TEST_F(KeyboardDeviceTest, KeyWritesTouchOnlyMappedKeysAndDuplicatesGoToTheLowestKey) {
  auto d = makeDevice();
  open(*d);
  // Give device key 1 the code of device key 0 and device key 2 a code no
  // position has, before the program reads the table.
  auto table = emulator_->firmware().memory(sim::Area::KeyTable);
  const size_t k = table.size() / 3;
  std::copy(table.begin(), table.begin() + 3, table.begin() + 3);
  table[6] = 0x20, table[7] = 0x00, table[8] = 0xE8;
  ASSERT_TRUE(d->channel.setDataLength(static_cast<uint16_t>(k * 3)));
  std::vector<uint8_t> buffer(512);
  std::copy(table.begin(), table.end(), buffer.begin());
  ASSERT_EQ(transport::writeKeyTable(d->channel, buffer.data(), 0), transport::kCmdOk);
  connectDevice(*d);

  const unsigned p0 = sim::keyboard::deviceKeys()[0].position;
  const unsigned p1 = sim::keyboard::deviceKeys()[1].position;
  const unsigned p2 = sim::keyboard::deviceKeys()[2].position;
  EXPECT_EQ(d->tablePositions()[p0], 0);
  EXPECT_EQ(d->tablePositions()[p1], keyboard::kUnmapped);
  EXPECT_EQ(d->tablePositions()[p2], keyboard::kUnmapped);

  auto list = d->keyAssignments();
  for (auto& a : list) a.code = {0x20, 0x00, 0x04};
  d->setKeyAssignments(list);
  recorder_.clear();
  EXPECT_EQ(d->writeKeyAssignments(), 1);
  settle(*d);
  EXPECT_EQ(recorder_.commandOrder(), (std::vector<uint8_t>{0x03, 0x01, 0x09, 0x02}));

  const auto written = emulator_->firmware().committedKeyTable();
  ASSERT_EQ(written.size(), k * 3);
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 3), (std::vector<uint8_t>{0x20, 0x00, 0x04}));
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + 3, written.begin() + 9),
            std::vector<uint8_t>(table.begin() + 3, table.begin() + 9));
}

namespace {
// Two macros with n1 and n2 events in the user folder.
void writeMacros(const std::string& folder, int n1, int n2) {
  Json::Value index;
  const char* ids[] = {"2024_01_01_10_00_00_001", "2024_01_01_10_00_00_002"};
  const int counts[] = {n1, n2};
  for (int m = 0; m < 2; ++m) {
    Json::Value entry;
    entry[macros::kMacroName] = "m" + std::to_string(m);
    entry[macros::kMacroGuid] = ids[m];
    index[macros::kIndexMacroInfo].append(entry);
    std::vector<macros::MacroEvent> events(static_cast<size_t>(counts[m]), macros::MacroEvent{1, 4, true, 10});
    ASSERT_EQ(profiles::wirtejsonFile(profiles::joinPath(folder, std::string(ids[m]) + macros::kMacroFileExtension),
                                      macros::macroFileDocument(entry[macros::kMacroName].asString(), ids[m], events)),
              0);
  }
  ASSERT_EQ(profiles::wirtejsonFile(profiles::joinPath(folder, macros::kMacroIndexFileName), index), 0);
}
}  // namespace

TEST_F(KeyboardDeviceTest, MacroImageAtCapacityIsSentAndOneEventOverIsCounted) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  EXPECT_EQ(d->writeMacros(), 0);  // no macro list yet: nothing to send
  settle(*d);
  // 16 + 6 x 2 + 4 x 2297 = 9216 bytes = 72 x 128, the emulator's capacity.
  writeMacros(userFolder(), 1000, 1297);
  recorder_.clear();
  EXPECT_EQ(d->writeMacros(), 0);
  settle(*d);
  EXPECT_EQ(recorder_.commandOrder(), (std::vector<uint8_t>{0x03, 0x01, 0x15, 0x02}));
  EXPECT_EQ(emulator_->firmware().committedMacros().events, 2297u);

  writeMacros(userFolder(), 1000, 1298);
  recorder_.clear();
  EXPECT_EQ(d->writeMacros(), 2);
  settle(*d);
  EXPECT_EQ(recorder_.commandOrder(), (std::vector<uint8_t>{0x03}));
}

// On a closed channel a macro list fails to download; without a list there
// was nothing to send, so nothing failed.
TEST_F(KeyboardDeviceTest, AClosedChannelFailsAMacroDownloadOnlyWhenThereAreMacros) {
  auto d = makeDevice();
  connectDevice(*d);
  std::vector<int> failures;
  EXPECT_EQ(d->downloadMacros([&](int r) { failures.push_back(r); }), 0);
  EXPECT_TRUE(failures.empty());
  writeMacros(userFolder(), 1, 1);
  EXPECT_EQ(d->downloadMacros([&](int r) { failures.push_back(r); }), 0);
  EXPECT_EQ(failures, std::vector<int>{transport::kResultNoAnswer});
}

TEST_F(KeyboardDeviceTest, MacroKeysOfRemovedMacrosFallBackToTheirDefaults) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  writeMacros(userFolder(), 1, 1);
  auto list = d->keyAssignments();
  list[30].code = {0x70, 1, 0};  // macro 1: exists
  list[31].code = {0x71, 2, 0};  // macro 2: does not
  d->setKeyAssignments(list);
  EXPECT_TRUE(d->resetDanglingMacroKeys());
  EXPECT_EQ(d->keyAssignments()[30].code, (profiles::KeyCodeBytes{0x70, 1, 0}));
  EXPECT_EQ(d->keyAssignments()[31].code, d->keyAssignments()[31].defaultCode);
  const Json::Value doc = profiles::readJsonDocument(d->profileData().getProfilePath());
  EXPECT_EQ(doc["Device"][0]["KeyList"][31]["Assignment"].asInt(),
            doc["Device"][0]["KeyList"][31]["DefaultAssignment"].asInt());
  EXPECT_FALSE(d->resetDanglingMacroKeys());
}

TEST_F(KeyboardDeviceTest, PaintedCustomColourGoesToTheSelectedBank) {
  auto d = makeDevice();
  open(*d);
  putBlock(*d, 0, blockWith(devices::kCustomColorEffect, 2, 3));
  connectDevice(*d);
  ASSERT_EQ(d->lightState().customGroup, 3);
  const unsigned position = 64;  // A
  const uint8_t led = d->ledPositions()[position];
  ASSERT_NE(led, keyboard::kUnmapped);
  recorder_.clear();

  EXPECT_EQ(d->paintCustomKey(position, 0x00FF8040), transport::kCmdOk);  // red 0x40, green 0x80, blue 0xFF
  settle(*d);

  const auto sent = recorder_.commands();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front().command, 0x0B);
  EXPECT_EQ(sent.front().offset, 3 * 512);
  const auto banks = emulator_->firmware().memory(sim::Area::ColorBanks);
  const size_t at = 3 * 512 + 3u * led;
  EXPECT_EQ(std::vector<uint8_t>(banks.begin() + at, banks.begin() + at + 3), (std::vector<uint8_t>{0x40, 0x80, 0xFF}));
  EXPECT_EQ(d->profileData().getCustomColors(3, 126)[position].blue, 0xFF);
  // Other effects do not paint.
  putBlock(*d, 0, blockWith(4, 2, 3));
  d->readSettings();
  settle(*d);
  recorder_.clear();
  EXPECT_EQ(d->paintCustomKey(position, 0x000000FF), 0);
  EXPECT_TRUE(recorder_.commands().empty());
}

TEST_F(KeyboardDeviceTest, PanelColourGroupsAreStoredShownAndSentToTheDevice) {
  auto d = makeDevice();
  open(*d);
  putBlock(*d, 0, blockWith(devices::kCustomColorEffect, 2, 1));
  connectDevice(*d);
  devices::ILightCustomColors& colors = *d;
  ASSERT_EQ(colors.customColorKeyCount(), 126);
  const unsigned position = 64;
  const uint8_t led = d->ledPositions()[position];
  colors.setCustomKeyColor(position, 9, 8, 7);
  colors.setCustomKeyColor(500, 1, 1, 1);  // out of range: ignored
  colors.refreshCustomPreview();
  colors.storeCustomColors(1);  // the group the device shows: written to bank 1
  settle(*d);
  const auto banks = emulator_->firmware().memory(sim::Area::ColorBanks);
  const size_t at = 512 + 3u * led;
  EXPECT_EQ(std::vector<uint8_t>(banks.begin() + at, banks.begin() + at + 3), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(d->profileData().getCustomColors(1, 126)[position].red, 9);

  // Another group is kept in the profile only; switching to it shows it.
  colors.setCustomKeyColor(position, 1, 2, 3);
  recorder_.clear();
  colors.storeCustomColors(2);
  settle(*d);
  EXPECT_TRUE(recorder_.commands().empty());
  colors.setCustomGroupIndex(2);
  EXPECT_EQ(d->lightState().customGroup, 2);
  colors.showCustomGroup(2);
  settle(*d);
  const auto after = emulator_->firmware().memory(sim::Area::ColorBanks);
  const size_t at2 = 2 * 512 + 3u * led;
  EXPECT_EQ(std::vector<uint8_t>(after.begin() + at2, after.begin() + at2 + 3), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(emulator_->violations(), 0u);
}

TEST_F(KeyboardDeviceTest, DeviceKeyPressLightsThePreviewAndThreadsStopCleanly) {
  auto d = makeDevice();
  open(*d);
  putBlock(*d, 0, blockWith(7, 2));
  connectDevice(*d);
  d->attachNotifyInterface(sim::test::notifyPath(*emulator_));
  ASSERT_TRUE(d->listening());
  d->show();  // the preview runs only while its page can be seen
  ASSERT_TRUE(d->needsFrames());

  const unsigned position = 64;
  const int key = deviceKeyAt(position);
  ASSERT_GE(key, 0);
  ASSERT_TRUE(emulator_->pressKey(static_cast<unsigned>(key)));
  EXPECT_TRUE(test::waitFor([&] { return d->previewState().engine.keyGlow[position] > 0; }, 5000));
  EXPECT_TRUE(test::waitFor([&] { return d->ledSnapshot()[position].brightness > 0; }, 5000));
  ASSERT_TRUE(emulator_->sendNotice());
  EXPECT_TRUE(test::waitFor([&] { return d->noticeCount() == 1; }, 5000));

  d->hide();
  EXPECT_FALSE(d->needsFrames());
  d->detachNotifyInterface();
  EXPECT_FALSE(d->listening());
  EXPECT_FALSE(d->notifyChannel.isConnected());
  EXPECT_TRUE(recorder_.sawLine("MS设备同步线程设定退出"));
  d->onDisconnected();
  EXPECT_FALSE(d->previewRunning());
  EXPECT_TRUE(recorder_.sawLine("KB灯光线程设定退出"));
  EXPECT_TRUE(recorder_.sawLine(devices::kWorkerEndedLine));
  EXPECT_FALSE(recorder_.sawLine(devices::kWorkerTimeoutLine));
}

TEST_F(KeyboardDeviceTest, SelectingAProfileLoadsItsDocumentAndSendsItsSettings) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  // A second profile whose lighting differs from the device's.
  Json::Value doc = profiles::readJsonDocument(d->profileData().getProfilePath());
  doc["Device"][0]["LightInfo"]["SelectItem"] = 12;
  const std::string id = "2024_02_02_12_00_00_000";
  ASSERT_EQ(profiles::wirtejsonFile(profiles::joinPath(userFolder(), id + ".Json"), doc), 0);
  recorder_.clear();

  EXPECT_EQ(d->selectProfile(id), 0);
  settle(*d);
  EXPECT_EQ(d->lightState().effect, 12);
  EXPECT_EQ(d->profileData().getProfilePath(), profiles::joinPath(userFolder(), id + ".Json"));
  EXPECT_EQ(emulator_->firmware().memory(sim::Area::Settings)[keyboard::kSbEffect], 12);
  EXPECT_EQ(d->selectProfile("../escape"), 0);  // not a profile identifier: nothing changes
  EXPECT_EQ(d->getProfileId(), id);
}

namespace {
std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CountingSink : public profiles::ISaveFailureSink {
 public:
  void saveFailed(const std::string& path, profiles::SaveFailure) override { paths.push_back(path); }
  std::vector<std::string> paths;
};
}  // namespace

TEST_F(KeyboardDeviceTest, FailedSavesAreReportedAndTheUnsavedStateIsSavedLater) {
  auto d = makeDevice();
  CountingSink sink;
  d->setSaveFailureSink(&sink);
  open(*d);
  putBlock(*d, 0, blockWith(devices::kCustomColorEffect, 2, 1));
  connectDevice(*d);
  ASSERT_TRUE(sink.paths.empty());
  const std::string path = d->profileData().getProfilePath();
  const std::string before = fileText(path);

  // A full disk: every change the user makes fails to save and is reported.
  profiles::testing::setWriteFault(profiles::testing::WriteFault::Write);
  d->paintCustomKey(64, 0x000000FF);
  d->paintCustomKey(65, 0x0000FF00);
  profiles::testing::setWriteFault(profiles::testing::WriteFault::None);
  EXPECT_EQ(sink.paths, (std::vector<std::string>{path, path}));
  EXPECT_EQ(fileText(path), before);
  EXPECT_EQ(d->profileData().getCustomColors(1, 126)[64].red, 0xFF);  // kept in memory

  // The next change that saves writes the earlier ones too.
  d->paintCustomKey(66, 0x00FF0000);
  EXPECT_EQ(sink.paths.size(), 2u);
  profiles::CKeyboardProfiledata reread;
  reread.setDefaultProfilePath(d->profileData().getDefaultProfilePath());
  reread.loadProfile(path);
  const auto colors = reread.getCustomColors(1, 126);
  EXPECT_EQ(colors[64].red, 0xFF);
  EXPECT_EQ(colors[65].green, 0xFF);
  EXPECT_EQ(colors[66].blue, 0xFF);
}

TEST_F(KeyboardDeviceTest, UnpluggingDuringASequenceEndsItAndDropsItsResult) {
  auto d = makeDevice();
  open(*d);
  connectDevice(*d);
  const uint64_t seen = emulator_->firmware().stats().requests;
  emulator_->firmware().addFault({sim::FaultKind::Silence, -1, 0, 0});
  EXPECT_EQ(d->writeLightSettings(), transport::kCmdOk);  // returns at once
  ASSERT_TRUE(emulator_->waitForRequests(seen + 1, 5000));  // the worker waits for the begin's answer
  // The interface goes: the waiting transfer ends, the rest is dropped, and
  // what the old connection's sequence found out does not reach the page.
  d->channel.closeChannel();
  d->commandInterfaceGone();
  test::waitFor([] { return false; }, 100);
  EXPECT_TRUE(d->isAnswering());
  EXPECT_EQ(d->writeLightSettings(), transport::kResultNoAnswer);  // nothing is posted on a closed channel
  emulator_->firmware().clearFaults();
}
