// The headset's voice and voice-changer panels on the real headset page,
// with the headset device and the simulated audio card behind them: what the
// panels show after each operation, the user preset rules, the state after a
// restart, and a rendered picture of the voice panel.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QImage>

#include <memory>

#include "devices/device_manager.h"
#include "devices/headset/headset_test_env.h"
#include "panels/device_profile.h"
#include "panels/eq_curve_view.h"
#include "panels/light_control.h"
#include "panels/magic_control.h"
#include "panels/voice6533_control.h"
#include "skin/controls.h"
#include "skin/qt_app.h"
#include "skin/window.h"

using namespace kavro;
using namespace kavro::panels;

namespace {

constexpr int kWaitMs = 20000;
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new test::HeadsetAudioEnvironment);

class PageWnd : public skin::CWindowWnd {
 public:
  QString GetWindowClassName() const override { return "HeadsetPageWnd"; }
  QString GetSkinFile() const override { return "XML/DeviceXml/hs6533device.xml"; }
};

class VoicePanels : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    devices::registerDeviceControls();
    registerLightPanel();
    registerProfilePanel();
    registerVoicePanel();
    registerMagicPanel();
    test::clearHeadsetProfiles();
    open();
  }
  void TearDown() override { close(); }

  // Builds the page as the program does and connects the (closed) device.
  void open() {
    window = std::make_unique<PageWnd>();
    ASSERT_TRUE(window->Create(nullptr, "headset", skin::UI_WNDSTYLE_FRAME, 0, 0, 1300, 800));
    device = qobject_cast<devices::CHalvionHS6533Device*>(window->FindControl("hs6533_device_page"));
    ASSERT_NE(device, nullptr);
    device->setTypeName(profiles::kHeadsetTypeName);
    device->setLightFilePrefix(profiles::kLightConfigBaseName);
    device->setNoticeHandler([](const QString&) {});
    device->initPage();
    voice = qobject_cast<CVoice6533ControlUI*>(window->FindControl("Voice6533ControlItem"));
    magic = qobject_cast<CMagicControlUI*>(window->FindControl("MagicControlItem"));
    ASSERT_NE(voice, nullptr);
    ASSERT_NE(magic, nullptr);
    settle();
    device->onConnected();
    settle();
  }
  void close() {
    if (device) settle();
    window.reset();
    device = nullptr;
  }
  void settle() { ASSERT_TRUE(device->waitForAudio(kWaitMs)); }
  skin::COptionUI* option(const QString& name) { return qobject_cast<skin::COptionUI*>(window->FindControl(name)); }
  headset::EqBands shownBands() {
    headset::EqBands b{};
    for (int i = 0; i < headset::kEqBands; ++i) b[static_cast<size_t>(i)] = voice->band(i);
    return b;
  }
  int selectedOptions(const QString& prefix, int count) {
    int n = 0;
    for (int i = 1; i <= count; ++i) n += option(prefix + QString::number(i))->IsSelected() ? 1 : 0;
    return n;
  }
  int addPreset(const QString& name) {
    voice->setPresetName(name);
    return device->saveUserPreset();
  }

  std::unique_ptr<PageWnd> window;
  devices::CHalvionHS6533Device* device = nullptr;
  CVoice6533ControlUI* voice = nullptr;
  CMagicControlUI* magic = nullptr;
};

TEST_F(VoicePanels, PresetAndEffectNumbersOutsideTheRangeSelectNothing) {
  for (int p : {0, 14}) {
    voice->selectPreset(3);
    voice->selectPreset(p);
    EXPECT_EQ(voice->selectedPreset(), 0);
    EXPECT_EQ(selectedOptions("6533_eq_option_", kVoicePresetCount), 0) << p;
  }
  magic->selectEffect(2);
  magic->selectEffect(5);
  EXPECT_EQ(magic->selectedEffect(), 0);
  EXPECT_EQ(selectedOptions("magic_option_", kVoiceEffectCount), 0);
}

