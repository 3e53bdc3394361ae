// The window-system grab driven by real X input: a private Xvfb server,
// xdotool typing and clicking through the XTEST extension, and a window
// that handles the hook messages the way the main window does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "hook/hook_messages.h"
#include "hook/input_hook.h"
#include "hook/macro_recorder.h"
#include "hook/x11_state.h"
#include "hook/xvfb_session.h"
#include "macros/key_function.h"
#include "macros/key_tables.h"
#include "platform/event.h"
#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro;
using namespace kavro::skin;
using hook::HookTarget;
using macros::MacroEvent;

namespace {

bool gDisplayReady = false;
std::string gSkipReason;

const char* kWindowXml = R"(<Window size="300,200">
  <VerticalLayout name="root"><Control height="100"/>
    <HorizontalLayout height="40"><Control width="100"/>
      <Button name="macro_btn_stopredio" width="80" bkcolor="#FF445566"/></HorizontalLayout>
    <Control/></VerticalLayout></Window>)";

// Handles the hook messages as the main window does: recording goes to the
// recorder and its step list, key capture to the key assignment rules.
class HookWnd : public CWindowWnd {
 public:
  HookWnd(QString skin, hook::InputHook& hook) : skin_(std::move(skin)), hook_(hook) {}
  QString GetWindowClassName() const override { return "HookWnd"; }
  QString GetSkinFile() const override { return skin_; }

  void Notify(TNotifyUI& msg) override {
    if (msg.sType == QLatin1String(DUI_MSGTYPE_CLICK) && msg.pSender &&
        msg.pSender->GetName() == QLatin1String("macro_btn_stopredio")) {
      ++stopClicks;
      recorder.stop();
      hook_.stop();
    }
    CWindowWnd::Notify(msg);
  }

  LRESULT HandleCustomMessage(UINT msg, WPARAM w, LPARAM l, bool& handled) override {
    const auto which = hook::hookMessageForId(msg);
    if (!which) return CWindowWnd::HandleCustomMessage(msg, w, l, handled);
    handled = true;
    const auto route = hook::routeForMessage(*which);
    if (!route) return 0;
    if (route->target == HookTarget::RecordKey) {
      const hook::KeyInput in{static_cast<std::uint32_t>(w), *hook::keyboardRecordOf(l)};
      linuxKeys.push_back(in.record.linuxKey);
      recorder.recordKey(steps, route->placement, in, in.record.time);
    } else if (route->target == HookTarget::RecordMouse) {
      const hook::MouseInput in{static_cast<std::uint32_t>(w), *hook::mouseRecordOf(l)};
      recorder.recordMouse(steps, route->placement, in, in.record.time);
    } else if (route->target == HookTarget::KeyCapture && hook::isKeyDownMessage(static_cast<std::uint32_t>(w))) {
      const hook::KeyboardRecord* r = hook::keyboardRecordOf(l);
      if (auto got = macros::captureKey(form, working, r->scanCode, hook::isExtended(*r))) {
        form = got->form;
        working = got->code;
      }
    }
    return 0;
  }

  hook::MacroRecorder recorder;
  macros::MacroStepList steps;
  std::vector<int> linuxKeys;
  macros::KeySetForm form = macros::selectFunction({}, macros::kFunctionKeyboard);
  macros::KeyCode working{macros::kFnKindKeyboard, 0, 0};
  int stopClicks = 0;

 private:
  QString skin_;
  hook::InputHook& hook_;
};

// Runs xdotool with the given arguments on the test's display while this
// thread keeps handling events, so waits between keys are seen as they happen.
void xdo(const std::string& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), QString::fromStdString(args).split(' ', Qt::SkipEmptyParts));
  ASSERT_TRUE(p.waitForStarted()) << args;
  ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 20000)) << args;
  EXPECT_EQ(p.exitCode(), 0) << args;
}

class GrabCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gDisplayReady) GTEST_SKIP() << gSkipReason;
    QFile f(dir_.filePath("wnd.xml"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kWindowXml);
    f.close();
    wnd_ = std::make_unique<HookWnd>(dir_.filePath("wnd.xml"), hook_);
    ASSERT_TRUE(wnd_->Create(nullptr, "hook", UI_WNDSTYLE_FRAME, 100, 100));
    wnd_->move(100, 100);
    wnd_->ShowWindow(true);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd_.get()));
  }
  void TearDown() override {
    if (!gDisplayReady) return;
    hook_.stop();
    wnd_.reset();
    test::flushDeletes();
  }

  void record(hook::RecordDelayMode mode, std::string_view constant = "50") {
    wnd_->recorder.start(mode, tickMs(), constant);
    ASSERT_EQ(hook_.start(0, hook::kModeMacro, wnd_.get(), true, true), 1);
  }
  bool waitSteps(std::size_t n) {
    return test::waitFor([&] { return wnd_->steps.size() >= n; }, 5000);
  }
  // Lets events that should not arrive have their chance.
  void settle() { QTest::qWait(200); }
  const MacroEvent& step(std::size_t i) const { return wnd_->steps.at(i).event; }
  std::string name(std::size_t i) const { return macros::describeStep(step(i)).nameKey; }

  QTemporaryDir dir_;
  hook::InputHook hook_;
  std::unique_ptr<HookWnd> wnd_;
};

TEST_F(GrabCaptureTest, TypedKeysBecomeStepsWithTheirWaits) {
  record(hook::RecordDelayMode::Recorded);
  xdo("keydown shift sleep 0.5 key b sleep 0.5 keyup shift keydown 105 keyup 105 keydown KP_Enter keyup KP_Enter");
  ASSERT_TRUE(waitSteps(8));
  settle();
  std::string all;
  for (std::size_t i = 0; i < wnd_->steps.size(); ++i) all += name(i) + (step(i).down ? "+ " : "- ");
  ASSERT_EQ(wnd_->steps.size(), 8u) << all;
  const std::vector<std::string> names = {"keyboard_key_LShift", "keyboard_key_B", "keyboard_key_B",
                                          "keyboard_key_LShift", "keyboard_key_RCtrl", "keyboard_key_RCtrl",
                                          "keyboard_key_Num Enter", "keyboard_key_Num Enter"};
  const std::vector<bool> downs = {true, true, false, false, true, false, true, false};
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(name(i), names[i]) << i;
    EXPECT_EQ(step(i).down, downs[i]) << i;
  }
  EXPECT_EQ(step(0).type, macros::kTypeModifierKey);
  EXPECT_EQ(step(1).type, macros::kTypeKey);
  // The waits follow the pauses typed; the first step's wait is the one after it.
  EXPECT_GE(step(0).delay, 300);
  EXPECT_LT(step(0).delay, 5000);
  EXPECT_GE(step(2).delay, 300);
  EXPECT_LT(step(1).delay, 300);
  EXPECT_EQ(step(7).delay, 0);
}

TEST_F(GrabCaptureTest, ConstantAndIgnoredTime) {
  record(hook::RecordDelayMode::Constant, "75");
  xdo("key a sleep 0.2 key c");
  ASSERT_TRUE(waitSteps(4));
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(step(i).delay, 75) << i;
  hook_.stop();

  wnd_->steps.clear();
  wnd_->recorder = {};
  record(hook::RecordDelayMode::Ignore);
  xdo("key a sleep 0.2 key c");
  ASSERT_TRUE(waitSteps(4));
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(step(i).delay, 0) << i;
}

TEST_F(GrabCaptureTest, HeldKeyRepeatsAreDropped) {
  record(hook::RecordDelayMode::Ignore);
  // Held past the server's auto-repeat delay, and pressed twice without release.
  xdo("keydown d sleep 1.2 keydown d keyup d");
  ASSERT_TRUE(waitSteps(2));
  settle();
  EXPECT_GT(wnd_->linuxKeys.size(), 3u);  // the presses did repeat
  ASSERT_EQ(wnd_->steps.size(), 2u);
  EXPECT_TRUE(step(0).down);
  EXPECT_FALSE(step(1).down);
}

