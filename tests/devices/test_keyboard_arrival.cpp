// A keyboard arriving through discovery and the device manager: the tab
// shows, the device connects 500 ms later, a change made on the device is
// read back, and unplugging closes everything again.
#include <QFile>
#include <filesystem>

#include "devices/device_manager.h"
#include "devices/device_option.h"
#include "keyboard_device_fixture.h"
#include "sim/sim_test_util.h"
#include "skin/qt_app.h"
#include "skin/skin.h"

using namespace kavro;
using kavro::test::KeyboardDeviceTest;

namespace {

const char* kPagesXml = R"(<Window size="1100,760">
  <VerticalLayout>
    <HorizontalLayout name="device_select_layout" height="40"/>
    <Label name="No_device_Link" text="no device" height="20"/>
    <TabLayout name="device_power_switch" height="40"/>
    <TabLayout name="device_switch"/>
  </VerticalLayout></Window>)";

class PagesWnd : public skin::CWindowWnd {
 public:
  explicit PagesWnd(QString skin) : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "PagesWnd"; }
  QString GetSkinFile() const override { return skin_; }

 private:
  QString skin_;
};

}  // namespace

TEST_F(KeyboardDeviceTest, ArrivalConnectsThroughTheManagerAndRemovalClosesTheDevice) {
  QFile f(dataHome_.filePath("pages.xml"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(kPagesXml);
  f.close();
  PagesWnd w(f.fileName());
  ASSERT_TRUE(w.Create(nullptr, "pages"));
  devices::CDeviceManager manager(&w, &w);
  ASSERT_GE(manager.buildPages(), 1);
  auto* kb = qobject_cast<devices::CHalvionKeyboardDevice*>(manager.deviceOfKind(1));
  ASSERT_NE(kb, nullptr);
  devices::CDeviceOptionUI* tab = kb->tab();
  ASSERT_NE(tab, nullptr);
  EXPECT_FALSE(tab->IsVisible());
  w.ShowWindow(true, false);

  manager.startThreads();
  EXPECT_TRUE(test::waitFor([&] { return tab->IsVisible(); }, 10000));
  EXPECT_TRUE(test::waitFor([&] { return kb->previewRunning() && kb->listening(); }, 10000));
  EXPECT_TRUE(std::filesystem::exists(kb->profileData().getProfilePath()));
  EXPECT_EQ(kb->deviceKeyCount(), emulator_->firmware().keyCount());

  // A change made on the keyboard reaches the page through usage 0x401.
  ASSERT_TRUE(emulator_->changeEffect(5));
  EXPECT_TRUE(test::waitFor([&] { return kb->lightState().effect == 5; }, 10000));
  EXPECT_TRUE(recorder_.sawLine("MS设备同步：设备设置已改变\n"));

  emulator_->unplug();
  EXPECT_TRUE(test::waitFor([&] { return !tab->IsVisible() && !kb->previewRunning() && !kb->listening(); }, 10000));
  EXPECT_FALSE(kb->channel.isConnected());
  manager.stopThreads();
}
