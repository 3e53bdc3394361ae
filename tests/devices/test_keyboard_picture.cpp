// The keyboard page rendered offscreen with a running wave preview; the
// picture is kept under the build tree for a look.
#include <QDir>
#include <QFontDatabase>
#include <QSet>

#include "devices/device_option.h"
#include "devices/keyboard/keyboard_geometry.h"

#include "widgets/device_key_button.h"
#include "widgets/select_panel.h"
#include "keyboard_device_fixture.h"
#include "skin/qt_app.h"
#include "skin/skin.h"

using namespace kavro;
using kavro::test::KeyboardDeviceTest;

namespace {
class PageWnd : public skin::CWindowWnd {
 public:
  QString GetWindowClassName() const override { return "KeyboardPageWnd"; }
  QString GetSkinFile() const override { return "XML\\DeviceXml\\keyboarddevice.xml"; }
};
}  // namespace

TEST_F(KeyboardDeviceTest, PagePaintsTheRunningWaveOnTheKeys) {
  devices::registerKeyboardDevice();
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl("DeviceKeyButton", [] { return new widgets::CDeviceKeyButtonUI; });
  factory->RegistControl("SelectPanel", [] { return new widgets::CSelectPanelUI; });
  // The picture shows the English key captions and page texts.
  ASSERT_TRUE(skin::CResourceManager::GetInstance().LoadLanguage("lan_en.xml"));
  PageWnd w;
  ASSERT_TRUE(w.Create(nullptr, "keyboard", skin::UI_WNDSTYLE_FRAME, 0, 0, 1040, 720));
  auto* d = w.Find<devices::CHalvionKeyboardDevice>("keyboard_device_page");
  ASSERT_NE(d, nullptr);
  d->setKeyCount(126);
  d->setLightCount(126);
  d->setTypeName("keyboard");
  d->setPageXml("XML\\DeviceXml\\keyboarddevice.xml");
  d->initPage();
  ASSERT_NE(d->keyButton(64), nullptr);

  open(*d);
  keyboard::SettingsBlock b{};
  b[keyboard::kSbEffect] = 1;  // column wave through the colour wheel
  b[keyboard::kSbBrightness] = 5;
  b[keyboard::kSbSpeed] = 0;
  b[keyboard::kSbDirection] = 1;
  b[keyboard::kSbMultiColor] = 1;
  putBlock(*d, 0, b);
  connectDevice(*d);
  w.ShowWindow(true, false);
  ASSERT_TRUE(d->needsFrames());

  // Wait until the wave has moved through a good part of the wheel.
  QSet<uint32_t> colours;
  EXPECT_TRUE(test::waitFor([&] {
    d->streamLights();
    colours.clear();
    for (size_t p = 0; p < 126; ++p) {
      if (auto* k = d->keyButton(p); k && k->getLightBrightness() > 0) colours.insert(k->getLightColor());
    }
    return colours.size() >= 12;
  }, 5000));
  EXPECT_FALSE(d->keyButton(64)->GetText().isEmpty());

  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  const QString png = QStringLiteral(KAVRO_TEST_OUTPUT_DIR) + "/keyboard_spectrum.png";
  EXPECT_TRUE(w.grab().save(png));
  d->onDisconnected();
}

