// The keyboard page in the main window against the emulated keyboard: the
// system tab's flags and polling rate, the custom colour groups and keys,
// the feature tabs, the effect list, the repeat test field, the title menu's
// Exit and the first show of the window.
#include <gtest/gtest.h>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/main_wnd.h"
#include "app/main_wnd_keyboard.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/input_settings.h"
#include "profiles/json_file.h"
#include "sim/emulator.h"
#include "skin/controls.h"
#include "skin/menu.h"
#include "skin/qt_app.h"
#include "skin/resource_manager.h"
#include "widgets/device_key_button.h"
#include "main_wnd_fixture.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr size_t kKeyA = 64;  // key position of A

class KeyboardPageTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-keyboard-page-screens.json");
    MainWndFixture::SetUp();
  }

  // Opens the window as the program does and waits until it is shown with
  // the keyboard's page filled.
  void open(CMainWnd::TrayMode tray = CMainWnd::TrayMode::None) {
    ASSERT_TRUE(createWindow(tray, std::make_shared<input::RecordingInputSettings>()));
    window->CenterWindow();
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return window->isVisible() && keyboard() && keyboard()->previewRunning(); },
                              10000));
  }
  skin::CControlUI* control(const QString& name) {
    skin::CControlUI* c = pageControl(name);
    EXPECT_NE(c, nullptr) << name.toStdString();
    return c;
  }
  void notify(const QString& name, const char* type) {
    if (skin::CControlUI* c = control(name)) window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
  }
  // The user sets an option or check box.
  void select(const QString& name, bool on) {
    auto* o = qobject_cast<skin::COptionUI*>(control(name));
    ASSERT_NE(o, nullptr) << name.toStdString();
    o->Selected(on, false);
    notify(name, skin::DUI_MSGTYPE_SELECTCHANGED);
  }
  // The user picks an item of a combo.
  void choose(const QString& combo, int index) {
    auto* c = qobject_cast<skin::CComboUI*>(control(combo));
    ASSERT_NE(c, nullptr) << combo.toStdString();
    c->SelectItem(index, false, false);
    notify(combo, skin::DUI_MSGTYPE_ITEMSELECT);
  }
  std::vector<uint8_t> settingsMemory() const { return emulator->firmware().memory(sim::Area::Settings); }
  // Waits until the keyboard's settings block has a byte's value.
  bool blockByteBecomes(size_t offset, uint8_t value) {
    return test::waitFor([&] {
      const auto mem = settingsMemory();
      return mem.size() > offset && mem[offset] == value;
    });
  }
  std::array<uint8_t, 3> bankColour(int group, size_t position) {
    const uint8_t led = keyboard()->ledPositions()[position];
    const auto banks = emulator->firmware().memory(sim::Area::ColorBanks);
    const size_t at = static_cast<size_t>(group) * keyboard::kCustomColorBankStride + 3u * led;
    if (banks.size() < at + 3) return {};
    return {banks[at], banks[at + 1], banks[at + 2]};
  }
};

}  // namespace

TEST(KeyboardSystemControls, EachControlChangesItsOwnField) {
  keyboard::KeyboardSystemFields f;
  f.repeat = 7;
  auto changed = keyboardSystemChange(f, "winlockflag_option", true);
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->winFlag, 1);
  EXPECT_EQ(changed->repeat, 7);
  EXPECT_EQ(keyboardSystemChange(*changed, "winlockflag_option", false)->winFlag, 0);
  EXPECT_EQ(keyboardSystemChange(f, "wflag_option", true)->wFlag, 1);
  EXPECT_EQ(keyboardSystemChange(f, "6flag_option", true)->key6Flag, 1);
  EXPECT_EQ(keyboardSystemChange(f, "polling_rate_option_3", true)->pollingRate, 3);
  // The option that lost its selection, rates out of range and other controls change nothing.
  EXPECT_FALSE(keyboardSystemChange(f, "polling_rate_option_3", false));
  EXPECT_FALSE(keyboardSystemChange(f, "polling_rate_option_4", true));
  EXPECT_FALSE(keyboardSystemChange(f, "polling_rate_option_x", true));
  EXPECT_FALSE(keyboardSystemChange(f, "repeat_rate_slider", true));
}

TEST_F(KeyboardPageTest, FlagsAndPollingRateReachTheProfileAndTheKeyboard) {
  open();
  auto* kb = keyboard();
  const uint8_t effect = kb->lightState().effect;
  keyboard::KeyboardSystemFields want = kb->systemSettings();
  want.key6Flag = 1, want.pollingRate = 2, want.wFlag = 1, want.winFlag = 0;
  select("winlockflag_option", true);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbWinFlag, 1));
  select("wflag_option", true);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbWFlag, 1));
  select("6flag_option", true);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbKey6Flag, 1));
  select("polling_rate_option_2", true);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbPollingRate, 2));
  select("winlockflag_option", false);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbWinFlag, 0));
  EXPECT_EQ(settingsMemory()[keyboard::kSbEffect], effect);  // the lighting stays

  EXPECT_EQ(kb->systemSettings(), want);
  // The profile file holds them ("SystemStages").
  profiles::CKeyboardProfiledata reread;
  reread.loadProfile(kb->profileData().getProfilePath());
  EXPECT_EQ(keyboard::systemFields(reread.getSystemSettings()), want);
}

