// Windows: creation from a layout, "windowinit", title buttons, modal runs,
// window timers, private messages from worker threads, menus and scaling.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::skin;

namespace {

const char* kWindowXml = R"(<Window size="200,100" caption="0,0,0,30">
  <VerticalLayout name="root"><HorizontalLayout height="30">
    <Button name="minbtn" width="30"/><Button name="maxbtn" width="30"/>
    <Button name="restorebtn" width="30"/><Button name="closebtn" width="30"/>
  </HorizontalLayout><Control/></VerticalLayout></Window>)";

class TestWnd : public CWindowWnd {
 public:
  explicit TestWnd(QString skin) : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "TestWnd"; }
  QString GetSkinFile() const override { return skin_; }
  void Notify(TNotifyUI& msg) override {
    types << msg.sType;
    CWindowWnd::Notify(msg);
  }
  LRESULT HandleCustomMessage(UINT msg, WPARAM w, LPARAM l, bool& handled) override {
    if (msg == WM_TIMER || msg >= WM_USER) {
      handled = true;
      messages.push_back({msg, w, l});
      handlerOnUiThread = handlerOnUiThread && QThread::currentThread() == thread();
      if (msg == WM_MENUCLICK) menuName = reinterpret_cast<MenuCmd*>(l)->szName;
      return static_cast<LRESULT>(w) + l;
    }
    return CWindowWnd::HandleCustomMessage(msg, w, l, handled);
  }
  struct Msg {
    UINT msg;
    WPARAM w;
    LPARAM l;
  };
  QStringList types;
  std::vector<Msg> messages;
  bool handlerOnUiThread = true;
  QString menuName;

 private:
  QString skin_;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kavro::test::qtApp();
    QFile f(dir_.filePath("wnd.xml"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(kWindowXml);
  }
  QString layout() const { return dir_.filePath("wnd.xml"); }
  QTemporaryDir dir_;
};

}  // namespace

TEST_F(WindowTest, CreatesFromLayoutSendsWindowInitOnceAndHandlesTitleButtons) {
  TestWnd w(layout());
  ASSERT_TRUE(w.Create(nullptr, "caption", UI_WNDSTYLE_FRAME));
  EXPECT_EQ(w.size(), QSize(200, 100));
  EXPECT_EQ(w.windowTitle(), "caption");
  EXPECT_FALSE(w.FindControl("restorebtn")->IsVisible());  // shown only while maximised
  w.ShowWindow(true);
  w.hide();
  w.ShowWindow(true);
  EXPECT_EQ(w.types.count("windowinit"), 1);
  QTest::mouseClick(w.FindControl("closebtn"), Qt::LeftButton);
  EXPECT_FALSE(w.isVisible());
}

TEST_F(WindowTest, MissingLayoutGivesAnEmptyWindowNotACrash) {
  TestWnd w(dir_.filePath("missing.xml"));
  EXPECT_FALSE(w.Create(nullptr, "x", UI_WNDSTYLE_DIALOG, 0, 0, 50, 40));
  EXPECT_EQ(w.GetPaintManager().GetRoot(), nullptr);
  EXPECT_EQ(w.FindControl("closebtn"), nullptr);
}

TEST_F(WindowTest, ModalRunReturnsTheCloseCode) {
  auto* w = new TestWnd(layout());
  ASSERT_TRUE(w->Create(nullptr, "modal", UI_WNDSTYLE_DIALOG));
  QTimer::singleShot(0, w, [w] { w->Close(5); });
  EXPECT_EQ(w->ShowModal(), 5);
  QTimer::singleShot(0, w, [w] { QTest::mouseClick(w->FindControl("closebtn"), Qt::LeftButton); });
  EXPECT_EQ(w->ShowModal(), 0);
  delete w;
}

