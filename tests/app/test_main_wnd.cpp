// The main window end to end with the emulated keyboard: its tab and page,
// the lighting-control switch, suspend and resume, the close button with and
// without a tray, the desktop input settings, and the exit blocks.
#include "app/main_wnd.h"

#include <gtest/gtest.h>

#include <QDir>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/exit_sequence.h"
#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/input_settings.h"
#include "sim/emulator.h"
#include "skin/controls.h"
#include "skin/qt_app.h"
#include "skin/resource_manager.h"
#include "main_wnd_fixture.h"

using namespace kavro;
using namespace kavro::app;
using namespace kavro::widgets;
using Call = input::RecordingInputSettings::Call;

namespace {

class MainWndTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    // The window gets its full 1350 x 810.
    test::useDesktopScreen("kavro-mainwnd-screens.json");
    MainWndFixture::SetUp();
  }

  // Opens the window and waits until the keyboard page is filled.
  void open(CMainWnd::TrayMode tray = CMainWnd::TrayMode::None) {
    ASSERT_TRUE(createWindow(tray, recorder));
    window->CenterWindow();
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return keyboard() && keyboard()->previewRunning(); }, 10000));
    // The first show waits for the filled page.
    ASSERT_TRUE(test::waitFor([&] { return window->firstShowReleased(); }, 3000));
  }
  void notify(const QString& control, const char* type) {
    skin::CControlUI* c = pageControl(control);
    ASSERT_NE(c, nullptr) << control.toStdString();
    window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
  }
  skin::UINT lightRequest() const { return registeredMessages().lightRequest; }

  std::shared_ptr<input::RecordingInputSettings> recorder = std::make_shared<input::RecordingInputSettings>();
};

}  // namespace

TEST_F(MainWndTest, KeyboardArrivesWithItsTabAndTheWindowIsFittedAndDrawn) {
  open();
  auto* kb = keyboard();
  ASSERT_TRUE(kb->channel.isConnected());
  ASSERT_NE(kb->tab(), nullptr);
  EXPECT_TRUE(kb->tab()->IsVisible());
  EXPECT_TRUE(kb->tab()->isSelected());
  EXPECT_FALSE(window->FindControl(devices::kNoDeviceLink)->IsVisible());
  EXPECT_EQ(window->deviceManager()->selectedDevice(), kb);
  // Timer 1011 gives the window its working size.
  ASSERT_TRUE(test::waitFor([&] { return window->size() == QSize(kMainWidth, kMainHeight); }, 3000));
  EXPECT_EQ(window->FindControl("control_light_status")->GetText(), QString::fromUtf8(kLightControlOnText));

  // A few preview frames, then the picture.
  test::waitFor([] { return false; }, 300);
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  const QImage img = window->grab().toImage();
  ASSERT_TRUE(img.save(QStringLiteral(KAVRO_TEST_OUTPUT_DIR) + "/main_window.png"));
  EXPECT_EQ(img.size(), QSize(kMainWidth, kMainHeight));
}

TEST_F(MainWndTest, LightingRequestsAndTheSwitchDriveStreamingOfKeyboards) {
  open();
  auto* kb = keyboard();
  auto* status = window->FindControl("control_light_status");
  ASSERT_EQ(kb->streamEnabled, 1);

  window->SendMessage(lightRequest(), 1, 0);
  EXPECT_FALSE(window->lightControl());
  EXPECT_EQ(kb->streamEnabled, 0);
  EXPECT_EQ(status->GetText(), QString::fromUtf8(kLightControlOffText));

  window->SendMessage(lightRequest(), 0, 1);  // only wParam 1 is a request
  window->SendMessage(lightRequest(), 1, 7);  // and only lParam 0 or 1
  EXPECT_EQ(kb->streamEnabled, 0);

  window->SendMessage(lightRequest(), 1, 1);
  EXPECT_EQ(kb->streamEnabled, 1);
  EXPECT_EQ(status->GetText(), QString::fromUtf8(kLightControlOnText));

  notify("control_light_status", skin::DUI_MSGTYPE_CLICK);
  EXPECT_FALSE(window->lightControl());
  EXPECT_EQ(kb->streamEnabled, 0);
  notify("control_light_status", skin::DUI_MSGTYPE_CLICK);
  EXPECT_EQ(kb->streamEnabled, 1);
}

