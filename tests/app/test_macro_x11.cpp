// Recording a macro in the main window with real X input: a private Xvfb
// server, the emulated keyboard, xdotool typing and clicking while the
// window holds the grab, and the stop button pressed with the pointer.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "hook/xvfb_session.h"
#include "main_wnd_fixture.h"
#include "panels/macro_control.h"
#include "../panels/fake_key_target.h"

using namespace kavro;
using namespace kavro::app;

namespace {

bool gDisplayReady = false;
std::string gSkipReason;

void xdo(const std::string& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), QString::fromStdString(args).split(' ', Qt::SkipEmptyParts));
  ASSERT_TRUE(p.waitForStarted()) << args;
  ASSERT_TRUE(test::waitFor([&] { return p.state() == QProcess::NotRunning; }, 20000)) << args;
  EXPECT_EQ(p.exitCode(), 0) << args;
}

class MacroX11Test : public test::MainWndFixture {
 protected:
  void SetUp() override {
    if (!gDisplayReady) GTEST_SKIP() << gSkipReason;
    MainWndFixture::SetUp();
    ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, std::make_shared<input::RecordingInputSettings>()));
    window->move(0, 0);
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return window->isVisible() && keyboard() && !keyboard()->arriving(); }, 10000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    panel = panels::CMacroControlUI::panelOf(keyboard());
    ASSERT_NE(panel, nullptr);
    panel->setPrompts(std::make_shared<test::ScriptedPrompts>());
    // The macro tab, so the stop button is on the screen.
    auto* tab = qobject_cast<skin::COptionUI*>(pageControl(QStringLiteral("macro_Op_tab")));
    ASSERT_NE(tab, nullptr);
    tab->Selected(true, false);
    window->GetPaintManager().SendNotify(tab, skin::DUI_MSGTYPE_SELECTCHANGED);
    click("macro_btn_name_add");
    QTest::qWait(300);
  }
  void click(const char* name) {
    skin::CControlUI* c = pageControl(QString::fromLatin1(name));
    ASSERT_NE(c, nullptr) << name;
    window->GetPaintManager().SendNotify(c, skin::DUI_MSGTYPE_CLICK);
  }
  std::string name(std::size_t i) const { return macros::describeStep(panel->steps().at(i).event).nameKey; }

  panels::CMacroControlUI* panel = nullptr;
};

TEST_F(MacroX11Test, TypedKeysAndAClickAreRecordedAndTheStopClickIsNot) {
  click("macro_btn_starredio");
  ASSERT_TRUE(panel->recording());
  xdo("key a sleep 0.4 key Caps_Lock key Caps_Lock mousemove 5 5 click 1");
  ASSERT_TRUE(test::waitFor([&] { return panel->steps().size() >= 6; }, 10000));
  const hook::ScreenRect stop = panel->stopButtonRect();
  xdo("mousemove " + std::to_string((stop.left + stop.right) / 2) + " " + std::to_string((stop.top + stop.bottom) / 2) +
      " click 1");
  ASSERT_TRUE(test::waitFor([&] { return !panel->recording(); }, 10000));
  QTest::qWait(200);
  // a, Caps Lock (passed on, and recorded as a key), and the left click.
  ASSERT_EQ(panel->steps().size(), 8u);
  EXPECT_EQ(name(0), "keyboard_key_A");
  EXPECT_EQ(name(2), "keyboard_key_Caplk");
  EXPECT_EQ(name(6), "mouse_key_left");
  EXPECT_EQ(name(7), "mouse_key_left");
  EXPECT_GE(panel->steps().at(1).event.delay, 300);  // the pause after a's release
  // Written at once: the file holds what the list shows.
  EXPECT_EQ(panel->model()->loadEvents(0).size(), 8u);
}

TEST_F(MacroX11Test, ConstantTimeFromTheCheckBox) {
  auto* check = qobject_cast<skin::COptionUI*>(pageControl(QStringLiteral("macro_check_time")));
  ASSERT_NE(check, nullptr);
  check->Selected(true, false);
  pageControl(QStringLiteral("macro_fixed_time_edit"))->SetText("120");
  click("macro_btn_starredio");
  xdo("key x sleep 0.3 key y");
  ASSERT_TRUE(test::waitFor([&] { return panel->steps().size() >= 4; }, 10000));
  click("macro_btn_stopredio");
  for (std::size_t i = 1; i < 4; ++i) EXPECT_EQ(panel->steps().at(i).event.delay, 120) << i;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  kavro::test::XvfbSession x;
  if (!x.running()) {
    gSkipReason = "no X server for input tests: " + x.error();
  } else if (std::system("command -v xdotool >/dev/null 2>&1") != 0) {
    gSkipReason = "xdotool is not installed";
  } else {
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    kavro::test::qtApp();
    gDisplayReady = true;
  }
  const int rc = RUN_ALL_TESTS();
  x.stop();
  return rc;
}
