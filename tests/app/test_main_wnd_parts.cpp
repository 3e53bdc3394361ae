// The pure parts around the main window: the exit block, the input settings
// mapping and its GSettings backend, the queue, and the node access check.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "app/exit_sequence.h"
#include "platform/hid/hid_permission.h"
#include "platform/input_settings.h"

using namespace kavro;

TEST(ExitBlock, KeepsBrightnessMultiColourAndColourOnly) {
  profiles::LightSetting light;
  light.effect = 9, light.brightness = 3, light.speed = 2, light.direction = 1, light.multiColor = 1;
  light.red = 0x11, light.green = 0x22, light.blue = 0x33, light.areaEffect = 5, light.customGroup = 2;
  const keyboard::SettingsBlock b = app::exitLightingBlock(light);
  const keyboard::SettingsBlock expected = {0, 1, 3, 4, 0, 1, 0x11, 0x22, 0x33};
  EXPECT_EQ(b, expected);
}

TEST(InputSettings, PageValuesMapToTheDesktopRanges) {
  EXPECT_EQ(input::pointerSpeedFromSlider(0), 2);
  EXPECT_EQ(input::pointerSpeedFromSlider(4), 10);
  EXPECT_EQ(input::pointerSpeedFromSlider(9), 20);
  EXPECT_EQ(input::pointerSpeedFromSlider(15), 20);
  EXPECT_EQ(input::pointerSpeedFromSlider(-1), 1);
  EXPECT_EQ(input::scrollLinesFromSlider(2, false), 3);
  EXPECT_EQ(input::scrollLinesFromSlider(2, true), input::kScrollPage);
  EXPECT_EQ(input::doubleClickMsFromSlider(3, 10), 800);
  EXPECT_EQ(input::doubleClickMsFromSlider(10, 10), 100);
}

TEST(InputSettings, GSettingsValues) {
  using W = input::GSettingsWrite;
  const std::string mouse = "org.gnome.desktop.peripherals.mouse", kb = "org.gnome.desktop.peripherals.keyboard";
  EXPECT_EQ(input::gsettingsPointerSpeed(10), (std::vector<W>{{mouse, "speed", "0.0"}}));
  EXPECT_EQ(input::gsettingsPointerSpeed(20), (std::vector<W>{{mouse, "speed", "1.0"}}));
  EXPECT_EQ(input::gsettingsPointerSpeed(0), (std::vector<W>{{mouse, "speed", "-0.9"}}));
  EXPECT_EQ(input::gsettingsPointerPrecision(false), (std::vector<W>{{mouse, "accel-profile", "'flat'"}}));
  EXPECT_EQ(input::gsettingsDoubleClick(500), (std::vector<W>{{mouse, "double-click", "500"}}));
  EXPECT_EQ(input::gsettingsRepeatRate(0),
            (std::vector<W>{{kb, "repeat", "true"}, {kb, "repeat-interval", "uint32 400"}}));
  EXPECT_EQ(input::gsettingsRepeatRate(31).back().value, "uint32 33");
  EXPECT_EQ(input::gsettingsRepeatDelay(3), (std::vector<W>{{kb, "delay", "uint32 1000"}}));
  EXPECT_EQ(input::gsettingsRepeatDelay(9), (std::vector<W>{{kb, "delay", "uint32 1000"}}));
}

TEST(InputSettings, GSettingsBackendWritesOnlyToInstalledSchemas) {
  std::vector<std::vector<std::string>> runs;
  bool mouseSchema = false;
  input::GSettingsInputSettings backend([&](const std::vector<std::string>& argv) {
    runs.push_back(argv);
    if (argv[1] == "list-keys") return (argv[2].find("mouse") != std::string::npos && !mouseSchema) ? 1 : 0;
    return 0;
  });
  EXPECT_FALSE(backend.setPointerSpeed(12));
  EXPECT_FALSE(backend.setDoubleClickTime(400));  // the answer is kept: no second check
  EXPECT_TRUE(backend.setKeyRepeatDelay(1));
  EXPECT_FALSE(backend.setScrollLines(3));
  const std::vector<std::vector<std::string>> expected = {
      {"gsettings", "list-keys", "org.gnome.desktop.peripherals.mouse"},
      {"gsettings", "list-keys", "org.gnome.desktop.peripherals.keyboard"},
      {"gsettings", "set", "org.gnome.desktop.peripherals.keyboard", "delay", "uint32 500"},
  };
  EXPECT_EQ(runs, expected);
}

TEST(InputSettings, RunCommandReportsExitStatusAndMissingPrograms) {
  EXPECT_EQ(input::runCommand({"true"}), 0);
  EXPECT_EQ(input::runCommand({"false"}), 1);
  EXPECT_EQ(input::runCommand({"kavro-no-such-program"}), -1);
  EXPECT_EQ(input::runCommand({}), -1);
}

TEST(InputSettings, QueueRunsCallsInOrderAndFinishesThemAtTheEnd) {
  auto rec = std::make_shared<input::RecordingInputSettings>();
  {
    input::InputSettingsQueue q(rec);
    q.post([](input::InputSettingsBackend& b) { b.setPointerSpeed(5); });
    q.post([](input::InputSettingsBackend& b) { b.setPointerPrecision(true); });
    q.flush();
    EXPECT_EQ(rec->calls().size(), 2u);
    q.post([](input::InputSettingsBackend& b) { b.setKeyRepeatRate(7); });
  }
  using Call = input::RecordingInputSettings::Call;
  EXPECT_EQ(rec->calls(), (std::vector<Call>{{"pointerSpeed", 5}, {"pointerPrecision", 1}, {"keyRepeatRate", 7}}));
}

TEST(HidPermission, TellsMissingNodesFromRefusedOnes) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  EXPECT_EQ(hid::checkNodeAccess(dir.filePath("hidraw9").toStdString()), hid::NodeAccess::Missing);
  const std::string node = dir.filePath("hidraw0").toStdString();
  const int fd = ::open(node.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ::close(fd);
  EXPECT_EQ(hid::checkNodeAccess(node), hid::NodeAccess::Ok);
  ::chmod(node.c_str(), 0);
  if (::geteuid() == 0) GTEST_SKIP() << "root opens every file";
  EXPECT_EQ(hid::checkNodeAccess(node), hid::NodeAccess::NoPermission);
}
