// Macros and key assignment in the main window against the emulated
// keyboard: a macro recorded through the window's hook messages, assigned
// to a key and saved to the device; a refused download; key capture through
// message 1054; both panels rendered in both languages.
#include <gtest/gtest.h>

#include <QDir>

#include "../panels/fake_key_target.h"
#include "hook/hook_messages.h"
#include "hook/hook_modes.h"
#include "main_wnd_fixture.h"
#include "panels/key_set_control.h"
#include "panels/macro_control.h"
#include "skin/menu.h"
#include "skin/qt_app.h"
#include "widgets/device_key_button.h"
#include "skin/resource_manager.h"
#include "transport/command_set.h"

#include <linux/input-event-codes.h>

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr size_t kKeyA = 64;  // key position of A

class MacroPageTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-macro-page-screens.json");
    MainWndFixture::SetUp();
    ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, std::make_shared<input::RecordingInputSettings>()));
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return window->isVisible() && keyboard() && !keyboard()->arriving(); }, 10000));
    macroPanel = panels::CMacroControlUI::panelOf(keyboard());
    keyPanel = panels::CKeySetControlUI::panelOf(keyboard());
    ASSERT_NE(macroPanel, nullptr);
    ASSERT_NE(keyPanel, nullptr);
    macroPanel->setPrompts(prompts);
    keyPanel->setPrompts(prompts);
  }
  void notify(const char* name, const char* type) {
    skin::CControlUI* c = pageControl(QString::fromLatin1(name));
    ASSERT_NE(c, nullptr) << name;
    window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
  }
  void click(const char* name) { notify(name, skin::DUI_MSGTYPE_CLICK); }
  void choose(const char* combo, int index) {
    auto* c = qobject_cast<skin::CComboUI*>(pageControl(QString::fromLatin1(combo)));
    ASSERT_NE(c, nullptr) << combo;
    c->SelectItem(index, false, false);
    notify(combo, skin::DUI_MSGTYPE_ITEMSELECT);
  }
  // A key as the capture reports it, through the window's registered message.
  void sendKey(hook::HookMessage message, int linuxKey, bool down, uint32_t time) {
    const hook::KeyInput in = hook::keyInputForLinuxKey(linuxKey, down, time);
    window->SendMessage(hook::hookMessageId(message), in.message, reinterpret_cast<skin::LPARAM>(&in.record));
  }
  std::array<uint8_t, 3> committedCode(size_t position) {
    const auto table = emulator->firmware().committedKeyTable();
    const size_t at = 3u * keyboard()->tablePositions()[position];
    if (table.size() < at + 3) return {};
    return {table[at], table[at + 1], table[at + 2]};
  }

  std::shared_ptr<test::ScriptedPrompts> prompts = std::make_shared<test::ScriptedPrompts>();
  panels::CMacroControlUI* macroPanel = nullptr;
  panels::CKeySetControlUI* keyPanel = nullptr;
};

TEST_F(MacroPageTest, RecordedMacroAssignedToAKeyReachesTheKeyboard) {
  click("macro_btn_name_add");
  ASSERT_TRUE(macroPanel->selectedMacro().has_value());
  click("macro_btn_starredio");
  ASSERT_TRUE(macroPanel->recording());
  sendKey(hook::HookMessage::KeyKbMacro, KEY_A, true, 100);
  sendKey(hook::HookMessage::KeyKbMacro, KEY_A, false, 180);
  sendKey(hook::HookMessage::KeyHitKey, KEY_B, true, 190);  // consumed, not recorded
  click("macro_btn_stopredio");
  ASSERT_FALSE(macroPanel->recording());
  ASSERT_EQ(macroPanel->steps().size(), 2u);
  EXPECT_EQ(macroPanel->steps().at(0).event.delay, 80);

  // The key panel lists the new macro; A runs it once.
  keyPanel->selectKey(static_cast<int>(kKeyA));
  choose("keyset_function_combo", 9);
  choose("keyset_macro_combo", 0);
  EXPECT_EQ(keyboard()->keyAssignments()[kKeyA].code, (profiles::KeyCodeBytes{0x70, 0, 0}));
  click("key_butt_prosave");
  ASSERT_TRUE(keyboard()->waitForCommands(5000));
  EXPECT_TRUE(prompts->notices.empty());
  EXPECT_EQ(committedCode(kKeyA), (std::array<uint8_t, 3>{0x70, 0, 0}));
  const sim::MacroSummary macros = emulator->firmware().committedMacros();
  EXPECT_EQ(macros.macros, 1u);
  EXPECT_EQ(macros.events, 2u);
}