TEST_F(GrabCaptureTest, LockKeysStillToggleAndKeysReachNoOtherControl) {
  QLineEdit edit;
  edit.show();
  edit.activateWindow();
  edit.setFocus();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
  const bool capsBefore = test::capsLockOn();
  record(hook::RecordDelayMode::Ignore);
  xdo("key Caps_Lock key x");
  ASSERT_TRUE(waitSteps(4));
  EXPECT_NE(test::capsLockOn(), capsBefore);
  EXPECT_EQ(name(0), "keyboard_key_Caplk");
  EXPECT_EQ(name(2), "keyboard_key_X");
  settle();
  EXPECT_TRUE(edit.text().isEmpty());
  hook_.stop();
  xdo("key Caps_Lock");  // back as it was
  test::waitFor([&] { return test::capsLockOn() == capsBefore; }, 2000);
  EXPECT_EQ(test::capsLockOn(), capsBefore);
}

TEST_F(GrabCaptureTest, TheStepAfterTheLimitIsIgnored) {
  std::vector<MacroEvent> full(macros::kMaxRecordedSteps - 1, MacroEvent{macros::kTypeKey, 0x04, true, 0});
  wnd_->steps = macros::MacroStepList(full);
  record(hook::RecordDelayMode::Ignore);
  xdo("key e");
  ASSERT_TRUE(waitSteps(macros::kMaxRecordedSteps));
  settle();
  EXPECT_EQ(wnd_->steps.size(), macros::kMaxRecordedSteps);
  EXPECT_TRUE(wnd_->steps.steps().back().event.down);  // the release did not fit
}

TEST_F(GrabCaptureTest, ClicksAreRecordedAndTheStopButtonStillWorks) {
  CControlUI* stop = wnd_->FindControl("macro_btn_stopredio");
  ASSERT_NE(stop, nullptr);
  const QPoint topLeft = stop->mapToGlobal(QPoint(0, 0));
  wnd_->recorder.setStopButtonRect(
      {topLeft.x(), topLeft.y(), topLeft.x() + stop->width(), topLeft.y() + stop->height()});
  record(hook::RecordDelayMode::Ignore);
  // A right click outside our window, then a left click on the stop button.
  xdo("mousemove 700 600 click 3");
  ASSERT_TRUE(waitSteps(2));
  const QPoint centre = stop->mapToGlobal(stop->rect().center());
  xdo("mousemove " + std::to_string(centre.x()) + " " + std::to_string(centre.y()) + " click 1");
  ASSERT_TRUE(test::waitFor([&] { return wnd_->stopClicks == 1; }, 5000));
  EXPECT_FALSE(hook_.active());
  ASSERT_EQ(wnd_->steps.size(), 2u);
  EXPECT_EQ(step(0), (MacroEvent{macros::kTypeMouseButton, macros::kMouseRight, true, 0}));
  EXPECT_EQ(step(1), (MacroEvent{macros::kTypeMouseButton, macros::kMouseRight, false, 0}));
}

TEST_F(GrabCaptureTest, KeyCaptureForAnAssignment) {
  ASSERT_EQ(hook_.start(0, hook::kModeSingleKey, wnd_.get(), true, true), 1);
  xdo("key 108 key F5");  // 108: the Right Alt key
  ASSERT_TRUE(test::waitFor([&] { return wnd_->working[2] != 0; }, 5000));
  EXPECT_EQ(wnd_->form.modifierOption, 3);  // Right Alt selects the Alt option
  EXPECT_EQ(wnd_->working, (macros::KeyCode{0x20, macros::kModLAlt, 0x3E}));
  EXPECT_EQ(wnd_->form.keyNameKey, "keyboard_key_F5");
  EXPECT_EQ(hook_.stop(), 1);
  EXPECT_EQ(hook_.stop(), 0);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  kavro::test::XvfbSession x;
  std::unique_ptr<QApplication> app;
  if (!x.running()) {
    gSkipReason = "no X server for input tests: " + x.error();
  } else if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
    gSkipReason = "xdotool is not installed";
  } else {
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    static int qtArgc = 1;
    static char name[] = "kavro-hook-test";
    static char* qtArgv[] = {name, nullptr};
    app = std::make_unique<QApplication>(qtArgc, qtArgv);
    auto& rm = CResourceManager::GetInstance();
    rm.SetResourcePath(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
    rm.LoadResource("res.xml");
    gDisplayReady = true;
  }
  const int rc = RUN_ALL_TESTS();
  app.reset();
  x.stop();
  return rc;
}
