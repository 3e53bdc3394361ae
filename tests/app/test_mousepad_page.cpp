// The mousepad page in the main window beside the keyboard, both emulated:
// the pad's zones are bound and animated, an effect picked on the pad's
// panel reaches the pad, a change made on the pad is shown, and synchronised lighting copies the keyboard's
// lighting to the pad and runs the shared frames on it.
#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>

#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "devices/mousepad/mousepad_device.h"
#include "platform/input_settings.h"
#include "sim/firmware.h"
#include "skin/combo.h"
#include "skin/qt_app.h"
#include "widgets/device_key_button.h"
#include "main_wnd_fixture.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr int kSettleMs = 20000;
constexpr size_t kPadKind = 2;
constexpr size_t kPadZones = 15;
constexpr uint8_t kKeyboardBreathing = 5;
constexpr uint8_t kKeyboardWave = 1;  // a keyboard effect the other kinds do not have

class MousepadPageTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-mousepad-page-screens.json");
    MainWndFixture::SetUp();
    static int serial = 0;
    pad = sim::makeEmulator(sim::DeviceKind::Mousepad, sim::inProcessPresence(),
                            "padpage" + std::to_string(++serial) + "-");
    ASSERT_TRUE(pad->plug());
  }
  void TearDown() override {
    MainWndFixture::TearDown();
    if (pad) EXPECT_EQ(pad->violations(), 0u);
    pad.reset();
  }
  devices::CHalvionMousePadDevice* padDevice() {
    auto* m = window ? window->deviceManager() : nullptr;
    return m ? qobject_cast<devices::CHalvionMousePadDevice*>(m->deviceOfKind(kPadKind)) : nullptr;
  }
  // Opens the window and waits until both devices have arrived and settled.
  void open() {
    ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, std::make_shared<input::RecordingInputSettings>()));
    window->CenterWindow();
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor(
        [&] { return keyboard() && keyboard()->previewRunning() && padDevice() && padDevice()->previewRunning(); },
        kSettleMs));
    ASSERT_TRUE(keyboard()->waitForCommands(kSettleMs));
    ASSERT_TRUE(padDevice()->waitForCommands(kSettleMs));
  }
  void selectPadTab() {
    devices::CDeviceOptionUI* tab = padDevice()->tab();
    ASSERT_NE(tab, nullptr);
    window->deviceManager()->selectTab(tab);
  }
  uint8_t padBlockEffect() { return pad->firmware().memory(sim::Area::Settings)[mousepad::kBlkEffect]; }

  std::unique_ptr<sim::Emulator> pad;
};

TEST_F(MousepadPageTest, ThePadsZonesAreAnimatedAndAnEffectPickedOnItsPanelReachesThePad) {
  open();
  auto* d = padDevice();
  selectPadTab();
  for (size_t z = 0; z < kPadZones; ++z) EXPECT_NE(d->lightButton(z), nullptr) << "zone " << z;
  // The pad's own block is shown: slot 0 runs the zone wave.
  EXPECT_EQ(d->lightState().effect, padBlockEffect());
  // The pad shows the running wave the program streams.
  ASSERT_TRUE(test::waitFor(
      [&] {
        const sim::LedView v = pad->firmware().ledView();
        return v.source == sim::LedView::Source::Stream &&
               std::any_of(v.leds.begin(), v.leds.end(), [](const sim::Rgb& c) { return c != sim::Rgb{}; });
      },
      kSettleMs));
  test::waitFor([] { return false; }, 100);  // a few frames painted
  QDir().mkpath(QStringLiteral(KAVRO_TEST_OUTPUT_DIR));
  EXPECT_TRUE(window->grab().toImage().save(QStringLiteral(KAVRO_TEST_OUTPUT_DIR "/mousepad_page.png")));

  auto* combo = qobject_cast<skin::CComboUI*>(window->FindSubControlByName(d, "light_combo_modeSelect"));
  ASSERT_NE(combo, nullptr);
  combo->SelectItem(mousepad::kEffectBreathing, false, false);
  window->GetPaintManager().SendNotify(combo, QString::fromLatin1(skin::DUI_MSGTYPE_ITEMSELECT));
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(padBlockEffect(), mousepad::kEffectBreathing);
  EXPECT_EQ(d->lightState().effect, mousepad::kEffectBreathing);

  // The user changes the effect on the pad itself; the pad says so on its
  // notify interface and the page follows.
  ASSERT_TRUE(pad->firmware().setEffect(mousepad::kEffectPairGlow));
  ASSERT_TRUE(pad->sendNotifyUsage(mousepad::kUsageSettingsChanged));
  ASSERT_TRUE(test::waitFor([&] { return d->lightState().effect == mousepad::kEffectPairGlow; }, kSettleMs));
  EXPECT_EQ(combo->GetCurSel(), mousepad::kEffectPairGlow);
}