TEST_F(VoicePanels, AFixedPresetShowsItsBandsAndMovingABandSwitchesToCustom) {
  ASSERT_EQ(addPreset("Mine"), 1);
  device->selectEqPreset(3);
  settle();
  EXPECT_TRUE(option("6533_eq_option_3")->IsSelected());
  EXPECT_FALSE(voice->customAreaEnabled());
  EXPECT_EQ(shownBands(), headset::fixedEqPreset(3));
  EXPECT_FALSE(window->FindControl("6533_eq_hz_slider_0")->IsEnabled());

  voice->selectUserPreset(0);
  voice->setPresetName("half typed");
  device->changeBand(2, 5);
  EXPECT_EQ(voice->selectedPreset(), headset::kCustomEqPreset);
  EXPECT_TRUE(option("6533_eq_option_13")->IsSelected());
  EXPECT_EQ(selectedOptions("6533_eq_option_", kVoicePresetCount), 1);
  EXPECT_TRUE(voice->customAreaEnabled());
  EXPECT_EQ(voice->selectedUserPreset(), -1);
  EXPECT_TRUE(voice->presetName().isEmpty());
  EXPECT_TRUE(window->FindControl("6533_eq_hz_slider_0")->IsEnabled());
  // The response curve follows the moved band.
  auto* curve = qobject_cast<CEqCurveUI*>(window->FindControl("6533_eq_curve"));
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->gains()[2], 5);
  EXPECT_EQ(curve->gains()[0], headset::fixedEqPreset(3)[0]);
}

TEST_F(VoicePanels, TurningTheVoiceChangerOffKeepsTheChosenEffect) {
  device->setVoiceChanger(true);
  device->selectVoiceEffect(2);
  settle();
  EXPECT_TRUE(magic->isOn());
  EXPECT_TRUE(window->FindControl("magic_option_1")->isEnabled());
  device->setVoiceChanger(false);
  settle();
  EXPECT_FALSE(magic->isOn());
  for (int n = 1; n <= kVoiceEffectCount; ++n)
    EXPECT_FALSE(window->FindControl("magic_option_" + QString::number(n))->isEnabled()) << n;
  EXPECT_EQ(magic->selectedEffect(), 2);
  EXPECT_TRUE(option("magic_option_2")->IsSelected());
  EXPECT_EQ(device->audioSettings().magicType, 2);
}

TEST_F(VoicePanels, SavingFollowsTheNameAndCountRules) {
  device->selectEqPreset(headset::kCustomEqPreset);
  for (int i = 0; i < 20; ++i) ASSERT_EQ(addPreset(QStringLiteral("Preset %1").arg(i)), 1) << i;
  EXPECT_EQ(voice->userPresetCount(), 20);
  EXPECT_EQ(addPreset("one too many"), -1);
  EXPECT_EQ(voice->userPresetCount(), 20);
  device->deleteUserPreset();  // the last one added is selected
  EXPECT_EQ(addPreset("PRESET 3"), 0);
  EXPECT_EQ(voice->userPresetCount(), 19);

  // An empty name: the selected row takes the bands.
  voice->selectUserPreset(1);
  device->applyUserPreset();
  device->changeBand(7, 9);
  EXPECT_EQ(voice->selectedUserPreset(), 1);
  EXPECT_EQ(addPreset(""), 1);
  EXPECT_EQ(device->userPresets().values[1][7], 9);
  const Json::Value saved = profiles::readJsonDocument(device->profileData().getProfilePath());
  EXPECT_EQ(saved["Device"][0]["CustomEQHzValueInfo"][1][7]["value"].asInt(), 9);
  EXPECT_EQ(saved["Device"][0]["CustomEQNameInfo"].size(), 19u);
  EXPECT_EQ(saved["Device"][0]["CustomEQHzValueInfo"].size(), 19u);
  voice->selectUserPreset(-1);
  EXPECT_EQ(addPreset(""), -1);
}

