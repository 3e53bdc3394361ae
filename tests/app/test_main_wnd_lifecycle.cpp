// The program's life with the emulated keyboard, over the real channel: the
// user's lighting outlives a restart while a change made on the keyboard in
// between is read; a silent or refusing keyboard never holds the window and
// the page says so until the keyboard answers again; SIGTERM ends the
// program through its exit sequence.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <csignal>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/exit_sequence.h"
#include "app/exit_signals.h"
#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "devices/keyboard/keyboard_exit_record.h"
#include "platform/input_settings.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"
#include "sim/emulator.h"
#include "skin/combo.h"
#include "skin/qt_app.h"
#include "transport/hid_channel.h"
#include "main_wnd_fixture.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr int kSettleMs = 20000;
constexpr int kEffectStatic = 6;
constexpr int kEffectBreathing = 5;
constexpr int kEffectOnTheKeyboard = 9;

class MainWndLifeTest : public test::MainWndFixture {
 protected:
  // Starts the program's window and waits until the keyboard is connected
  // and every sequence of its arrival has run.
  void start() {
    ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, std::make_shared<input::RecordingInputSettings>()));
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return keyboard() && keyboard()->previewRunning(); }, kSettleMs));
    ASSERT_TRUE(keyboard()->waitForCommands(kSettleMs));
  }
  // Picks an effect in the page's lighting panel, as a user does.
  void pickEffect(int effect) {
    auto* combo = qobject_cast<skin::CComboUI*>(pageControl("light_combo_modeSelect"));
    ASSERT_NE(combo, nullptr);
    combo->SelectItem(effect, false, false);
    window->GetPaintManager().SendNotify(combo, QString::fromLatin1(skin::DUI_MSGTYPE_ITEMSELECT));
  }
  skin::CControlUI* statusLine() { return pageControl(devices::kDeviceStatusLabel); }
  bool saysNotAnswering() {
    skin::CControlUI* line = statusLine();
    return line && line->IsVisible() && line->GetText() == QLatin1String(devices::kNotAnsweringTextKey);
  }
  uint8_t deviceEffect() { return emulator->firmware().memory(sim::Area::Settings)[keyboard::kSbEffect]; }
  Json::Value profileLight() {
    return profiles::readJsonDocument(keyboard()->profileData().getProfilePath())["Device"][0]["LightInfo"];
  }
};

// The longest time the window thread went without handling its events while
// `during` held, sampled by a 5 ms timer.
class WindowWaitMeter {
 public:
  WindowWaitMeter() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { sample(); });
    clock_.start();
    timer_.start();
  }
  void sample() {
    const qint64 now = clock_.elapsed();
    longest_ = std::max(longest_, now - last_);
    last_ = now;
  }
  qint64 longestMs() const { return longest_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0, longest_ = 0;
};

}  // namespace

TEST_F(MainWndLifeTest, TheUsersLightingOutlivesARestartAndAChangeOnTheKeyboardIsRead) {
  start();
  auto* kb = keyboard();
  // Static, colour cycle off, green, brightness 2, speed 2, direction left.
  pickEffect(kEffectStatic);
  devices::DeviceLightParams p = kb->getLightParams();
  ASSERT_EQ(p.light.mode, kEffectStatic);
  p.light.brightnessLevel = 2, p.light.speedLevel = 2, p.light.direction = 0, p.light.colorful = 0;
  p.light.red = 0, p.light.green = 255, p.light.blue = 0;
  kb->setLightParams(p);
  kb->saveProfileData();
  kb->applyLightState();
  kb->writeLightSettings();
  ASSERT_TRUE(kb->waitForCommands(kSettleMs));
  const profiles::LightSetting chosen = kb->lightState();

  // Quit: the keyboard gets the exit block, which the program remembers.
  window.reset();
  const keyboard::SettingsBlock exitBlock = exitLightingBlock(chosen);
  EXPECT_EQ(deviceEffect(), exitBlock[keyboard::kSbEffect]);
  EXPECT_EQ(keyboard::readExitRecord(profiles::deviceProfileFolder(profiles::kKeyboardTypeName)), exitBlock);

  // Start again: page, profile and keyboard hold the user's choice.
  start();
  kb = keyboard();
  EXPECT_EQ(kb->lightState(), chosen);
  EXPECT_EQ(qobject_cast<skin::CComboUI*>(pageControl("light_combo_modeSelect"))->GetCurSel(), kEffectStatic);
  const Json::Value light = profileLight();
  EXPECT_EQ(light["SelectItem"].asInt(), kEffectStatic);
  EXPECT_EQ(light["Speed"].asInt(), 2);
  EXPECT_EQ(light["Fx"].asInt(), 0);
  EXPECT_EQ(light["Green"].asInt(), 255);
  EXPECT_EQ(deviceEffect(), kEffectStatic);
  EXPECT_EQ(emulator->ledView().color, (sim::Rgb{0, 255, 0}));

  // Quit, change the effect with the keyboard's own keys, start again: the
  // keyboard's choice is read into the page and the profile.
  window.reset();
  ASSERT_TRUE(emulator->firmware().setEffect(kEffectOnTheKeyboard));
  start();
  EXPECT_EQ(keyboard()->lightState().effect, kEffectOnTheKeyboard);
  EXPECT_EQ(profileLight()["SelectItem"].asInt(), kEffectOnTheKeyboard);
  EXPECT_EQ(deviceEffect(), kEffectOnTheKeyboard);
}

