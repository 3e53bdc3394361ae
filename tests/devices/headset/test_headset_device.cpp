// The headset device object against the headset emulator (through the real
// HID path) and the simulated audio card (through the real library): first
// connect, the settings block, LED frames, sync from the device, and the
// audio operations with what they leave on the card and in the profile.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <sstream>

#include "devices/headset/headset_leds.h"
#include "devices/mousepad/pad_block.h"
#include "headset_test_env.h"
#include "platform/debug.h"
#include "platform/event.h"
#include "sim/headset_emulator.h"
#include "sim/mousepad_emulator.h"
#include "sim/sim_test_util.h"
#include "skin/qt_app.h"
#include "skin/container.h"
#include "transport/command_set.h"
#include "widgets/device_key_button.h"

namespace kavro::devices {
namespace {

namespace tp = transport;
constexpr int kWaitMs = 20000;

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::HeadsetAudioEnvironment);

class HeadsetDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    test::clearHeadsetProfiles();
    static int serial = 0;
    emulator = sim::makeEmulator(sim::DeviceKind::Headset, sim::inProcessPresence(),
                                 "hsdev" + std::to_string(++serial) + "-");
    ASSERT_TRUE(emulator->plug());
    dbg::setCapture([this](const std::string& line) {
      std::lock_guard<std::mutex> lock(mutex_);
      lines_.push_back(line);
    });
  }
  void TearDown() override {
    device.reset();
    dbg::setCapture({});
    EXPECT_EQ(emulator->violations(), 0u);
  }

  // A headset as the device manager sets it up, its channel open on the emulator.
  // withLedButtons: the page has its LED buttons.
  CHalvionHS6533Device& make(const std::string& libPath = {}, bool withLedButtons = false) {
    device = std::make_unique<CHalvionHS6533Device>();
    device->setTypeName(profiles::kHeadsetTypeName);
    device->setLightFilePrefix(profiles::kLightConfigBaseName);
    device->setNoticeHandler([this](const QString& key) { notices.push_back(key); });
    if (!libPath.empty()) device->setConfLibPath(libPath);
    if (withLedButtons) {
      auto* panel = new skin::CHorizontalLayoutUI;
      panel->SetName(QString::fromLatin1(kHeadsetLedPanel));
      for (size_t n = 0; n < headset::kLedCount; ++n) {
        auto* button = new widgets::CDeviceKeyButtonUI;
        button->SetName(QStringLiteral("light_%1").arg(n));
        panel->Add(button);
      }
      device->Add(panel);
    }
    device->initPage();
    EXPECT_TRUE(device->waitForAudio(kWaitMs));
    EXPECT_TRUE(device->channel.openPath(sim::test::commandPath(*emulator)));
    return *device;
  }
  void settle() {
    ASSERT_TRUE(device->waitForCommands(kWaitMs));
    ASSERT_TRUE(device->waitForAudio(kWaitMs));
  }
  // Command bytes of the requests sent since the last clear.
  std::vector<uint8_t> commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < lines_.size(); ++i) {
      if (lines_[i] != "命令") continue;
      std::istringstream hex(lines_[i + 1]);
      unsigned b[4] = {};
      for (unsigned& v : b) hex >> std::hex >> v;
      out.push_back(static_cast<uint8_t>(b[3]));
    }
    return out;
  }
  bool logged(const std::string& part) {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::any_of(lines_.begin(), lines_.end(),
                       [&part](const std::string& l) { return l.find(part) != std::string::npos; });
  }
  void clearLines() {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.clear();
  }
  sim::HeadsetLeds ledsAfter(uint64_t n) {
    auto& h = static_cast<sim::HeadsetEmulator&>(*emulator);
    for (int i = 0; i < 400 && h.leds().reports < n; ++i) sleepMs(5);
    return h.leds();
  }

  std::unique_ptr<sim::Emulator> emulator;
  std::unique_ptr<CHalvionHS6533Device> device;
  std::vector<QString> notices;

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

int percentOf(const std::string& scalar) { return static_cast<int>(std::lround(std::stod(scalar) * 100)); }