TEST_F(MainWndTest, SuspendStopsStreamingAndResumeFollowsTheSwitchAgain) {
  open();
  auto* kb = keyboard();
  window->SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  EXPECT_FALSE(window->isAwake());
  EXPECT_EQ(kb->streamEnabled, 0);
  // A request while asleep changes the switch but sends nothing yet.
  window->SendMessage(lightRequest(), 1, 1);
  EXPECT_EQ(kb->streamEnabled, 0);
  // Messages after the power message are left alone while asleep.
  window->SendMessage(WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
  EXPECT_TRUE(window->isVisible());

  window->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(window->isAwake());
  EXPECT_EQ(kb->streamEnabled, 1);

  window->SendMessage(lightRequest(), 1, 0);
  window->SendMessage(WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  window->SendMessage(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_EQ(kb->streamEnabled, 0);  // resume follows the switch, which is off
}

TEST_F(MainWndTest, CloseButtonHidesToTheTrayOrMinimisesWithoutOne) {
  open(CMainWnd::TrayMode::Force);
  ASSERT_TRUE(window->hasTray());
  notify("closebtn", skin::DUI_MSGTYPE_CLICK);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(keyboard()->channel.isConnected());  // the program runs on
  window->SendMessage(WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
  EXPECT_TRUE(window->isVisible());
  window->SendMessage(WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
  EXPECT_FALSE(window->isVisible());
  window.reset();

  open(CMainWnd::TrayMode::None);
  ASSERT_FALSE(window->hasTray());
  notify("closebtn", skin::DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isMinimized());
}

TEST_F(MainWndTest, ExitSendsTheNoticeAndTheFixedBlockToBothSlots) {
  open();
  const profiles::LightSetting light = keyboard()->lightState();
  const keyboard::SettingsBlock expected = exitLightingBlock(light);
  const uint64_t noticesBefore = emulator->firmware().stats().exitNotices;

  // Hiding the window moves the focus; no panel may write to the device
  // once the exit has begun.
  window->runExitSequence();
  window->runExitSequence();  // once only
  EXPECT_EQ(keyboard()->lightState(), light);

  EXPECT_EQ(emulator->firmware().stats().exitNotices, noticesBefore + 1);
  const std::vector<uint8_t> mem = emulator->firmware().memory(sim::Area::Settings);
  ASSERT_GE(mem.size(), size_t{kExitSecondSlotOffset} + expected.size());
  const std::vector<uint8_t> want(expected.begin(), expected.end());
  EXPECT_EQ(std::vector<uint8_t>(mem.begin(), mem.begin() + 26), want);
  EXPECT_EQ(std::vector<uint8_t>(mem.begin() + kExitSecondSlotOffset, mem.begin() + kExitSecondSlotOffset + 26), want);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWndTest, KeyboardRepeatControlsAreStoredAndReachTheDesktop) {
  open();
  auto* kb = keyboard();
  auto* slider = qobject_cast<skin::CSliderUI*>(pageControl("repeat_rate_slider"));
  ASSERT_NE(slider, nullptr);
  slider->SetValue(20);
  notify("repeat_rate_slider", skin::DUI_MSGTYPE_VALUECHANGED);
  auto* delay = qobject_cast<skin::COptionUI*>(pageControl("repeat_delay_check_2"));
  ASSERT_NE(delay, nullptr);
  delay->Selected(true, false);
  notify("repeat_delay_check_2", skin::DUI_MSGTYPE_SELECTCHANGED);
  window->inputSettings()->flush();

  EXPECT_EQ(recorder->calls(), (std::vector<Call>{{"keyRepeatRate", 20}, {"keyRepeatDelay", 2}}));
  EXPECT_EQ(kb->systemSettings().repeat, 20);
  EXPECT_EQ(kb->systemSettings().repeatDelay, 2);
}

TEST_F(MainWndTest, BuilderCallbackKnowsThePageClassesAndNothingElse) {
  open();
  for (const char* name : {"CircleProgress", "selectpanel", "HalvionKeyboardDevice", "HalvionMouseDevice",
                           "HalvionMousePadDevice", "HalvionHS6533Device", "LightControl", "ShootControl",
                           "LightSetControlUI", "MagicSetControlUI", "DeviceProfileUI"}) {
    std::unique_ptr<skin::CControlUI> c(window->CreateControl(name));
    EXPECT_NE(c, nullptr) << name;
  }
  // Unknown names create nothing.
  for (const char* name : {"Button2", ""}) {
    EXPECT_EQ(window->CreateControl(name), nullptr) << name;
  }
}
