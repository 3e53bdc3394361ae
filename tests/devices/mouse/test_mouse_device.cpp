// The mouse device object against the mouse emulator over the real channel:
// arrival, the settings block a page change writes, the wireless link lost
// and found again, a profile switch, the settings read after a change on the
// mouse, the power poll and the streamed light frames.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "devices/discovery/device_tables.h"
#include "devices/mouse/mouse_device.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "sim/emulator.h"
#include "sim/mouse_emulator.h"
#include "sim/sim_test_util.h"
#include "skin/qt_app.h"

using namespace kavro;
using devices::CHalvionMouseDevice;

namespace {

constexpr int kSettleMs = 20000;
constexpr mouse::ScreenSize kScreen{2560, 1440};

class MouseDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(home_.isValid());
    setenv("XDG_DATA_HOME", home_.path().toUtf8().constData(), 1);
    static int serial = 0;
    emulator_ = sim::makeEmulator(sim::DeviceKind::Mouse, sim::inProcessPresence(),
                                  "msdev" + std::to_string(++serial) + "-");
    ASSERT_TRUE(emulator_->plug());
    CHalvionMouseDevice::setRecordedScreen(kScreen);
    device_ = std::make_unique<CHalvionMouseDevice>();
    device_->setLightCount(devices::kDeviceXml[0].lightCount);  // the mouse row of the page table
    device_->setTypeName(profiles::kMouseTypeName);
    device_->setLightFilePrefix(profiles::kLightConfigBaseName);
    device_->initPage();
    ASSERT_TRUE(device_->channel.openPath(sim::test::commandPath(*emulator_)));
    device_->commandInterfaceOpened();
  }
  void TearDown() override {
    device_.reset();
    EXPECT_EQ(emulator_->violations(), 0u);
    emulator_.reset();
  }
  void settle() { ASSERT_TRUE(device_->waitForCommands(kSettleMs)); }
  void connect() {
    device_->onConnected();
    settle();
  }
  std::vector<uint8_t> memory() const { return emulator_->firmware().memory(sim::Area::Settings); }
  // The stage record of stage i in the block at slot 0.
  std::vector<uint8_t> stageBytes(size_t i) const {
    const auto m = memory();
    const auto at = m.begin() + static_cast<std::ptrdiff_t>(mouse::kSbStages + i * profiles::kDpiStageBytes);
    return {at, at + static_cast<std::ptrdiff_t>(profiles::kDpiStageBytes)};
  }
  Json::Value savedDevice() const {
    return profiles::readJsonDocument(device_->profileData().getProfilePath())["Device"][0];
  }

  QTemporaryDir home_;
  std::unique_ptr<sim::Emulator> emulator_;
  std::unique_ptr<CHalvionMouseDevice> device_;
};

TEST_F(MouseDeviceTest, ArrivalTakesTablesAndRangesFromTheMouseAndShowsTheProfile) {
  connect();
  EXPECT_FALSE(device_->arriving());
  EXPECT_EQ(device_->dpiRange(), (mouse::DpiRange{sim::mouse::kDpiStep, sim::mouse::kDpiMaxSlider, sim::mouse::kDpiMin}));
  // The emulated mouse lists back before forward: the map follows its table.
  EXPECT_EQ(device_->keyToTablePos[mouse::kButtonForward], 4);
  EXPECT_EQ(device_->keyToTablePos[mouse::kButtonBack], 3);
  EXPECT_EQ(device_->keyToTablePos[mouse::kButtonGameMode], 9);
  // The first connect reads no settings block: the profile is what the page shows.
  EXPECT_EQ(device_->dpiStages().size(), mouse::kStageCount);
  EXPECT_TRUE(std::filesystem::exists(device_->profileData().getProfilePath()));
  EXPECT_TRUE(device_->previewRunning());
  EXPECT_TRUE(device_->isAnswering());
}