TEST_F(HeadsetDevice, FirstConnectSendsNothingAndBringsUpProfileAudioAndPreview) {
  CHalvionHS6533Device& d = make();
  ASSERT_TRUE(d.audioReady());
  clearLines();
  d.onConnected();
  settle();
  EXPECT_TRUE(commands().empty());
  EXPECT_TRUE(d.previewRunning());
  EXPECT_EQ(d.audioSettings().eqType, 5);  // the factory profile
  EXPECT_EQ(d.bands(), headset::EqBands{});
  // Microphone and monitor come from the card and are kept in the profile.
  test::CardReader card;
  EXPECT_EQ(d.audioSettings().micInValue, percentOf(card.capture("VolumeScalarControl", -1)));
  EXPECT_EQ(d.audioSettings().micInSelect, card.capture("MuteControl") == "0" ? 1 : 0);
  EXPECT_EQ(test::savedStages(d)["MicInValue"].asInt(), d.audioSettings().micInValue);
  // The profile's equaliser went to the card.
  EXPECT_EQ(card.playback("Enable_EQ_GFX"), "1");
  EXPECT_TRUE(notices.empty());
}

TEST_F(HeadsetDevice, LightingWritesTheBlockAndTheShownPageDrivesTheLeds) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  DeviceLightParams p = d.getLightParams();
  p.light.mode = mousepad::kEffectBreathing;
  p.light.brightnessLevel = 3;
  d.setLightParams(p);
  clearLines();
  d.writeLightSettings();
  settle();
  EXPECT_EQ(commands(), (std::vector<uint8_t>{tp::kCmdReadSettings, tp::kCmdReadSettings, tp::kCmdBeginConfig,
                                              tp::kCmdWriteSettings, tp::kCmdEndConfig}));
  const auto memory = emulator->firmware().memory(sim::Area::Settings);
  EXPECT_EQ(memory[mousepad::kBlkEffect], mousepad::kEffectBreathing);
  EXPECT_EQ(memory[mousepad::kBlkBrightness], 3);

  // Hidden, the page sends no LED frame.
  d.streamLights();
  settle();
  EXPECT_EQ(static_cast<sim::HeadsetEmulator&>(*emulator).leds().reports, 0u);
  d.show();
  QCoreApplication::processEvents();
  d.streamLights();
  settle();
  const sim::HeadsetLeds leds = ledsAfter(headset::kLedReportCount);
  EXPECT_EQ(leds.reports, headset::kLedReportCount);
  EXPECT_EQ(leds.recent.front(), (sim::HeadsetLedReportId{headset::kGroupA, headset::kRedLow}));
  // While the program does not drive the lighting the LEDs are left alone.
  d.setStreamEnabled(false);
  d.streamLights();
  settle();
  EXPECT_EQ(static_cast<sim::HeadsetEmulator&>(*emulator).leds().reports, headset::kLedReportCount);
}

// While the lighting is synchronised the colours the main window sets stay:
// the preview rests, and the page and the LEDs show them.
TEST_F(HeadsetDevice, SynchronisedColoursReachThePageAndTheLedsWhileThePreviewRests) {
  CHalvionHS6533Device& d = make({}, true);
  d.onConnected();
  settle();
  d.show();
  QCoreApplication::processEvents();
  d.streamLights();  // the page is shown: the preview runs
  constexpr uint32_t kSynced = 0xFF3060A0;  // full brightness
  d.setLedColor(0, kSynced);
  ASSERT_TRUE(test::waitFor([&] { return d.getLedColor(0) != kSynced; }, kWaitMs));

  d.channel.stateFlag = 1;
  sleepMs(50);  // a pass that was running has published its frame
  d.streamLights();  // the page shows the preview's last frame
  settle();
  for (size_t n = 0; n < headset::kLedCount; ++n) d.setLedColor(n, kSynced);
  sleepMs(100);  // several preview wakes
  for (size_t n = 0; n < headset::kLedCount; ++n) EXPECT_EQ(d.getLedColor(n), kSynced) << n;
  auto& h = static_cast<sim::HeadsetEmulator&>(*emulator);
  const uint64_t reports = h.leds().reports;
  d.streamLights();
  settle();
  ASSERT_NE(d.lightButton(0), nullptr);
  EXPECT_EQ(d.lightButton(0)->getLightColor(), lighting::buttonColor(lighting::unpackLed(kSynced)));
  EXPECT_EQ(d.lightButton(0)->getLightBrightness(), 0xFF);
  const sim::HeadsetLeds leds = ledsAfter(reports + headset::kLedReportCount);
  const headset::LedValue sent = headset::ledValues(d.ledSnapshot())[0];
  EXPECT_EQ(leds.groups[0][0], (sim::Rgb{sent.red, sent.green, sent.blue}));
  EXPECT_GT(sent.red, 0);
}

