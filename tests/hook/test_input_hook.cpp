// The input hook on the offscreen platform: which message each mode sends
// with which record, what the grab makes of key events, and stopping from
// inside a message handler.
#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include "hook/grab_capture.h"
#include "hook/hook_messages.h"
#include "hook/input_hook.h"
#include "skin/qt_app.h"
#include "skin/skin.h"

using namespace kavro;
using namespace kavro::skin;
using namespace kavro::hook;

namespace {

struct Received {
  HookMessage message;
  WPARAM wParam;
  KeyboardRecord key;
  MouseRecord mouse;
};

class SinkWnd : public CWindowWnd {
 public:
  explicit SinkWnd(QString skin) : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "SinkWnd"; }
  QString GetSkinFile() const override { return skin_; }
  LRESULT HandleCustomMessage(UINT msg, WPARAM w, LPARAM l, bool& handled) override {
    const auto which = hookMessageForId(msg);
    if (!which) return CWindowWnd::HandleCustomMessage(msg, w, l, handled);
    handled = true;
    Received r{*which, w, {}, {}};
    const bool mouse = *which == HookMessage::KeyMsMacro || *which == HookMessage::KeyMsMacroLater;
    if (mouse) {
      r.mouse = *mouseRecordOf(l);
    } else {
      r.key = *keyboardRecordOf(l);
    }
    got.push_back(r);
    if (onMessage) onMessage();
    return 0;
  }
  std::vector<Received> got;
  std::function<void()> onMessage;

 private:
  QString skin_;
};

class InputHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    QFile f(dir_.filePath("w.xml"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(R"(<Window size="120,80"><VerticalLayout/></Window>)");
    f.close();
    wnd_ = std::make_unique<SinkWnd>(dir_.filePath("w.xml"));
    ASSERT_TRUE(wnd_->Create(nullptr, "sink"));
    wnd_->ShowWindow(true);
  }
  void TearDown() override {
    hook_.stop();
    wnd_.reset();
    test::flushDeletes();
  }
  GrabCapture* grab() const { return wnd_->findChild<GrabCapture*>(); }
  // A key event as the window system delivers it: X11 key code = Linux key + 8.
  void sendKey(QEvent::Type type, int linuxKey, quint64 time, bool autoRepeat = false) {
    QKeyEvent e(type, Qt::Key_unknown, Qt::NoModifier, static_cast<quint32>(linuxKey + 8), 0, 0, QString(),
                autoRepeat);
    e.setTimestamp(time);
    QCoreApplication::sendEvent(grab(), &e);
  }

  QTemporaryDir dir_;
  InputHook hook_;
  std::unique_ptr<SinkWnd> wnd_;
};

TEST_F(InputHookTest, EachModeSendsItsMessageWithTheRecord) {
  QSignalSpy changed(&hook_, &InputHook::captureChanged);
  ASSERT_EQ(hook_.start(7, kModeMacro, wnd_.get(), true, true), 1);
  EXPECT_EQ(hook_.value(), 7);
  EXPECT_EQ(changed.count(), 1);
  hook_.reportKey(keyInputForLinuxKey(KEY_RIGHTCTRL, true, 5));
  hook_.reportMouse(mouseInputForButton(MouseButton::Left, true, 30, 40, 6));
  ASSERT_EQ(wnd_->got.size(), 2u);
  EXPECT_EQ(wnd_->got[0].message, HookMessage::KeyKbMacro);
  EXPECT_EQ(wnd_->got[0].wParam, kWmKeyDown);
  EXPECT_EQ(wnd_->got[0].key.scanCode, 0x1Du);
  EXPECT_EQ(wnd_->got[0].key.flags, kKeyFlagExtended);
  EXPECT_EQ(wnd_->got[1].message, HookMessage::KeyMsMacro);
  EXPECT_EQ(wnd_->got[1].wParam, 0x201u);
  EXPECT_EQ(wnd_->got[1].mouse.x, 30);

  // Key capture for an assignment reports keys only.
  ASSERT_EQ(hook_.start(0, kModeSingleKey, wnd_.get(), true, true), 1);
  hook_.reportMouse(mouseInputForButton(MouseButton::Right, true, 0, 0, 0));
  hook_.reportKey(keyInputForLinuxKey(KEY_A, false, 0));
  ASSERT_EQ(wnd_->got.size(), 3u);
  EXPECT_EQ(wnd_->got[2].message, HookMessage::KeySingleKey);
  EXPECT_EQ(wnd_->got[2].wParam, kWmKeyUp);

  // Without the own hook no keys; the library hook still reports buttons.
  ASSERT_EQ(hook_.start(0, kModeMacroAfter, wnd_.get(), false, true), 1);
  hook_.reportKey(keyInputForLinuxKey(KEY_A, true, 0));
  hook_.reportMouse(mouseInputForButton(MouseButton::Back, false, 0, 0, 0));
  ASSERT_EQ(wnd_->got.size(), 4u);
  EXPECT_EQ(wnd_->got[3].message, HookMessage::KeyMsMacroLater);
  EXPECT_EQ(wnd_->got[3].mouse.extendedButton, 1);
  EXPECT_EQ(hook_.stop(), 0);  // the keyboard was not held

  hook_.reportKey(keyInputForLinuxKey(KEY_A, true, 0));
  EXPECT_EQ(wnd_->got.size(), 4u);
  EXPECT_FALSE(changed.isEmpty());
  EXPECT_EQ(changed.last().at(0).toBool(), false);
  EXPECT_EQ(hook_.start(0, kModeMacro, nullptr, true, true), 0);
  EXPECT_FALSE(hook_.active());
}