TEST_F(MacroPageTest, ARefusedDownloadIsShownAndTheMacroStays) {
  click("macro_btn_name_add");
  // The step menu's items reach the panel through the window.
  skin::MenuCmd cmd;
  cmd.szName = QStringLiteral("left_click");
  window->SendMessage(skin::WM_MENUCLICK, 0, reinterpret_cast<skin::LPARAM>(&cmd));
  ASSERT_EQ(macroPanel->steps().size(), 2u);
  emulator->firmware().addFault({sim::FaultKind::Refuse, 1, transport::kCmdWriteMacroData, 0});
  click("key_butt_prosave");
  ASSERT_TRUE(test::waitFor([&] { return !prompts->notices.empty(); }, 5000));
  EXPECT_EQ(prompts->notices[0], "message_macro_write_failed");
  EXPECT_EQ(macroPanel->model()->loadEvents(0).size(), 2u);
  // Saving again, with the device answering, gets it there.
  ASSERT_TRUE(keyboard()->waitForCommands(5000));
  click("key_butt_prosave");
  ASSERT_TRUE(keyboard()->waitForCommands(5000));
  EXPECT_EQ(emulator->firmware().committedMacros().events, 2u);
}

TEST_F(MacroPageTest, KeyCaptureThroughTheWindowStoresTheKey) {
  keyPanel->selectKey(static_cast<int>(kKeyA));
  choose("keyset_function_combo", 6);
  // Capture runs while the key field has the focus, as a click into it does.
  notify("keyset_keyboard_text_edit", skin::DUI_MSGTYPE_SETFOCUS);
  sendKey(hook::HookMessage::KeySingleKey, KEY_LEFTCTRL, true, 10);
  sendKey(hook::HookMessage::KeySingleKey, KEY_F5, true, 20);
  notify("keyset_keyboard_text_edit", skin::DUI_MSGTYPE_KILLFOCUS);
  EXPECT_EQ(keyboard()->keyAssignments()[kKeyA].code, (profiles::KeyCodeBytes{0x20, 0x01, 0x3E}));
  // The key on the picture is marked and its tooltip names the new function;
  // the profile keeps it.
  const widgets::CDeviceKeyButtonUI* a = keyboard()->keyButton(kKeyA);
  EXPECT_FALSE(a->isKeyMarkHidden());
  EXPECT_TRUE(a->toolTip().contains(QStringLiteral("F5"))) << a->toolTip().toStdString();
  keyboard()->reloadProfile();
  EXPECT_EQ(keyboard()->keyAssignments()[kKeyA].code, (profiles::KeyCodeBytes{0x20, 0x01, 0x3E}));
}

// Renders the two panels in both languages for a look by eye (files in the
// test output folder).
TEST_F(MacroPageTest, PanelsRenderInBothLanguages) {
  click("macro_btn_name_add");
  macroPanel->insertMouseItem("left_click");
  macroPanel->insertMove(macros::MoveDirection::Up);
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  for (const char* lan : {"lan_en.xml", "lan_cn.xml"}) {
    skin::CResourceManager::GetInstance().LoadLanguage(QString::fromLatin1(lan));
    skin::CPaintManagerUI::ReloadAllText();
    for (skin::CControlUI* panel : {static_cast<skin::CControlUI*>(macroPanel), static_cast<skin::CControlUI*>(keyPanel)}) {
      panel->resize(1240, 270);
      const QString file = QStringLiteral("%1/%2_%3.png").arg(KAVRO_TEST_OUTPUT_DIR, panel->GetName(), lan);
      EXPECT_TRUE(panel->grab().save(file)) << file.toStdString();
    }
  }
  skin::CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
  skin::CPaintManagerUI::ReloadAllText();
}

}  // namespace
