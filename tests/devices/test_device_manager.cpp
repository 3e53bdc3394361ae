// Devices coming and going through the real discovery thread and the window
// thread: rows, channel, tab and "No_device_Link".
#include "devices/device_manager.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdio>
#include <fstream>

#include "devices/device_base.h"
#include "devices/device_option.h"
#include "platform/debug.h"
#include "sim/emulator.h"
#include "sim/keyboard_emulator.h"
#include "skin/qt_app.h"
#include "skin/skin.h"

using namespace kavro;
using namespace kavro::devices;

namespace {

const char* kWindowXml = R"(<Window size="900,600">
  <VerticalLayout>
    <HorizontalLayout name="device_select_layout" height="60"/>
    <TabLayout name="device_power_switch" height="30"/>
    <Control name="No_device_Link" height="40"/>
    <TabLayout name="device_switch"/>
  </VerticalLayout></Window>)";

class HostWnd : public skin::CWindowWnd {
 public:
  explicit HostWnd(QString skin) : skin_(std::move(skin)) {}
  QString GetWindowClassName() const override { return "HostWnd"; }
  QString GetSkinFile() const override { return skin_; }

 private:
  QString skin_;
};

class DeviceManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    const QString xml = dir.filePath("host.xml");
    std::ofstream(xml.toStdString()) << kWindowXml;
    window = std::make_unique<HostWnd>(xml);
    ASSERT_TRUE(window->Create(nullptr, "host"));
    manager = std::make_unique<CDeviceManager>(window.get(), window.get());
    // A plain device object stands for the keyboard page here.
    skin::CControlFactory::GetInstance()->RegistControl("HalvionKeyboardDevice",
                                                        [] { return new CHalvionUSBDevice; });
  }
  void TearDown() override {
    manager->stopThreads();
    manager.reset();
    window.reset();
  }
  CHalvionUSBDevice* keyboard() { return manager->deviceOfKind(1); }
  bool noDeviceShown() { return window->FindControl(kNoDeviceLink)->IsVisible(); }

  QTemporaryDir dir;
  std::unique_ptr<HostWnd> window;
  std::unique_ptr<CDeviceManager> manager;
};

}  // namespace

TEST_F(DeviceManagerTest, KeyboardArrivesIsOpenedAndGoesAgain) {
  auto kb = sim::makeKeyboard(sim::inProcessPresence(), "mgr-");
  ASSERT_TRUE(kb->plug());
  // Only the keyboard has a page layout so far: one page, hidden tab.
  ASSERT_GE(manager->buildPages(), 1);
  ASSERT_NE(keyboard(), nullptr);
  EXPECT_FALSE(keyboard()->tab()->IsVisible());
  EXPECT_TRUE(noDeviceShown());
  int arrivals = 0;
  manager->onArrival = [&] { ++arrivals; };

  manager->startThreads();
  ASSERT_TRUE(test::waitFor([&] { return keyboard()->channel.isConnected(); }, 5000));
  ASSERT_TRUE(test::waitFor([&] { return arrivals == 2; }, 5000));
  EXPECT_TRUE(keyboard()->tab()->IsVisible());
  EXPECT_TRUE(keyboard()->tab()->isSelected());
  EXPECT_FALSE(noDeviceShown());
  EXPECT_EQ(manager->discovery().row(0).connected, 1);
  EXPECT_EQ(manager->discovery().row(1).connected, 1);
  EXPECT_EQ(keyboard()->channel.hid.collectionNumber, 4u);

  keyboard()->channel.stateFlag.store(1);  // following synchronised lighting
  kb->unplug();
  ASSERT_TRUE(test::waitFor([&] { return manager->discovery().row(1).isFree(); }, 5000));
  EXPECT_EQ(keyboard()->channel.stateFlag.load(), 0);  // no second device left to follow
  EXPECT_FALSE(keyboard()->channel.isConnected());
  EXPECT_TRUE(noDeviceShown());
  EXPECT_TRUE(manager->discovery().row(0).isFree());
  EXPECT_TRUE(manager->discovery().row(1).isFree());

  const uint64_t t0 = tickMs();
  ASSERT_TRUE(kb->plug());
  ASSERT_TRUE(test::waitFor([&] { return keyboard()->tab()->IsVisible(); }, 5000));
  std::printf("re-plugged keyboard shown %llu ms after it appeared\n",
              static_cast<unsigned long long>(tickMs() - t0));
  EXPECT_EQ(kb->violations(), 0u);
}

TEST_F(DeviceManagerTest, SecondKeyboardIsIgnoredAndStopWritesEveryThreadLine) {
  auto kb1 = sim::makeKeyboard(sim::inProcessPresence(), "mgr1-");
  auto kb2 = sim::makeKeyboard(sim::inProcessPresence(), "mgr2-");
  ASSERT_TRUE(kb1->plug());
  ASSERT_TRUE(kb2->plug());
  manager->buildPages();
  manager->startThreads();
  ASSERT_TRUE(test::waitFor([&] { return keyboard()->channel.isConnected(); }, 5000));
  const std::string path = manager->discovery().row(0).path;
  EXPECT_EQ(manager->visibleTabCount(), 1);

  std::vector<std::string> lines;
  std::mutex m;
  dbg::setCapture([&](const std::string& s) {
    std::lock_guard<std::mutex> l(m);
    lines.push_back(s);
  });
  manager->stopThreads();
  dbg::setCapture(nullptr);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "抓取设备线程设定退出"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "同步灯光线程设定退出"), lines.end());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string("所有对象处于激发状态\n")), 2);
  EXPECT_EQ(manager->discovery().row(0).path, path);  // still the first keyboard
}