TEST_F(WindowTest, MessagesFromWorkersAreHandledOnTheWindowThread) {
  TestWnd w(layout());
  ASSERT_TRUE(w.Create(nullptr, "m"));
  std::atomic<LRESULT> sent{-1};
  std::atomic<bool> handledBeforeReturn{false};
  std::thread worker([&] {
    w.PostMessage(WM_USER + 1, 1, 2);
    sent = w.SendMessage(WM_USER + 2, 5, 6);
    // A send returns only after the handler ran.
    handledBeforeReturn = true;
  });
  ASSERT_TRUE(kavro::test::waitFor([&] { return handledBeforeReturn.load(); }));
  worker.join();
  EXPECT_EQ(sent.load(), 11);
  ASSERT_TRUE(kavro::test::waitFor([&] { return w.messages.size() == 2; }));
  EXPECT_TRUE(w.handlerOnUiThread);
  bool sawPost = false, sawSend = false;
  for (const auto& m : w.messages) {
    sawPost |= m.msg == WM_USER + 1 && m.w == 1 && m.l == 2;
    sawSend |= m.msg == WM_USER + 2 && m.w == 5 && m.l == 6;
  }
  EXPECT_TRUE(sawPost && sawSend);
  // From the window thread itself a send runs at once.
  EXPECT_EQ(w.SendMessage(WM_USER + 3, 2, 3), 5);
}

TEST_F(WindowTest, WindowTimersAndRegisteredMessages) {
  TestWnd w(layout());
  ASSERT_TRUE(w.Create(nullptr, "t"));
  ASSERT_TRUE(w.SetTimer(1011, 1));
  ASSERT_TRUE(kavro::test::waitFor([&] { return !w.messages.empty(); }));
  w.KillTimer(1011);
  EXPECT_EQ(w.messages[0].msg, WM_TIMER);
  EXPECT_EQ(w.messages[0].w, 1011u);
  const UINT a = RegisterWindowMessage("name-a");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessage("name-a"), a);
  EXPECT_NE(RegisterWindowMessage("name-b"), a);
}

TEST_F(WindowTest, MenusReportTheChosenItemToTheOwner) {
  TestWnd w(layout());
  ASSERT_TRUE(w.Create(nullptr, "menu"));
  CMenuWnd menu(&w);
  ASSERT_TRUE(menu.InitFromText("<Menu><MenuElement name='show' text='Show'/><MenuElement line='true'/>"
                                "<MenuElement name='more' text='More'><MenuElement name='deep' text='Deep'/>"
                                "</MenuElement><MenuElement name='exit' text='Exit'/></Menu>"));
  ASSERT_NE(menu.FindItem("deep"), nullptr);
  EXPECT_NE(menu.FindItem("more")->menu(), nullptr);
  EXPECT_EQ(menu.GetMenu()->actions().size(), 4);
  menu.FindItem("deep")->trigger();
  EXPECT_EQ(w.menuName, "deep");
  menu.Choose(menu.FindItem("exit"));
  EXPECT_EQ(w.menuName, "exit");
  EXPECT_EQ(w.messages.back().msg, WM_MENUCLICK);
  CMenuWnd broken(&w);
  EXPECT_FALSE(broken.InitFromText("<Menu><MenuElement name='x'>"));
  EXPECT_FALSE(broken.Init("no/such/menu.xml"));
}

TEST_F(WindowTest, ScalingResizesWindowsAndTheirControls) {
  TestWnd w(layout());
  ASSERT_TRUE(w.Create(nullptr, "dpi"));
  w.show();
  CControlUI* close = w.FindControl("closebtn");
  EXPECT_EQ(close->width(), 30);
  CPaintManagerUI::SetAllDPI(144);
  EXPECT_EQ(w.size(), QSize(300, 150));
  EXPECT_EQ(close->width(), 45);
  CPaintManagerUI::SetAllDPI(96);
  EXPECT_EQ(w.size(), QSize(200, 100));
  EXPECT_FALSE(CPaintManagerUI::IsValidDPI(100));
}
