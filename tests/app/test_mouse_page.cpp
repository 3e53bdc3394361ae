// The mouse page in the main window with the emulated mouse: its controls as
// the user changes them reach the profile, the mouse and the desktop, button
// assignments and macros made on the page reach the mouse, every control the
// code looks up is in the layout, and the page is rendered in both languages
// for a look.
#include <gtest/gtest.h>

#include <QDir>

#include "../panels/fake_key_target.h"
#include "devices/mouse/mouse_device.h"
#include "devices/discovery/device_tables.h"
#include "macros/macro_image.h"
#include "macros/macro_image_source.h"
#include "macros/macro_model.h"
#include "panels/device_profile_prompts.h"
#include "panels/key_set_control.h"
#include "panels/macro_control.h"
#include "transport/command_set.h"
#include "widgets/device_key_button.h"
#include "sim/mouse_emulator.h"
#include "profiles/json_file.h"
#include "skin/resource_manager.h"
#include "main_wnd_fixture.h"

using namespace kavro;
using namespace kavro::app;

namespace {

constexpr size_t kMouseKind = 0;

class MousePageTest : public test::MainWndFixture {
 protected:
  void SetUp() override {
    test::useDesktopScreen("kavro-mouse-page-screens.json");
    MainWndFixture::SetUp();
    mouseEmulator = sim::makeEmulator(sim::DeviceKind::Mouse, sim::inProcessPresence(), "mousepage-");
    ASSERT_TRUE(mouseEmulator->plug());
  }
  void TearDown() override {
    MainWndFixture::TearDown();
    if (mouseEmulator) {
      EXPECT_EQ(mouseEmulator->violations(), 0u);
    }
    mouseEmulator.reset();
  }
  devices::CHalvionMouseDevice* mouse() {
    auto* m = window ? window->deviceManager() : nullptr;
    return m ? qobject_cast<devices::CHalvionMouseDevice*>(m->deviceOfKind(kMouseKind)) : nullptr;
  }
  void open() {
    ASSERT_TRUE(createWindow(CMainWnd::TrayMode::None, settings));
    window->CenterWindow();
    window->ShowWindow(true);
    ASSERT_TRUE(test::waitFor([&] { return window->isVisible() && mouse() && mouse()->previewRunning(); }, 10000));
    ASSERT_TRUE(mouse()->tab());
    window->deviceManager()->selectTab(mouse()->tab());
  }
  skin::CControlUI* control(const char* name) {
    skin::CControlUI* c = mouse()->FindControlByName(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  void notify(const char* name, const char* type) {
    if (skin::CControlUI* c = control(name)) window->GetPaintManager().SendNotify(c, QString::fromLatin1(type));
  }
  void select(const char* name) {
    auto* o = qobject_cast<skin::COptionUI*>(control(name));
    ASSERT_NE(o, nullptr) << name;
    o->Selected(!o->IsSelected(), false);
    notify(name, skin::DUI_MSGTYPE_SELECTCHANGED);
  }
  bool blockByteBecomes(size_t offset, uint8_t value) {
    return test::waitFor([&] {
      const auto mem = mouseEmulator->firmware().memory(sim::Area::Settings);
      return mem.size() > offset && mem[offset] == value;
    });
  }
  void render(const char* language, const char* file) {
    skin::CResourceManager::GetInstance().LoadLanguage(QString::fromLatin1(language));
    skin::CPaintManagerUI::ReloadAllText();
    QCoreApplication::processEvents();
    QDir().mkpath(QStringLiteral(KAVRO_TEST_OUTPUT_DIR));
    EXPECT_TRUE(window->grab().toImage().save(QStringLiteral(KAVRO_TEST_OUTPUT_DIR "/") + QLatin1String(file)));
  }

  // The page's panels, answering their questions from a script.
  void openPanels() {
    open();
    keyPanel = panels::CKeySetControlUI::panelOf(mouse());
    macroPanel = panels::CMacroControlUI::panelOf(mouse());
    ASSERT_NE(keyPanel, nullptr);
    ASSERT_NE(macroPanel, nullptr);
    keyPanel->setPrompts(prompts);
    macroPanel->setPrompts(prompts);
  }
  void click(const char* name) { notify(name, skin::DUI_MSGTYPE_CLICK); }
  void choose(const char* combo, int index) {
    auto* c = qobject_cast<skin::CComboUI*>(control(combo));
    ASSERT_NE(c, nullptr) << combo;
    c->SelectItem(index, false, false);
    notify(combo, skin::DUI_MSGTYPE_ITEMSELECT);
  }
  std::array<uint8_t, 3> committedKey(size_t deviceKey) {
    const auto table = mouseEmulator->firmware().committedKeyTable();
    if (table.size() < 3 * deviceKey + 3) return {};
    return {table[3 * deviceKey], table[3 * deviceKey + 1], table[3 * deviceKey + 2]};
  }
  uint64_t sent(uint8_t command) { return mouseEmulator->firmware().stats().perCommand[command]; }

  std::shared_ptr<input::RecordingInputSettings> settings = std::make_shared<input::RecordingInputSettings>();
  std::unique_ptr<sim::Emulator> mouseEmulator;
  std::shared_ptr<test::ScriptedPrompts> prompts = std::make_shared<test::ScriptedPrompts>();
  panels::CKeySetControlUI* keyPanel = nullptr;
  panels::CMacroControlUI* macroPanel = nullptr;
};

// A mouse whose key table lacks the game-mode key: that button maps to no
// device key, and the key table the page writes leaves the mouse's keys
// that no button stands for as they were.
TEST_F(MousePageTest, ButtonAssignmentsReachTheMouseAndUnknownButtonsAreSkipped) {
  constexpr size_t kGameModeKey = 9;  // the emulated mouse's key of the game-mode code
  const std::array<uint8_t, 3> foreign{0x10, 0x20, 0x00};
  sim::FirmwareState state = mouseEmulator->firmware().keptState();
  std::copy(foreign.begin(), foreign.end(), state.keyTable.begin() + 3 * kGameModeKey);
  ASSERT_TRUE(mouseEmulator->firmware().restoreState(state));
  openPanels();
  ASSERT_TRUE(test::waitFor([&] { return mouse()->deviceTables().keyTableRead; }));
  EXPECT_EQ(mouse()->keyToTablePos[mouse::kButtonGameMode], mouse::kNoDeviceKey);

  // Clicking the back button on the picture chooses it; it becomes a left button.
  click("mouse_key_back");
  EXPECT_EQ(keyPanel->selectedKey(), static_cast<int>(mouse::kButtonBack));
  EXPECT_EQ(control("keyset_selected_key_label")->GetText(), "mouse_key_back");
  choose("keyset_function_combo", 1);
  choose("keyset_mousekey_combo", 0);
  // The game-mode button gets a function too, which the mouse cannot take.
  click("keyboard_key_GM");
  choose("keyset_function_combo", 4);
  choose("keyset_mousedpi_combo", 2);
  EXPECT_EQ(mouse()->keyAssignments()[mouse::kButtonGameMode].code, (profiles::KeyCodeBytes{0x13, 3, 0}));
  // The picture's back button names its new function; the left button has none.
  const QString leftName = skin::CResourceManager::GetInstance().ResolveText(QStringLiteral("mouse_key_left"));
  const QString backTip = mouse()->keyButton(mouse::kButtonBack)->GetToolTip();
  EXPECT_TRUE(backTip.contains(QLatin1Char('\n')) && backTip.endsWith(leftName)) << backTip.toStdString();
  EXPECT_EQ(mouse()->keyButton(mouse::kButtonLeft)->GetToolTip(), leftName);

  const std::vector<uint8_t> before = mouseEmulator->firmware().committedKeyTable();
  click("key_butt_prosave");
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  EXPECT_TRUE(prompts->notices.empty());
  const std::vector<uint8_t> after = mouseEmulator->firmware().committedKeyTable();
  ASSERT_EQ(after.size(), before.size());
  const size_t backKey = mouse()->keyToTablePos[mouse::kButtonBack];
  for (size_t k = 0; k < after.size() / 3; ++k) {
    const std::array<uint8_t, 3> expected =
        k == backKey ? std::array<uint8_t, 3>{0x10, 0x01, 0x00}
                     : std::array<uint8_t, 3>{before[3 * k], before[3 * k + 1], before[3 * k + 2]};
    EXPECT_EQ(committedKey(k), expected) << "device key " << k;
  }
  EXPECT_EQ(committedKey(kGameModeKey), foreign);

  // The profile keeps both assignments.
  mouse()->reloadProfile();
  EXPECT_EQ(mouse()->keyAssignments()[mouse::kButtonBack].code, (profiles::KeyCodeBytes{0x10, 1, 0}));
  EXPECT_EQ(mouse()->keyAssignments()[mouse::kButtonGameMode].code, (profiles::KeyCodeBytes{0x13, 3, 0}));
}

TEST_F(MousePageTest, AMacroSavedFromThePageIsTheImageTheMouseHolds) {
  openPanels();
  click("macro_btn_name_add");
  ASSERT_TRUE(macroPanel->selectedMacro().has_value());
  ASSERT_TRUE(macroPanel->insertMouseItem("right_click"));
  macroPanel->insertMove(macros::MoveDirection::Left);
  ASSERT_EQ(macroPanel->steps().size(), 3u);
  // The M8 button plays it.
  click("mouse_key_M8_key");
  choose("keyset_function_combo", 9);
  choose("keyset_macro_combo", 0);
  EXPECT_EQ(mouse()->keyAssignments()[mouse::kButtonM8].code, (profiles::KeyCodeBytes{0x70, 0, 0}));
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  click("key_butt_prosave");
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  EXPECT_TRUE(prompts->notices.empty());
  EXPECT_EQ(mouse()->macroDownloadResult(), mouse::kMacrosSent);

  const macros::MacroSource source = macros::loadMacroSource(mouse()->macroFolder());
  const macros::MacroDownload plan = macros::planMacroDownload(source.macros, transport::kDeviceInfoFixedValue);
  ASSERT_FALSE(plan.image.empty());
  const std::vector<uint8_t> held = mouseEmulator->firmware().memory(sim::Area::Macro);
  ASSERT_GE(held.size(), plan.image.size());
  EXPECT_TRUE(std::equal(plan.image.begin(), plan.image.end(), held.begin()));
  EXPECT_EQ(mouseEmulator->firmware().committedMacros().events, 3u);
  EXPECT_EQ(committedKey(mouse()->keyToTablePos[mouse::kButtonM8]), (std::array<uint8_t, 3>{0x70, 0, 0}));
}

TEST_F(MousePageTest, MacrosBeyondTheMouseMemoryAreRefusedAndNothingIsSent) {
  openPanels();
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  // One macro of 2400 steps: more than the mouse's 9216 bytes hold.
  macros::MacroModel model(mouse()->macroFolder());
  model.loadIndex();
  ASSERT_FALSE(model.addMacro().empty());
  std::vector<macros::MacroEvent> steps;
  for (int i = 0; i < 2400; ++i) steps.push_back({1, 1, i % 2 == 0, 10});
  ASSERT_TRUE(model.saveEvents(0, steps));
  const int over = macros::planMacroDownload(macros::loadMacroSource(mouse()->macroFolder()).macros,
                                             transport::kDeviceInfoFixedValue).overflow;
  ASSERT_GT(over, 0);

  const auto macrosBefore = mouseEmulator->firmware().memory(sim::Area::Macro);
  click("key_butt_prosave");
  ASSERT_TRUE(mouse()->waitForCommands(5000));
  ASSERT_EQ(prompts->notices.size(), 1u);
  EXPECT_EQ(prompts->notices[0], panels::countMessageText(QStringLiteral("message_text_16"), over));
  // Neither the macros nor the key table went out.
  EXPECT_EQ(sent(transport::kCmdWriteMacroData), 0u);
  EXPECT_EQ(sent(transport::kCmdWriteKeyTable), 0u);
  EXPECT_EQ(mouseEmulator->firmware().memory(sim::Area::Macro), macrosBefore);
}

TEST_F(MousePageTest, PageControlsReachTheMouseTheProfileAndTheDesktop) {
  open();
  auto* m = mouse();
  select("polling_rate_option_1");
  EXPECT_TRUE(blockByteBecomes(mouse::kSbPollingRate, 1));

  control("DPI_edit_0")->SetText("1000");
  notify("DPI_edit_0", skin::DUI_MSGTYPE_KILLFOCUS);
  EXPECT_TRUE(blockByteBecomes(mouse::kSbStages + 2, 1000 / sim::mouse::kDpiStep));
  EXPECT_EQ(qobject_cast<skin::CSliderUI*>(control("DPI_slider_0"))->GetValue(), 1000 / sim::mouse::kDpiStep);

  // The pointer speed is kept in the profile and goes to the desktop, not to the mouse.
  qobject_cast<skin::CSliderUI*>(control("pointer_speed_slider"))->SetValue(7);
  notify("pointer_speed_slider", skin::DUI_MSGTYPE_VALUECHANGED);
  EXPECT_TRUE(test::waitFor([&] {
    for (const auto& c : settings->calls()) {
      if (c.name == "pointerSpeed" && c.value == 16) return true;
    }
    return false;
  }));
  EXPECT_EQ(m->systemSettings().mouseSpeed, 7);
  const Json::Value saved = profiles::readJsonDocument(m->profileData().getProfilePath());
  EXPECT_EQ(saved["Device"][0]["SystemStages"]["MouseSpeed"].asInt(), 7);

  // The settings tabs show their page.
  select("mouse_device_seting_option_2");
  auto* pages = qobject_cast<skin::CTabLayoutUI*>(control("mouse_device_seting_layout"));
  ASSERT_NE(pages, nullptr);
  EXPECT_EQ(pages->GetItemAt(pages->GetCurSel())->GetName(), "ShootControlItem");
}

TEST_F(MousePageTest, EveryNamedControlIsOnThePageAndThePageRendersInBothLanguages) {
  open();
  for (const auto& name : mouse::kButtonControlNames) {
    EXPECT_NE(mouse()->FindControlByName(QString::fromLatin1(name.data(), static_cast<int>(name.size()))), nullptr)
        << name;
  }
  const char* names[] = {"mouse_device_seting_layout", "mouse_option_layout", "pointer_speed_slider",
                         "pointer_precision_check", "scrolls_page_check", "scroll_speed_slider", "double_click_slider",
                         "device_tishi_info", "device_status_label", "DeviceProfileItem", "LightControlItem",
                         "ShootControlItem", "shoot_spray_view", "bullet_edit_layout", "shoot_image_display_switch",
                         "mouse_led_indicator"};
  for (const char* name : names) control(name);
  for (size_t i = 0; i < mouse::kStageCount; ++i) {
    for (const char* prefix : {"DPI_slider_", "DPI_edit_", "DPI_enable_check_", "DPI_layout_"}) {
      EXPECT_NE(mouse()->FindControlByName(QString::fromLatin1(prefix) + QString::number(i)), nullptr) << prefix << i;
    }
  }
  for (int led = 0; led < devices::kDeviceXml[kMouseKind].lightCount; ++led) EXPECT_NE(mouse()->lightButton(led), nullptr) << led;
  select("system_Op_tab");
  // The keyboard page's feature tab keeps its selection.
  auto* keyboardTab = qobject_cast<skin::COptionUI*>(keyboard()->FindControlByName("deng_Op_tab"));
  ASSERT_NE(keyboardTab, nullptr);
  EXPECT_TRUE(keyboardTab->IsSelected());
  render("lan_en.xml", "mouse_page_en.png");
  render("lan_cn.xml", "mouse_page_cn.png");
  render("lan_en.xml", "mouse_page_back_en.png");
  // The key assignment and macro tabs hold their panels.
  mouse()->setKeyAssignments([&] {
    auto list = mouse()->keyAssignments();
    list[mouse::kButtonM8].code = {0x20, 0x01, 0x3E};
    return list;
  }());
  if (auto* keys = panels::CKeySetControlUI::panelOf(mouse())) keys->selectKey(static_cast<int>(mouse::kButtonM8));
  for (const char* tab : {"key_Op_tab", "macro_Op_tab"}) {
    select(tab);
    render("lan_en.xml", (std::string("mouse_page_") + tab + "_en.png").c_str());
    render("lan_cn.xml", (std::string("mouse_page_") + tab + "_cn.png").c_str());
  }
  skin::CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
}

}  // namespace
