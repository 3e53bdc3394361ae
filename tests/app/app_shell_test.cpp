// Start-up pieces: the message dialog, the single-instance path, the control
// table, command-line options, private fonts and the D-Bus bridge.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/inter_program.h"
#include "widgets/msg_wnd.h"
#include "app/private_fonts.h"
#include "app/single_instance.h"
#include "app/startup.h"
#include "platform/debug.h"
#include "skin/skin.h"
#include "skin/qt_app.h"

using namespace kavro::app;
using namespace kavro::widgets;
using namespace kavro::skin;

namespace {

// Runs fn on the dialog once it is open.
void onDialog(const std::function<void(CMsgWnd*)>& fn) {
  QTimer::singleShot(0, [fn] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* dlg = qobject_cast<CMsgWnd*>(w); dlg && dlg->isVisible()) return fn(dlg);
    ADD_FAILURE() << "no open message dialog";
  });
}

void click(CWindowWnd* w, const char* name) { QTest::mouseClick(w->FindControl(name), Qt::LeftButton); }

class AppShell : public ::testing::Test {
 protected:
  void SetUp() override {
    kavro::test::qtApp();
    registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
  }
  void TearDown() override {
    kavro::dbg::setCapture({});
    CPaintManagerUI::SetAllDPI(96);
    kavro::test::flushDeletes();
  }
};

}  // namespace

TEST_F(AppShell, MessageDialogReturnsOneOnlyForConfirm) {
  onDialog([](CMsgWnd* d) { click(d, "confirm_btn"); });
  EXPECT_EQ(CMsgWnd::ShowMessage(nullptr, "", "message_text_5", 96, DT_CENTER, CMsgWnd::kConfirmOnly), 1);
  onDialog([](CMsgWnd* d) { click(d, "closebtn"); });
  EXPECT_EQ(CMsgWnd::ShowMessage(nullptr, "", "message_text_5", 96, DT_CENTER, CMsgWnd::kConfirmOnly), 0);
  onDialog([](CMsgWnd* d) { click(d, "cancel_btn"); });
  EXPECT_EQ(CMsgWnd::ShowMessage(nullptr, "T", "message_text_4", 96, DT_CENTER, CMsgWnd::kConfirmCancel), 0);
}

TEST_F(AppShell, MessageDialogButtonsTitleAndText) {
  QString title, text;
  bool cancelVisible = true;
  UINT style = 0;
  onDialog([&](CMsgWnd* d) {
    title = d->FindControl("MessageTitle")->GetText();
    text = d->FindControl("MessageText")->GetText();
    style = qobject_cast<CLabelUI*>(d->FindControl("MessageText"))->GetTextStyle();
    cancelVisible = d->FindControl("cancel_btn")->IsVisible();
    click(d, "confirm_btn");
  });
  CMsgWnd::ShowMessage(nullptr, "", "message_text_22", 96, DT_LEFT | DT_WORDBREAK, CMsgWnd::kConfirmOnly);
  EXPECT_EQ(title, "msg_title");  // an empty title keeps the layout's
  EXPECT_EQ(text, "message_text_22");
  EXPECT_EQ(style, DT_LEFT | DT_WORDBREAK);
  EXPECT_FALSE(cancelVisible);
  onDialog([&](CMsgWnd* d) {
    title = d->FindControl("MessageTitle")->GetText();
    cancelVisible = d->FindControl("cancel_btn")->IsVisible();
    click(d, "confirm_btn");
  });
  CMsgWnd::ShowMessage(nullptr, "Question", "message_text_22", 96, DT_CENTER, CMsgWnd::kConfirmCancel);
  EXPECT_EQ(title, "Question");
  EXPECT_TRUE(cancelVisible);
}

TEST_F(AppShell, MessageDialogScaling) {
  std::vector<std::string> lines;
  kavro::dbg::setCapture([&](const std::string& l) { lines.push_back(l); });
  QSize size;
  onDialog([&](CMsgWnd* d) {
    size = d->size();
    click(d, "confirm_btn");
  });
  CMsgWnd::ShowMessage(nullptr, "", "x", 144, DT_CENTER, 0);
  EXPECT_EQ(size, QSize(570, 315));
  onDialog([&](CMsgWnd* d) {
    size = d->size();
    click(d, "confirm_btn");
  });
  CMsgWnd::ShowMessage(nullptr, "", "x", 100, DT_CENTER, 0);
  EXPECT_EQ(size, QSize(380, 210));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "MSG_WND DPI SET ERROR"), lines.end());
}

TEST_F(AppShell, SecondInstanceTellsTheFirstAndStops) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  const QString name = "kavro-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
  SingleInstance first(name, runtime.path());
  ASSERT_TRUE(first.acquire());
  // Socket and lock live together in the runtime folder.
  EXPECT_TRUE(QFileInfo(first.serverName()).exists());
  EXPECT_EQ(QFileInfo(first.serverName()).absolutePath(), QFileInfo(runtime.path()).absoluteFilePath());
  EXPECT_TRUE(QFileInfo(first.lockPath()).exists());
  QSignalSpy spy(&first, &SingleInstance::activationRequested);
  SingleInstance second(name, runtime.path());
  EXPECT_FALSE(second.acquire());
  EXPECT_TRUE(second.notifyRunning());
  ASSERT_TRUE(kavro::test::waitFor([&] { return spy.count() == 1; }));
  EXPECT_EQ(spy[0][0].toULongLong(), 0u);
  EXPECT_EQ(spy[0][1].toLongLong(), 1);
  // Nobody listening: the notice fails quietly.
  SingleInstance lone("kavro-test-nobody-" + QUuid::createUuid().toString(QUuid::Id128).left(8), runtime.path());
  EXPECT_FALSE(lone.notifyRunning(100));
}