// A write queued behind a sync read starts from the block the read found:
// the slot the headset switched to, with that slot's own bytes.
TEST_F(HeadsetDevice, AWriteQueuedBehindASyncReadGoesToTheSlotTheReadFound) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  DeviceLightParams p = d.getLightParams();
  p.light.mode = mousepad::kEffectSpectrum;
  d.setLightParams(p);
  d.writeLightSettings();  // the block of slot 0 is held from here on
  settle();
  const auto before = emulator->firmware().memory(sim::Area::Settings);
  ASSERT_EQ(before[mousepad::kBlkEffect], mousepad::kEffectSpectrum);

  ASSERT_TRUE(emulator->firmware().setActiveSlot(2));  // changed on the headset
  d.onRefreshTimer();
  p.light.mode = mousepad::kEffectBreathing;
  p.light.brightnessLevel = 3;
  d.setLightParams(p);
  d.writeLightSettings();
  settle();
  const auto after = emulator->firmware().memory(sim::Area::Settings);
  constexpr size_t kSlot2 = 2 * sim::pad::kSlotStride;
  EXPECT_EQ(after[kSlot2 + mousepad::kBlkEffect], mousepad::kEffectBreathing);
  EXPECT_EQ(after[kSlot2 + mousepad::kBlkBrightness], 3);
  EXPECT_EQ(after[kSlot2 + sim::pad::kDeviceBytes], before[kSlot2 + sim::pad::kDeviceBytes]);
  // Slot 0 is left as it was.
  EXPECT_TRUE(std::equal(before.begin() + 1, before.begin() + sim::pad::kBlockSize, after.begin() + 1));
}

TEST_F(HeadsetDevice, SyncFromTheDeviceTakesTheBlockIntoStateAndProfile) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  mousepad::SettingsBlock block{};
  block[mousepad::kBlkEffect] = mousepad::kEffectPairGlow;
  block[mousepad::kBlkBrightness] = 2;
  block[mousepad::kBlkRed] = 0x40;
  ASSERT_EQ(tp::writeSettings(d.channel, block.data(), block.size(), 0), tp::kCmdOk);
  d.onRefreshTimer();
  settle();
  EXPECT_EQ(d.lightState().effect, mousepad::kEffectPairGlow);
  EXPECT_EQ(d.lightState().red, 0x40);
  const Json::Value saved = profiles::readJsonDocument(d.profileData().getProfilePath());
  EXPECT_EQ(saved["Device"][0]["LightInfo"]["SelectItem"].asInt(), mousepad::kEffectPairGlow);
}

TEST_F(HeadsetDevice, AudioOperationsReachTheCardAndTheProfile) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  test::CardReader card;

  d.selectEqPreset(2);
  settle();
  EXPECT_EQ(card.playback("EQ_Slider5"), "-11");
  EXPECT_EQ(test::savedStages(d)["EqType"].asInt(), 2);
  // A band moved under a fixed preset: the custom equaliser with the other
  // bands of preset 2 kept.
  d.changeBand(4, 3);
  settle();
  EXPECT_EQ(d.audioSettings().eqType, headset::kCustomEqPreset);
  EXPECT_EQ(card.playback("EQ_Slider5"), "3");
  EXPECT_EQ(card.playback("EQ_Slider10"), "13");
  EXPECT_EQ(test::savedStages(d)["EqType"].asInt(), headset::kCustomEqPreset);
  d.selectEqPreset(5);
  settle();
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(card.playback("EQ_Slider" + std::to_string(i)), "0") << i;
  d.selectEqPreset(0);
  d.selectEqPreset(14);
  EXPECT_EQ(d.audioSettings().eqType, 5);

  d.selectVoiceEffect(1);
  d.setVoiceChanger(true);
  settle();
  EXPECT_EQ(card.capture("MagicVoice_Selection"), "0");
  EXPECT_EQ(card.capture("Enable_MAGICVOICE"), "1");
  EXPECT_EQ(test::savedStages(d)["MagicType"].asInt(), 1);
  EXPECT_EQ(test::savedStages(d)["MagicEnable"].asInt(), 1);

  d.setMicrophoneLevel(40);
  d.setMonitorLevel(100);
  settle();
  EXPECT_NEAR(std::stod(card.capture("VolumeScalarControl", -1)), 0.4, 0.02);
  EXPECT_EQ(test::savedStages(d)["MicInValue"].asInt(), 40);
  EXPECT_EQ(test::savedStages(d)["MicMoniterValue"].asInt(), 100);
  const int micOn = d.audioSettings().micInSelect;
  d.toggleMicrophone();
  settle();
  EXPECT_EQ(d.audioSettings().micInSelect, 1 - micOn);
  EXPECT_EQ(card.capture("MuteControl"), micOn ? "1" : "0");
  EXPECT_EQ(test::savedStages(d)["MicInSelect"].asInt(), 1 - micOn);
  // Quick clicks, each before the previous one came back: every click counts.
  d.toggleMicrophone();
  d.toggleMicrophone();
  const int monitorOn = d.audioSettings().micMonitorSelect;
  for (int i = 0; i < 3; ++i) d.toggleMonitor();
  settle();
  EXPECT_EQ(d.audioSettings().micInSelect, 1 - micOn);
  EXPECT_EQ(card.capture("MuteControl"), micOn ? "1" : "0");
  EXPECT_EQ(d.audioSettings().micMonitorSelect, 1 - monitorOn);
  EXPECT_EQ(card.capture("AAMuteControl"), monitorOn ? "1" : "0");
  EXPECT_EQ(test::savedStages(d)["MicMoniterSelect"].asInt(), 1 - monitorOn);

  // A level the card refuses changes neither state nor profile.
  d.setMicrophoneLevel(101);
  settle();
  EXPECT_EQ(d.audioSettings().micInValue, 40);
  EXPECT_EQ(test::savedStages(d)["MicInValue"].asInt(), 40);
}