TEST_F(KeyboardPageTest, ACustomGroupGoesToItsBankAndStaysWithLaterWrites) {
  open();
  auto* kb = keyboard();
  choose("light_combo_modeSelect", devices::kCustomColorEffect);
  ASSERT_TRUE(blockByteBecomes(keyboard::kSbEffect, devices::kCustomColorEffect));
  // On entry the group combo shows the keyboard's group.
  auto* groups = qobject_cast<skin::CComboUI*>(control("light_combo_custommodeSelect"));
  EXPECT_EQ(groups->GetCurSel(), kb->lightState().customGroup);

  choose("light_combo_custommodeSelect", 2);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbCustomGroup, 2));
  EXPECT_EQ(kb->lightState().customGroup, 2);

  // A click on a key paints it with the current colour, into group 2's bank.
  notify("color_option_4", skin::DUI_MSGTYPE_CLICK);  // green, an unrelated write
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbGreen, 0xFF));
  EXPECT_EQ(settingsMemory()[keyboard::kSbCustomGroup], 2);
  notify("key_" + QString::number(kKeyA), skin::DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(test::waitFor([&] { return bankColour(2, kKeyA) == std::array<uint8_t, 3>{0x00, 0xFF, 0x00}; }));
  EXPECT_EQ(kb->profileData().getCustomColors(2, 126)[kKeyA].green, 0xFF);
  EXPECT_TRUE(kb->keyButton(kKeyA)->isSelectedByRubberBand());

  // Another effect takes the outline away; the group stays on the keyboard.
  choose("light_combo_modeSelect", 6);
  EXPECT_TRUE(blockByteBecomes(keyboard::kSbEffect, 6));
  EXPECT_FALSE(kb->keyButton(kKeyA)->isSelectedByRubberBand());
  EXPECT_EQ(settingsMemory()[keyboard::kSbCustomGroup], 2);
}

TEST_F(KeyboardPageTest, EachFeatureTabShowsItsOwnPage) {
  open();
  auto* pages = qobject_cast<skin::CTabLayoutUI*>(control("keyboard_function_tablayout"));
  ASSERT_NE(pages, nullptr);
  const std::pair<const char*, const char*> tabs[] = {{"system_Op_tab", "keyboard_system_layout"},
                                                      {"key_Op_tab", "keyboard_keyset_page"},
                                                      {"macro_Op_tab", "keyboard_macro_page"},
                                                      {"deng_Op_tab", "LightControlItem"}};
  for (const auto& [tab, page] : tabs) {
    select(tab, true);
    ASSERT_GE(pages->GetCurSel(), 0) << tab;
    EXPECT_EQ(pages->GetItemAt(pages->GetCurSel())->GetName(), page) << tab;
  }
}

TEST_F(KeyboardPageTest, ClearEmptiesTheTestFieldAndHiddenEffectsAreNotOffered) {
  open();
  control("repeat_input_richedit")->SetText("aaaaaaaa");
  notify("reset_repeat_btn", skin::DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(control("repeat_input_richedit")->GetText().isEmpty());

  // "None" is marked not visible in the shipped effect list: the pop-up starts with the next effect.
  auto* effects = qobject_cast<skin::CComboUI*>(control("light_combo_modeSelect"));
  ASSERT_FALSE(effects->GetItemAt(0)->IsVisible());
  effects->ShowDropDown(true);
  skin::ComboPopup* popup = effects->GetDropDown();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->RowAt(popup->RowRect(0).center()), 1);
  effects->ShowDropDown(false);
}

TEST_F(KeyboardPageTest, TheTitleMenuEndsTheProgramWhereThereIsNoTray) {
  open(CMainWnd::TrayMode::None);
  ASSERT_FALSE(window->hasTray());
  EXPECT_TRUE(control(kTitleMenuButton)->IsVisible());
  const uint64_t noticesBefore = emulator->firmware().stats().exitNotices;
  notify(kTitleMenuButton, skin::DUI_MSGTYPE_CLICK);
  ASSERT_NE(window->titleMenu(), nullptr);
  QAction* exit = window->titleMenu()->FindItem("exit");
  ASSERT_NE(exit, nullptr);
  window->titleMenu()->GetMenu()->hide();
  window->titleMenu()->Choose(exit);
  EXPECT_EQ(emulator->firmware().stats().exitNotices, noticesBefore + 1);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(KeyboardPageTest, TheFirstShowIsTheFinishedWindow) {
  ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, std::make_shared<input::RecordingInputSettings>()));
  // Built and sized before it is shown.
  EXPECT_EQ(window->size(), QSize(kMainWidth, kMainHeight));
  EXPECT_FALSE(keyboard()->keyButton(kKeyA)->GetText().isEmpty());
  window->ShowWindow(true);
  EXPECT_FALSE(window->isVisible());  // the keyboard has not been read yet
  ASSERT_TRUE(test::waitFor([&] { return window->isVisible(); }, 10000));
  EXPECT_TRUE(keyboard()->previewRunning());
  EXPECT_EQ(window->size(), QSize(kMainWidth, kMainHeight));
  EXPECT_FALSE(control(devices::kNoDeviceLink)->IsVisible());
}

TEST_F(KeyboardPageTest, RestoreDefaultsAsksFirstThenSendsTheProfileAgain) {
  open();
  std::vector<QString> asked;
  bool answer = false;
  window->setConfirmation([&](const QString& key) {
    asked.push_back(key);
    return answer;
  });
  auto count = [&](uint8_t command) { return emulator->firmware().stats().perCommand[command]; };
  const uint64_t keyWrites = count(0x09), settingWrites = count(0x06);
  notify("default_btn", skin::DUI_MSGTYPE_CLICK);
  EXPECT_EQ(asked, std::vector<QString>{"message_text_22"});
  EXPECT_EQ(count(0x09), keyWrites);
  EXPECT_EQ(count(0x06), settingWrites);

  answer = true;
  notify("default_btn", skin::DUI_MSGTYPE_CLICK);
  EXPECT_TRUE(test::waitFor([&] { return count(0x09) > keyWrites && count(0x06) > settingWrites; }));
}