TEST_F(MousepadPageTest, SynchronisationCopiesTheKeyboardsLightingToThePadAndRunsTheSharedFrames) {
  open();
  auto* kb = keyboard();
  auto* d = padDevice();
  devices::DeviceLightParams p = kb->getLightParams();
  p.light.mode = kKeyboardBreathing;
  p.light.colorful = 0;
  p.light.red = 0, p.light.green = 200, p.light.blue = 40;
  p.light.brightnessLevel = 5;
  kb->setLightParams(p);
  window->deviceManager()->selectTab(kb->tab());

  window->synchroniseLighting();
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_EQ(d->lightState().effect, mousepad::kEffectBreathing);
  EXPECT_EQ(d->lightState().green, 200);
  EXPECT_EQ(d->profileData().currentLightSetting().effect, mousepad::kEffectBreathing);
  EXPECT_EQ(padBlockEffect(), mousepad::kEffectBreathing);
  EXPECT_EQ(d->channel.stateFlag.load(), 1);
  EXPECT_TRUE(d->tab()->isSynchronised());
  EXPECT_TRUE(kb->tab()->isSynchronised());

  // The shared frames: every zone the same green, and the pad shows them.
  ASSERT_TRUE(test::waitFor(
      [&] {
        const auto leds = d->ledSnapshot();
        return leds.size() == kPadZones && leds[0].green == 200 && leds[0].brightness > 0 &&
               std::all_of(leds.begin(), leds.end(), [&](const lighting::LedColor& c) { return c == leds[0]; });
      },
      kSettleMs));
  ASSERT_TRUE(test::waitFor(
      [&] {
        const sim::LedView v = pad->firmware().ledView();
        return v.source == sim::LedView::Source::Stream && !v.leds.empty() && v.leds[0].g > 0 &&
               v.leds[0].r == 0;
      },
      kSettleMs));

  // The pad's own panel takes it out of the synchronisation.
  selectPadTab();
  auto* combo = qobject_cast<skin::CComboUI*>(window->FindSubControlByName(d, "light_combo_modeSelect"));
  ASSERT_NE(combo, nullptr);
  combo->SelectItem(mousepad::kEffectSpectrum, false, false);
  window->GetPaintManager().SendNotify(combo, QString::fromLatin1(skin::DUI_MSGTYPE_ITEMSELECT));
  EXPECT_EQ(d->channel.stateFlag.load(), 0);
  ASSERT_TRUE(test::waitFor([&] { return !d->tab()->isSynchronised(); }, kSettleMs));
  EXPECT_EQ(kb->channel.stateFlag.load(), 1);
}

}  // namespace

namespace {

// The Sync box of a tab, checked as a click on it would.
void checkSyncBox(app::CMainWnd& window, devices::CDeviceOptionUI* tab) {
  auto* box = qobject_cast<skin::CCheckBoxUI*>(window.FindSubControlByName(tab, "synchro_device_select"));
  ASSERT_NE(box, nullptr);
  box->SetCheck(true, false);
  window.GetPaintManager().SendNotify(box, QString::fromLatin1(skin::DUI_MSGTYPE_SELECTCHANGED));
}

}  // namespace

TEST_F(MousepadPageTest, ASyncBoxCheckedWithAnEffectOnlyTheKeyboardHasGoesBackAndSaysWhy) {
  open();
  auto* kb = keyboard();
  auto* d = padDevice();
  QStringList notices;
  window->setNotice([&](const QString& key) { notices << key; });
  devices::DeviceLightParams p = kb->getLightParams();
  p.light.mode = kKeyboardWave;
  kb->setLightParams(p);
  window->deviceManager()->selectTab(kb->tab());

  checkSyncBox(*window, d->tab());
  EXPECT_EQ(notices, QStringList{QStringLiteral("sync_effect_unsupported")});
  EXPECT_FALSE(d->tab()->isSynchronised());
  EXPECT_EQ(d->channel.stateFlag.load(), 0);

  // With an effect every kind has, the same click synchronises both.
  p.light.mode = kKeyboardBreathing;
  kb->setLightParams(p);
  checkSyncBox(*window, d->tab());
  EXPECT_EQ(notices.size(), 1);
  ASSERT_TRUE(d->waitForCommands(kSettleMs));
  EXPECT_TRUE(d->tab()->isSynchronised());
  EXPECT_TRUE(kb->tab()->isSynchronised());
}
