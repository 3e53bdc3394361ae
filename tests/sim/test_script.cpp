// kavro-sim's command language: parsing, and commands acting on emulators
// that are not plugged anywhere.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/kinds.h"
#include "sim/script.h"

namespace kavro::sim {
namespace {

TEST(Script, ParsesVerbsDevicesAndArguments) {
  ScriptCommand c;
  std::string error;
  ASSERT_TRUE(parseScriptLine("  # only a comment", c, &error));
  EXPECT_TRUE(c.verb.empty());
  ASSERT_TRUE(parseScriptLine("SLOT mouse 2  # to slot 2", c, &error)) << error;
  EXPECT_EQ(c.verb, "slot");
  EXPECT_EQ(c.device, "mouse");
  EXPECT_EQ(c.args, std::vector<std::string>{"2"});
  ASSERT_TRUE(parseScriptLine("slot 1", c, &error));
  EXPECT_TRUE(c.device.empty());
  ASSERT_TRUE(parseScriptLine("fault keyboard slow 300 2", c, &error)) << error;
  ASSERT_TRUE(parseScriptLine("unplug all", c, &error));
  EXPECT_EQ(c.device, "all");

  for (const char* bad : {"jump", "press", "press A B", "unplug", "fault mouse", "fault mouse slow",
                          "fault mouse slow 10 0", "fault mouse melt", "battery 50", "timing"}) {
    EXPECT_FALSE(parseScriptLine(bad, c, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
}

TEST(Script, ActsOnTheNamedOrFirstDevice) {
  auto keyboard = makeEmulator(DeviceKind::Keyboard, inProcessPresence(), "script-");
  auto mouse = makeEmulator(DeviceKind::Mouse, inProcessPresence(), "script-");
  ScriptRunner runner({keyboard.get(), mouse.get()});
  std::ostringstream out;
  EXPECT_EQ(runner.runLine("offline mouse", out), ScriptRunner::Result::Ok);
  EXPECT_FALSE(mouse->firmware().online());
  EXPECT_TRUE(keyboard->firmware().online());
  EXPECT_EQ(runner.runLine("battery mouse 42", out), ScriptRunner::Result::Ok);
  EXPECT_EQ(mouse->firmware().memory(Area::Status)[status::kBattery], 42);
  EXPECT_EQ(runner.runLine("battery mouse 101", out), ScriptRunner::Result::Failed);
  // Not plugged: the slot changes but nobody hears of it.
  EXPECT_EQ(runner.runLine("slot 2", out), ScriptRunner::Result::Failed);
  EXPECT_EQ(keyboard->firmware().memory(Area::Settings)[0], 2);
  EXPECT_EQ(runner.runLine("slot 9", out), ScriptRunner::Result::Failed);
  EXPECT_EQ(runner.runLine("press nokey", out), ScriptRunner::Result::Failed);
  EXPECT_EQ(runner.runLine("fault keyboard busy 1", out), ScriptRunner::Result::Ok);
  EXPECT_EQ(runner.runLine("quit", out), ScriptRunner::Result::Quit);
  out.str("");
  EXPECT_EQ(runner.runLine("status", out), ScriptRunner::Result::Ok);
  EXPECT_NE(out.str().find("keyboard: unplugged"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("mouse: unplugged, offline"), std::string::npos) << out.str();
}

TEST(Kinds, ParsesListsAndRejectsUnknownNames) {
  std::vector<DeviceKind> k;
  std::string error;
  ASSERT_TRUE(parseKindList("headset, keyboard,headset", k, &error));
  EXPECT_EQ(k, (std::vector<DeviceKind>{DeviceKind::Keyboard, DeviceKind::Headset}));
  ASSERT_TRUE(parseKindList("all", k, &error));
  EXPECT_EQ(k.size(), 4u);
  EXPECT_FALSE(parseKindList("keyboard,toaster", k, &error));
  EXPECT_NE(error.find("toaster"), std::string::npos);
  EXPECT_FALSE(parseKindList(" , ", k, &error));
}

}  // namespace
}  // namespace kavro::sim
