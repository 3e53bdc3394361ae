#pragma once
// The main window against a plugged emulated keyboard: a private data folder,
// the program's controls and messages registered, and the window created as
// the program creates it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <string>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/main_wnd.h"
#include "app/main_wnd_settings.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "platform/input_settings.h"
#include "sim/emulator.h"
#include "skin/controls.h"
#include "skin/qt_app.h"

namespace kavro::test {

// Gives the offscreen platform one screen of a common desktop size, so the
// window gets its full size. Only takes effect before the application exists.
inline void useDesktopScreen(const QString& fileName) {
  if (QCoreApplication::instance()) return;
  const QString file = QDir::temp().filePath(fileName);
  QFile f(file);
  if (f.open(QIODevice::WriteOnly)) {
    f.write(R"({"screens": [{"name": "main", "x": 0, "y": 0, "width": 1920, "height": 1080,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  }
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
}

class MainWndFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    qtApp();
    ASSERT_TRUE(home.isValid());
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    app::registerControls(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
    app::registerInstanceMessage();
    app::registerProgramMessages();
    static int serial = 0;
    emulator = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(),
                                 "mainwnd" + std::to_string(++serial) + "-");
    ASSERT_TRUE(emulator->plug());
  }
  void TearDown() override {
    window.reset();
    if (emulator) {
      EXPECT_EQ(emulator->violations(), 0u);
    }
    emulator.reset();
  }

  // Creates the window with the tray mode and input settings, as the program
  // does; false when the window could not be created. It is not shown yet.
  bool createWindow(app::CMainWnd::TrayMode tray, std::shared_ptr<input::InputSettingsBackend> settings) {
    window = std::make_unique<app::CMainWnd>();
    window->setTrayMode(tray);
    window->setInputSettings(std::move(settings));
    window->settingsOptions().backgroundCheck = false;  // no network in tests
    return window->Create(nullptr, QString::fromLatin1(app::kProductName), skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572);
  }
  devices::CHalvionKeyboardDevice* keyboard() {
    auto* m = window ? window->deviceManager() : nullptr;
    return m ? qobject_cast<devices::CHalvionKeyboardDevice*>(m->deviceOfKind(1)) : nullptr;
  }

  // A control of the keyboard's page, or else of the window: other pages
  // (the mouse's) have controls of the same names.
  skin::CControlUI* pageControl(const QString& name) {
    skin::CControlUI* c = keyboard() ? keyboard()->FindControlByName(name) : nullptr;
    return c ? c : (window ? window->FindControl(name) : nullptr);
  }

  QTemporaryDir home;
  std::unique_ptr<sim::Emulator> emulator;
  std::unique_ptr<app::CMainWnd> window;
};

}  // namespace kavro::test