TEST_F(VoicePanels, DeletingTheLastUserPresetFallsBackToPresetOne) {
  device->selectEqPreset(headset::kCustomEqPreset);
  ASSERT_EQ(addPreset("Only"), 1);
  voice->selectUserPreset(0);
  device->deleteUserPreset();
  settle();
  EXPECT_EQ(voice->userPresetCount(), 0);
  EXPECT_EQ(voice->selectedPreset(), 1);
  EXPECT_FALSE(voice->customAreaEnabled());
  EXPECT_EQ(shownBands(), headset::fixedEqPreset(1));
  EXPECT_EQ(test::savedStages(*device)["EqType"].asInt(), 1);
}

TEST_F(VoicePanels, TheSettingsAreShownAgainAfterARestart) {
  device->selectEqPreset(headset::kCustomEqPreset);
  device->changeBand(0, 6);
  ASSERT_EQ(addPreset("Warm"), 1);
  device->setVoiceChanger(true);
  device->selectVoiceEffect(3);
  device->setMicrophoneLevel(30);
  settle();
  close();
  open();
  EXPECT_EQ(voice->selectedPreset(), headset::kCustomEqPreset);
  EXPECT_TRUE(voice->customAreaEnabled());
  ASSERT_EQ(voice->userPresetCount(), 1);
  EXPECT_EQ(voice->userPresetName(0), "Warm");
  EXPECT_EQ(voice->selectedUserPreset(), 0);
  EXPECT_EQ(voice->band(0), 6);
  EXPECT_TRUE(magic->isOn());
  EXPECT_EQ(magic->selectedEffect(), 3);
  EXPECT_EQ(voice->micLevel(), 30);
}

TEST_F(VoicePanels, ACustomCurveNotSavedAsAPresetSurvivesARestart) {
  ASSERT_EQ(addPreset("Stored"), 1);
  device->selectEqPreset(3);
  device->changeBand(1, 7);
  settle();
  close();
  open();
  EXPECT_EQ(voice->selectedPreset(), headset::kCustomEqPreset);
  EXPECT_EQ(voice->selectedUserPreset(), -1);
  headset::EqBands expected = headset::fixedEqPreset(3);
  expected[1] = 7;
  EXPECT_EQ(shownBands(), expected);
  EXPECT_EQ(device->bands(), expected);
}

TEST_F(VoicePanels, ChoosingCustomWithNoRowSelectedTakesTheStoredPreset) {
  device->selectEqPreset(headset::kCustomEqPreset);
  device->changeBand(0, 6);
  ASSERT_EQ(addPreset("Warm"), 1);
  device->selectEqPreset(3);
  settle();
  close();
  open();  // a fixed preset shows no row of the list
  ASSERT_EQ(voice->selectedUserPreset(), -1);
  device->selectEqPreset(headset::kCustomEqPreset);
  settle();
  EXPECT_EQ(voice->selectedUserPreset(), 0);
  EXPECT_EQ(device->bands(), device->userPresets().values[0]);
  EXPECT_EQ(shownBands(), device->userPresets().values[0]);
  EXPECT_EQ(test::CardReader().playback("EQ_Slider1"), "6");
  EXPECT_EQ(test::savedStages(*device)["CustomEqSeletIndex"].asInt(), 0);

  close();
  open();
  EXPECT_EQ(voice->selectedUserPreset(), 0);
  EXPECT_EQ(shownBands(), device->userPresets().values[0]);
}

TEST_F(VoicePanels, RenderedVoicePanel) {
  device->selectEqPreset(9);
  settle();
  auto* tabs = qobject_cast<skin::CTabLayoutUI*>(window->FindControl("hs6533_function_tablayout"));
  ASSERT_NE(tabs, nullptr);
  tabs->SelectItem(1);
  window->show();
  QCoreApplication::processEvents();
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  EXPECT_TRUE(window->grab().toImage().save(QString(KAVRO_TEST_OUTPUT_DIR) + "/headset_voice_panel.png"));
  tabs->SelectItem(2);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->grab().toImage().save(QString(KAVRO_TEST_OUTPUT_DIR) + "/headset_magic_panel.png"));
}

}  // namespace