TEST_F(HeadsetDevice, AnotherProfileBringsItsAudioSettingsToTheCard) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  d.selectEqPreset(7);
  d.setMicrophoneLevel(20);
  settle();
  Json::Value doc = profiles::readJsonDocument(d.profileData().getProfilePath());
  Json::Value& stages = doc["Device"][0]["SystemSetStages"];
  stages["EqType"] = 4;
  stages["MicInValue"] = 60;
  stages["MagicType"] = 2;
  const std::string second = "2026_01_02_03_04_05_006";
  ASSERT_EQ(profiles::wirtejsonFile(d.profileData().profileDocumentPath(second), doc), 0);

  // As the profile panel applies a profile.
  d.setProfileId(second);
  d.openProfileFiles();
  d.reloadProfile();
  settle();
  test::CardReader card;
  EXPECT_EQ(d.audioSettings().eqType, 4);
  EXPECT_EQ(card.playback("EQ_Slider6"), "-7");
  EXPECT_NEAR(percentOf(card.capture("VolumeScalarControl", -1)), 60, 1);  // one chip step
  EXPECT_EQ(card.capture("MagicVoice_Selection"), "1");
  EXPECT_FALSE(logged("refused"));

  // A level the card refuses is logged; the rest still reaches the card.
  stages["MicInValue"] = 101;
  stages["EqType"] = 6;
  ASSERT_EQ(profiles::wirtejsonFile(d.profileData().profileDocumentPath(second), doc), 0);
  d.reloadProfile();
  settle();
  EXPECT_TRUE(logged("the card refused some of the profile's values"));
  EXPECT_EQ(card.playback("EQ_Slider3"), "-13");
}

TEST_F(HeadsetDevice, UserPresetsAreKeptInTheProfile) {
  CHalvionHS6533Device& d = make();
  d.onConnected();
  settle();
  d.selectEqPreset(3);
  // Without the panel the device saves under no name: nothing is selected.
  EXPECT_EQ(d.saveUserPreset(), -1);
  d.selectEqPreset(headset::kCustomEqPreset);
  settle();
  EXPECT_EQ(d.audioSettings().eqType, headset::kCustomEqPreset);
  EXPECT_EQ(d.bands(), headset::fixedEqPreset(3));  // no user preset: the bands stay
  EXPECT_EQ(test::savedStages(d)["CustomEqSeletIndex"].asInt(), -1);  // held by no preset
}

TEST_F(HeadsetDevice, WithoutTheLibraryAudioChangesNothingAndLightingWorks) {
  CHalvionHS6533Device& d = make("/nonexistent/libosConfLib.so");
  EXPECT_FALSE(d.audioReady());
  d.onConnected();
  settle();
  const profiles::HeadsetSettings before = d.audioSettings();
  const Json::Value saved = test::savedStages(d);
  d.toggleMicrophone();
  d.toggleMonitor();
  d.setVoiceChanger(before.magicEnable == 0);
  settle();
  EXPECT_EQ(d.audioSettings(), before);
  EXPECT_EQ(test::savedStages(d), saved);
  EXPECT_EQ(d.writeLightSettings(), tp::kCmdOk);
  settle();
  EXPECT_TRUE(d.isAnswering());
  EXPECT_TRUE(notices.empty());
}

}  // namespace
}  // namespace kavro::devices
