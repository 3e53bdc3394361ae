// The mouse page in the main window with the emulated mouse: its controls as
// the user changes them reach the profile, the mouse and the desktop, every
// control the code looks up is in the layout, and the page is rendered in
// both languages for a look.
#include <gtest/gtest.h>

#include <QDir>

#include "devices/mouse/mouse_device.h"
#include "devices/discovery/device_tables.h"
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
    if (mouseEmulator) EXPECT_EQ(mouseEmulator->violations(), 0u);
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

  std::shared_ptr<input::RecordingInputSettings> settings = std::make_shared<input::RecordingInputSettings>();
  std::unique_ptr<sim::Emulator> mouseEmulator;
};

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
}

}  // namespace