TEST_F(MainWndLifeTest, ASilentKeyboardNeverHoldsTheWindowAndThePageSaysSoUntilItAnswers) {
  start();
  auto* kb = keyboard();
  ASSERT_FALSE(statusLine()->IsVisible());
  const uint8_t before = deviceEffect();
  emulator->firmware().addFault({sim::FaultKind::Silence, -1, 0, 0});

  WindowWaitMeter meter;
  QElapsedTimer click;
  click.start();
  pickEffect(kEffectBreathing);
  const qint64 clickMs = click.elapsed();
  // The click came back before the device's silence could be known: the
  // sequence runs on the worker and its result arrives as a later event.
  EXPECT_TRUE(kb->isAnswering());
  EXPECT_FALSE(saysNotAnswering());
  ASSERT_TRUE(test::waitFor([&] { return saysNotAnswering(); }, kSettleMs));
  EXPECT_FALSE(kb->isAnswering());
  // The sequence (begin, write, end) waits up to the channel's short time-out
  // per command; a window thread that waited on it would have stood still
  // for all of them. (Load on the machine can stretch single stalls, so the
  // bound is the whole sequence, not one command.)
  constexpr qint64 kWholeSequenceMs = 3 * transport::kShortTimeoutMs;
  EXPECT_LT(clickMs, kWholeSequenceMs);
  EXPECT_LT(meter.longestMs(), kWholeSequenceMs);

  // The keyboard answers again: the line goes and the page shows the
  // keyboard's real state (the change never reached it).
  emulator->firmware().clearFaults();
  ASSERT_TRUE(test::waitFor([&] { return !statusLine()->IsVisible(); }, kSettleMs));
  EXPECT_TRUE(kb->isAnswering());
  EXPECT_EQ(deviceEffect(), before);
  EXPECT_EQ(kb->lightState().effect, before);
  EXPECT_LT(meter.longestMs(), kWholeSequenceMs);
  RecordProperty("click_ms", static_cast<int>(clickMs));
  RecordProperty("longest_window_wait_ms", static_cast<int>(meter.longestMs()));
}

TEST_F(MainWndLifeTest, ARefusedChangeIsNotShownAsIfTheKeyboardHadIt) {
  start();
  auto* kb = keyboard();
  const uint8_t before = deviceEffect();
  ASSERT_NE(before, kEffectBreathing);
  // The next three commands (begin, the write, end) are refused.
  emulator->firmware().addFault({sim::FaultKind::Refuse, 3, 0, 0});
  pickEffect(kEffectBreathing);
  ASSERT_TRUE(test::waitFor([&] { return saysNotAnswering(); }, kSettleMs));
  // Asked again, the keyboard answers with the effect it really has.
  ASSERT_TRUE(test::waitFor([&] { return kb->isAnswering() && !statusLine()->IsVisible(); }, kSettleMs));
  ASSERT_TRUE(kb->waitForCommands(kSettleMs));
  EXPECT_EQ(deviceEffect(), before);
  EXPECT_EQ(kb->lightState().effect, before);
  EXPECT_EQ(qobject_cast<skin::CComboUI*>(pageControl("light_combo_modeSelect"))->GetCurSel(), before);
  EXPECT_EQ(profileLight()["SelectItem"].asInt(), before);
}

TEST_F(MainWndLifeTest, SigtermEndsTheProgramThroughTheExitSequence) {
  start();
  ExitSignals exitSignals;
  ASSERT_TRUE(exitSignals.installed());
  QObject::connect(&exitSignals, &ExitSignals::exitRequested, window.get(), [this] { window->exitProgram(); });
  const keyboard::SettingsBlock expected = exitLightingBlock(keyboard()->lightState());
  const uint64_t noticesBefore = emulator->firmware().stats().exitNotices;

  ASSERT_EQ(::raise(SIGTERM), 0);
  ASSERT_TRUE(test::waitFor([&] { return emulator->firmware().stats().exitNotices == noticesBefore + 1; }, kSettleMs));
  const std::vector<uint8_t> mem = emulator->firmware().memory(sim::Area::Settings);
  const std::vector<uint8_t> want(expected.begin(), expected.end());
  EXPECT_EQ(std::vector<uint8_t>(mem.begin(), mem.begin() + 26), want);
  EXPECT_EQ(std::vector<uint8_t>(mem.begin() + kExitSecondSlotOffset, mem.begin() + kExitSecondSlotOffset + 26), want);
  EXPECT_FALSE(window->isVisible());
}