TEST_F(InputHookTest, KernelDevicesFallBackToTheGrab) {
  EXPECT_EQ(captureSourceFromSetting("evdev"), CaptureSource::KernelDevices);
  EXPECT_EQ(captureSourceFromSetting(""), CaptureSource::WindowGrab);
  hook_.setPreferredSource(CaptureSource::KernelDevices);
  ASSERT_EQ(hook_.start(0, kModeMacro, wnd_.get(), true, true), 1);
  if (!InputHook::kernelDevicesAvailable()) {
    EXPECT_EQ(hook_.activeSource(), CaptureSource::WindowGrab);
    sendKey(QEvent::KeyPress, KEY_Q, 1);
    EXPECT_EQ(wnd_->got.size(), 1u);
  }
}

TEST_F(InputHookTest, GrabbedKeysAndRepeatPairs) {
  ASSERT_EQ(hook_.start(0, kModeMacro, wnd_.get(), true, true), 1);
  ASSERT_NE(grab(), nullptr);
  sendKey(QEvent::KeyPress, KEY_W, 100);
  // A held key on X11: a release and a press with the same time.
  sendKey(QEvent::KeyRelease, KEY_W, 130);
  sendKey(QEvent::KeyPress, KEY_W, 130);
  sendKey(QEvent::KeyRelease, KEY_W, 160, true);  // one Qt recognised itself
  sendKey(QEvent::KeyPress, KEY_W, 160, true);
  sendKey(QEvent::KeyRelease, KEY_W, 190);  // the real release, reported a moment later
  ASSERT_EQ(wnd_->got.size(), 3u);
  ASSERT_TRUE(test::waitFor([&] { return wnd_->got.size() == 4; }, 2000));
  const std::vector<WPARAM> want = {kWmKeyDown, kWmKeyDown, kWmKeyDown, kWmKeyUp};
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(wnd_->got[i].wParam, want[i]) << i;
    EXPECT_EQ(wnd_->got[i].key.scanCode, 0x11u) << i;
  }
  // A release held back goes out before anything that follows it.
  sendKey(QEvent::KeyPress, KEY_E, 300);
  sendKey(QEvent::KeyRelease, KEY_E, 310);
  sendKey(QEvent::KeyPress, KEY_R, 320);
  ASSERT_EQ(wnd_->got.size(), 7u);
  EXPECT_EQ(wnd_->got[5].wParam, kWmKeyUp);
  EXPECT_EQ(wnd_->got[6].key.scanCode, 0x13u);
}

TEST_F(InputHookTest, StoppingFromTheHandlerIsSafe) {
  ASSERT_EQ(hook_.start(0, kModeMacro, wnd_.get(), true, true), 1);
  wnd_->onMessage = [this] { hook_.stop(); };
  sendKey(QEvent::KeyPress, KEY_T, 1);
  sendKey(QEvent::KeyRelease, KEY_T, 2);
  EXPECT_FALSE(hook_.active());
  test::flushDeletes();
  EXPECT_EQ(grab(), nullptr);
  EXPECT_EQ(wnd_->got.size(), 1u);
}

}  // namespace

namespace {

void writeEvent(int fd, std::uint16_t type, std::uint16_t code, std::int32_t value) {
  input_event ev{};
  ev.type = type;
  ev.code = code;
  ev.value = value;
  ASSERT_EQ(::write(fd, &ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
}

TEST_F(InputHookTest, KernelDeviceEventsArriveOnTheWindowThread) {
  int kb[2];
  ASSERT_EQ(::pipe2(kb, O_NONBLOCK | O_CLOEXEC), 0);
  hook_.setDeviceOpener([&] { return std::vector<EvdevDevice>{{"pipe", kb[0], true, true}}; });
  hook_.setPreferredSource(CaptureSource::KernelDevices);
  ASSERT_EQ(hook_.start(0, kModeMacro, wnd_.get(), true, true), 1);
  EXPECT_EQ(hook_.activeSource(), CaptureSource::KernelDevices);
  EXPECT_FALSE(hook_.captureNeedsFocus());
  sendKey(QEvent::KeyPress, KEY_Y, 1);  // the grab still holds the keys, but does not report them
  writeEvent(kb[1], EV_KEY, KEY_U, 1);
  writeEvent(kb[1], EV_SYN, SYN_REPORT, 0);
  writeEvent(kb[1], EV_KEY, BTN_EXTRA, 1);
  writeEvent(kb[1], EV_SYN, SYN_REPORT, 0);
  ASSERT_TRUE(test::waitFor([&] { return wnd_->got.size() == 2; }, 3000));
  EXPECT_EQ(wnd_->got[0].key.scanCode, 0x16u);
  EXPECT_EQ(wnd_->got[1].message, HookMessage::KeyMsMacro);
  EXPECT_EQ(wnd_->got[1].mouse.extendedButton, 2);
  // Events still queued when the capture ends are not reported.
  writeEvent(kb[1], EV_KEY, KEY_U, 0);
  hook_.stop();
  QTest::qWait(50);
  EXPECT_EQ(wnd_->got.size(), 2u);
  ::close(kb[1]);
}

}  // namespace