TEST_F(MouseDeviceTest, StageAndPollingChangesWriteExactlyTheBlockTheMouseThenHolds) {
  connect();
  device_->setStageText(2, "2400");
  device_->setStageText(1, "abc");  // not a number: raised to the smallest DPI
  device_->setPollingRate(4);
  device_->setCurrentStage(2);
  settle();
  const auto m = memory();
  EXPECT_EQ(stageBytes(2), (std::vector<uint8_t>{1, 0, 48, 0, 48, 0, 0, 0, 255}));
  EXPECT_EQ(stageBytes(1)[2], sim::mouse::kDpiMin / sim::mouse::kDpiStep);
  EXPECT_EQ(m[mouse::kSbPollingRate], 4);
  EXPECT_EQ(m[mouse::kSbCurrentStage], 2);
  EXPECT_EQ(m[mouse::kSbScreenWidth] | m[mouse::kSbScreenWidth + 1] << 8, kScreen.width);
  EXPECT_EQ(m[mouse::kSbScreenHeight] | m[mouse::kSbScreenHeight + 1] << 8, kScreen.height);
  // The factory profile selects its first correction entry.
  EXPECT_EQ(m[mouse::kSbCorrectMinSq], 4);
  EXPECT_EQ(m[mouse::kSbCorrectPixThresh], 2);
  // The same values are in the profile file.
  const Json::Value saved = savedDevice();
  EXPECT_EQ(saved["ReportStages"]["StageActive"].asInt(), 4);
  EXPECT_EQ(saved["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 48);
  EXPECT_EQ(saved["DPIStages"]["StageActive"].asInt(), 2);
}

TEST_F(MouseDeviceTest, TheLastActiveStageStaysOnAndTheCurrentStageMovesOffAStageTurnedOff) {
  connect();
  device_->setCurrentStage(4);
  for (int i = 4; i >= 1; --i) device_->setStageEnabled(i, false);
  device_->setStageEnabled(0, false);  // refused: the last one on
  settle();
  EXPECT_EQ(device_->currentStage(), 0);
  for (size_t i = 0; i < mouse::kStageCount; ++i) EXPECT_EQ(stageBytes(i)[0], i == 0 ? 1 : 0) << i;
  EXPECT_EQ(memory()[mouse::kSbCurrentStage], 0);
}

TEST_F(MouseDeviceTest, AnOfflineWirelessMouseShowsNotAnsweringUntilItIsBack) {
  device_->channel.longTimeouts.store(1);
  device_->channel.setTimeouts(300, 300);
  connect();
  const auto before = memory();
  emulator_->setOnline(false);
  device_->setPollingRate(1);
  settle();
  EXPECT_FALSE(device_->isAnswering());
  EXPECT_EQ(memory(), before);  // nothing past the failed online check
  // No streamed frames in long mode, online or not.
  EXPECT_EQ(emulator_->firmware().stats().streamChunks, 0u);

  emulator_->setOnline(true);
  // The silent device is asked again on its own; its answer clears the line.
  EXPECT_TRUE(QTest::qWaitFor([&] { return device_->isAnswering(); }, 10000));
  device_->setPollingRate(3);
  settle();
  EXPECT_EQ(memory()[mouse::kSbPollingRate], 3);
}

TEST_F(MouseDeviceTest, AMouseOfflineAtArrivalGetsItsTablesWhenItComesBack) {
  device_->channel.longTimeouts.store(1);
  device_->channel.setTimeouts(300, 300);
  emulator_->setOnline(false);
  connect();
  EXPECT_FALSE(device_->dpiRange().known());
  EXPECT_EQ(device_->keyToTablePos[mouse::kButtonLeft], mouse::kNoDeviceKey);
  emulator_->setOnline(true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return device_->dpiRange().known(); }, 10000));
  EXPECT_EQ(device_->keyToTablePos[mouse::kButtonLeft], 0);
}

TEST_F(MouseDeviceTest, AProfileSwitchSendsTheOtherProfile) {
  connect();
  // A second profile: the first one's document with another polling rate and stage 0 at 1000 DPI.
  Json::Value doc = profiles::readJsonDocument(device_->profileData().getProfilePath());
  doc["Device"][0]["ReportStages"]["StageActive"] = 1;
  doc["Device"][0]["DPIStages"]["StageDPIs"][0]["StageDPIX"] = 20;
  const std::string id = "2026_01_02_03_04_05_006";
  ASSERT_EQ(profiles::wirtejsonFile(device_->profileData().profileDocumentPath(id), doc), 0);
  device_->selectProfile(id);
  settle();
  EXPECT_EQ(memory()[mouse::kSbPollingRate], 1);
  EXPECT_EQ(stageBytes(0)[2], 20);
  EXPECT_EQ(device_->systemSettings().pollingRate, 1);
}

TEST_F(MouseDeviceTest, ASettingsChangeOnTheMouseIsReadBackIntoTheProfile) {
  connect();
  ASSERT_TRUE(emulator_->changeEffect(5));
  device_->onRefreshTimer();
  settle();
  EXPECT_EQ(device_->lightState().effect, 5);
  EXPECT_EQ(savedDevice()["LightInfo"]["SelectItem"].asInt(), 5);
}

TEST_F(MouseDeviceTest, ThePowerPollReachesTheStatusAndTheFramesReachTheLeds) {
  connect();
  device_->pollStatus();
  settle();
  std::array<uint8_t, devices::kPowerStatusBytes> status{};
  ASSERT_TRUE(device_->lastPowerStatus(&status));
  EXPECT_EQ(status[0], 85);
  EXPECT_EQ(status[mouse::kStatusWirelessByte], 0);  // a wired channel
  EXPECT_FALSE(device_->connectionHintShown());
  // Link lost (2): the page's hint shows until the mouse reports normal again.
  emulator_->firmware().setStatusByte(mouse::kStatusConnectionByte, 2);
  device_->pollStatus();
  settle();
  EXPECT_TRUE(device_->connectionHintShown());
  emulator_->firmware().setStatusByte(mouse::kStatusConnectionByte, 0);
  device_->pollStatus();
  settle();
  EXPECT_FALSE(device_->connectionHintShown());
  // The light thread renders; each frame call streams the newest frame.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    device_->streamLights();
    device_->waitForCommands(kSettleMs);
    return emulator_->firmware().stats().streamFrames >= 3;
  }, 10000));
  EXPECT_EQ(emulator_->ledView().source, sim::LedView::Source::Stream);
  EXPECT_EQ(emulator_->ledView().leds.size(), sim::mouse::kLeds);
}

}  // namespace