TEST_F(AppShell, CopiesWithDifferentRuntimeFoldersDoNotSeeEachOther) {
  QTemporaryDir mine, theirs;
  ASSERT_TRUE(mine.isValid() && theirs.isValid());
  const QString name = "kavro-test-" + QUuid::createUuid().toString(QUuid::Id128).left(12);
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  // The runtime folder comes from the session's environment.
  qputenv("XDG_RUNTIME_DIR", theirs.path().toUtf8());
  SingleInstance other(name);
  ASSERT_TRUE(other.acquire());
  QSignalSpy otherSpy(&other, &SingleInstance::activationRequested);
  qputenv("XDG_RUNTIME_DIR", mine.path().toUtf8());
  SingleInstance me(name);
  EXPECT_TRUE(me.acquire());  // another session's copy does not stop this one
  EXPECT_NE(me.serverName(), other.serverName());
  SingleInstance again(name);
  EXPECT_FALSE(again.acquire());
  EXPECT_TRUE(again.notifyRunning());
  kavro::test::waitFor([] { return false; }, 200);
  EXPECT_EQ(otherSpy.count(), 0);  // the notice went to this session's copy only
  if (saved.isNull()) qunsetenv("XDG_RUNTIME_DIR");
  else qputenv("XDG_RUNTIME_DIR", saved);

  // Without a runtime folder the copy makes one of its own user's.
  qunsetenv("XDG_RUNTIME_DIR");
  const QString fallback = userRuntimeFolder();
  ASSERT_FALSE(fallback.isEmpty());
  EXPECT_EQ(QFileInfo(fallback).ownerId(), ::getuid());
  EXPECT_EQ(QFileInfo(fallback).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
  if (!saved.isNull()) qputenv("XDG_RUNTIME_DIR", saved);
}

TEST_F(AppShell, ControlTableHasTheTwentyThreeNamesInOrder) {
  const auto& table = customControlTable();
  ASSERT_EQ(table.size(), 23u);
  EXPECT_STREQ(table[0].name, "CCircleProgressUI");
  EXPECT_STREQ(table[9].name, "CComboEditContainerElementUI");
  EXPECT_STREQ(table[22].name, "CHalvionHS6533Device");
  const QStringList registered = registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
  EXPECT_EQ(registered.size(), 11);
  EXPECT_TRUE(CControlFactory::GetInstance()->IsRegistered("CSelectPanelUI"));
  EXPECT_TRUE(CControlFactory::GetInstance()->IsRegistered("CUpdateInfoListItemUI"));
  CControlUI* c = CControlFactory::GetInstance()->CreateControl("cdevicekeybuttonui");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetClass(), "DeviceKeyButton");
  delete c;
  EXPECT_EQ(createCustomControl("nothing"), nullptr);
  EXPECT_TRUE(setCustomControlCreator("CDeviceOptionUI", [] { return new CButtonUI; }));
  EXPECT_FALSE(setCustomControlCreator("CNoSuchUI", [] { return new CButtonUI; }));
  EXPECT_TRUE(registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/").contains("CDeviceOptionUI"));
  setCustomControlCreator("CDeviceOptionUI", {});
}

TEST_F(AppShell, CommandLineOptions) {
  auto o = parseCommandLine({"--debug", "--simulate=keyboard,mouse", "other"});
  EXPECT_TRUE(o.debug);
  EXPECT_EQ(o.simulate, "keyboard,mouse");
  o = parseCommandLine({});
  EXPECT_FALSE(o.debug);
  EXPECT_TRUE(o.simulate.isEmpty());
}

TEST_F(AppShell, PrivateFontsSkipMissingFilesAndRelease) {
  QTemporaryDir empty;
  auto none = loadPrivateFonts(empty.path());
  ASSERT_EQ(none.size(), 5u);
  for (const auto& f : none) EXPECT_EQ(f.id, -1);
  auto fonts = loadPrivateFonts(QStringLiteral(KAVRO_RESOURCES_DIR));
  EXPECT_TRUE(fonts[0].path.endsWith("Font/Simplified_Chinese.ttf"));
  EXPECT_GE(fonts[0].id, 0);
  releasePrivateFonts(fonts);
  EXPECT_EQ(fonts[0].id, -1);
}

TEST_F(AppShell, BusBridgePostsRequestsToTheWindow) {
  class Target : public CWindowWnd {
   public:
    QString GetWindowClassName() const override { return "T"; }
    QString GetSkinFile() const override { return "XML_MSG"; }
    LRESULT HandleCustomMessage(UINT m, WPARAM w, LPARAM l, bool& handled) override {
      if (m >= 0xC000) got.push_back({m, static_cast<int>(w), static_cast<int>(l)});
      return CWindowWnd::HandleCustomMessage(m, w, l, handled);
    }
    std::vector<std::tuple<UINT, int, int>> got;
  } target;
  target.Create(nullptr, "t");
  registerProgramMessages();
  InterProgramBus bus;
  bus.setTarget(&target);
  bus.start();  // with or without a session bus
  bus.RequestLightingControl(1, 0);
  bus.UpdateStatus(3, 4);
  ASSERT_TRUE(kavro::test::waitFor([&] { return target.got.size() == 2; }));
  EXPECT_EQ(target.got[0], std::make_tuple(registeredMessages().lightRequest, 1, 0));
  EXPECT_EQ(target.got[1], std::make_tuple(registeredMessages().updateStatus, 3, 4));
  EXPECT_EQ(registeredMessages().lightRequest, RegisterWindowMessage(kLightRequestMessageName));
}