// The light thread asks for the paints itself: with nobody visiting the
// page, the keys still follow the wave, and they stop once the window is hidden.
TEST_F(KeyboardDeviceTest, PreviewPaintsWithoutFrameVisitsAndPausesWhenHidden) {
  devices::registerKeyboardDevice();
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl("DeviceKeyButton", [] { return new widgets::CDeviceKeyButtonUI; });
  factory->RegistControl("SelectPanel", [] { return new widgets::CSelectPanelUI; });
  PageWnd w;
  ASSERT_TRUE(w.Create(nullptr, "keyboard", skin::UI_WNDSTYLE_FRAME, 0, 0, 1040, 720));
  auto* d = w.Find<devices::CHalvionKeyboardDevice>("keyboard_device_page");
  ASSERT_NE(d, nullptr);
  d->setKeyCount(126);
  d->setLightCount(126);
  d->setPageXml("XML\\DeviceXml\\keyboarddevice.xml");
  d->initPage();
  open(*d);
  keyboard::SettingsBlock b{};
  b[keyboard::kSbEffect] = 1;
  b[keyboard::kSbBrightness] = 5;
  b[keyboard::kSbMultiColor] = 1;
  putBlock(*d, 0, b);
  connectDevice(*d);
  w.ShowWindow(true, false);
  d->streamLights();  // the one visit that notices the page can be seen
  auto lightOf = [&] { return d->keyButton(64)->getLightColor(); };
  QSet<uint32_t> seen;
  EXPECT_TRUE(test::waitFor([&] {
    seen.insert(lightOf());
    return seen.size() >= 4;
  }, 5000));

  // The colours of synchronised lighting come from another thread, with the
  // preview resting; the keys show them as soon.
  d->channel.stateFlag = 1;
  test::waitFor([] { return false; }, 100);  // a pass under way has published its frame
  constexpr uint32_t kSynced = 0xFF2040C0;
  const uint32_t syncedLight = lighting::buttonColor(lighting::unpackLed(kSynced));
  ASSERT_NE(lightOf(), syncedLight);
  d->setLedColor(64, kSynced);
  EXPECT_TRUE(test::waitFor([&] { return lightOf() == syncedLight; }, 5000));
  d->channel.stateFlag = 0;

  w.ShowWindow(false);
  EXPECT_FALSE(d->needsFrames());
  // Still visited now and then: the tab keeps showing whether it follows
  // the synchronised lighting.
  EXPECT_EQ(d->frameIntervalMs(), devices::kIdleFrameIntervalMs);
  test::waitFor([] { return false; }, 200);  // let a paint already on its way land
  const uint32_t frozen = lightOf();
  test::waitFor([] { return false; }, 300);
  EXPECT_EQ(lightOf(), frozen);
  d->onDisconnected();
}

// Every key of the picture shows a caption that fits its cap at a readable
// size, in both languages, and a tool tip that names the key's function.
TEST_F(KeyboardDeviceTest, EveryKeyCaptionFitsItsCapInBothLanguages) {
  devices::registerKeyboardDevice();
  auto* factory = skin::CControlFactory::GetInstance();
  factory->RegistControl("DeviceKeyButton", [] { return new widgets::CDeviceKeyButtonUI; });
  factory->RegistControl("SelectPanel", [] { return new widgets::CSelectPanelUI; });
  // The Chinese texts use the font the program ships, as at start-up.
  QFontDatabase::addApplicationFont(QStringLiteral(KAVRO_RESOURCES_DIR) + "/Font/Simplified_Chinese.ttf");
  auto& rm = skin::CResourceManager::GetInstance();
  PageWnd w;
  ASSERT_TRUE(w.Create(nullptr, "keyboard", skin::UI_WNDSTYLE_FRAME, 0, 0, 1040, 720));
  auto* d = w.Find<devices::CHalvionKeyboardDevice>("keyboard_device_page");
  ASSERT_NE(d, nullptr);
  d->setKeyCount(126);
  d->setLightCount(126);
  d->setTypeName("keyboard");
  d->initPage();
  w.ShowWindow(true, false);
  test::waitFor([] { return false; }, 50);

  for (const char* language : {"lan_en.xml", "lan_cn.xml"}) {
    ASSERT_TRUE(rm.LoadLanguage(language));
    d->refreshKeyCaptions();
    const QString assignedPrefix = rm.ResolveText("Key_Set");
    for (size_t p = 0; p < keyboard::kPositionCount; ++p) {
      widgets::CDeviceKeyButtonUI* key = d->keyButton(p);
      if (!keyboard::kKeyboardGeometry[p].visible) continue;
      ASSERT_NE(key, nullptr) << p;
      const QString caption = key->GetDisplayText();
      const widgets::CaptionLayout layout = key->captionLayout();
      EXPECT_FALSE(caption.trimmed().isEmpty()) << language << " position " << p;
      EXPECT_TRUE(layout.fits) << language << " position " << p << " " << caption.toStdString();
      EXPECT_GE(layout.pixelSize, widgets::kCaptionSmallestPx) << language << " position " << p;
      EXPECT_GT(key->GetToolTip().size(), assignedPrefix.size()) << language << " position " << p;
    }
    // The keypad's decimal point does not read like Num Lock.
    EXPECT_NE(d->keyButton(117)->GetDisplayText(), d->keyButton(38)->GetDisplayText()) << language;
  }
}
