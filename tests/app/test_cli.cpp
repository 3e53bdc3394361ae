// The command line's pure parts: arguments to requests, requests against a
// fake backend to output and exit codes, and the JSON envelope.
#include <gtest/gtest.h>
#include <json/json.h>

#include <map>

#include "app/cli_request.h"
#include "app/cli_run.h"

using namespace kavro::cli;

namespace {

ParseResult parse(std::vector<std::string> args) { return parseArguments(args); }

Json::Value parsedJson(const std::string& text) {
  Json::Value v;
  Json::CharReaderBuilder b;
  std::string errors;
  std::istringstream in(text);
  EXPECT_TRUE(Json::parseFromStream(b, in, &v, &errors)) << errors << "\n" << text;
  return v;
}

// A backend with one keyboard; records the calls it gets.
class FakeBackend : public Backend {
 public:
  FakeBackend() {
    DeviceRecord k;
    k.kind = "keyboard";
    k.name = "Keyboard";
    k.firmware = "V0102";
    k.profile = "Work";
    k.profiles = {"Games", "Work"};
    k.effect = 1;
    k.brightness = 4;
    k.colour = 0x00FF80;
    k.effects = {"None", "Wave", "Static Colour"};
    k.effectUsable = {false, true, true};
    devices.push_back(k);
  }
  CallResult listDevices(std::vector<DeviceRecord>* out) override {
    *out = devices;
    return {};
  }
  CallResult applyProfile(const std::string& kind, const std::string& name) override {
    calls.push_back("profile " + kind + " " + name);
    return next;
  }
  CallResult setLighting(const std::string& kind, const LightValues& v) override {
    calls.push_back("light " + kind);
    light = v;
    return next;
  }
  CallResult setDpiStage(const std::string& kind, int stage) override {
    calls.push_back("dpi " + kind + " " + std::to_string(stage));
    return CallResult::failed(kErrorNoDevice, "no mouse is connected");
  }
  CallResult setEqualiserPreset(const std::string&, int) override { return next; }

  std::vector<DeviceRecord> devices;
  std::vector<std::string> calls;
  LightValues light;
  CallResult next;
};

Outcome run(std::vector<std::string> args, FakeBackend& backend) {
  const ParseResult p = parse(std::move(args));
  EXPECT_TRUE(p.ok) << p.error;
  return runRequest(p.request, backend);
}

}  // namespace

TEST(CliArguments, SubCommandsDecideBetweenCommandAndWindow) {
  EXPECT_TRUE(isCommandLine({"devices"}));
  EXPECT_TRUE(isCommandLine({"--json", "battery"}));
  EXPECT_TRUE(isCommandLine({"--help"}));
  // The window's own options keep starting the window.
  EXPECT_FALSE(isCommandLine({}));
  EXPECT_FALSE(isCommandLine({"--simulate=keyboard", "--tray"}));
  EXPECT_FALSE(isCommandLine({"--debug", "somefile"}));
}

TEST(CliArguments, EachCommandTakesItsArguments) {
  ParseResult p = parse({"profile", "keyboard", "My Games"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.request.command, Command::ProfileApply);
  EXPECT_EQ(p.request.profile, "My Games");
  EXPECT_EQ(parse({"profile", "mouse"}).request.command, Command::ProfileList);

  p = parse({"light", "keyboard", "--effect", "Wave", "--brightness=3", "--direction", "left", "--colour", "#00ff7F"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.request.light.effect, "Wave");
  EXPECT_EQ(p.request.light.brightness, 3);
  EXPECT_EQ(p.request.light.speed, -1);
  EXPECT_EQ(p.request.light.direction, 1);
  EXPECT_EQ(p.request.light.colour, 0x00FF7F);

  p = parse({"dpi", "2", "--json"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.request.kind, "mouse");
  EXPECT_EQ(p.request.value, 2);
  EXPECT_TRUE(p.request.json);
  EXPECT_EQ(parse({"eq", "0"}).request.kind, "headset");

  p = parse({"light", "keyboard", "--help"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.request.command, Command::Help);
  EXPECT_EQ(p.request.helpTopic, "light");
}

TEST(CliArguments, MistakesAreUsageErrorsWithAReason) {
  const std::vector<std::vector<std::string>> wrong = {
      {"frobnicate"},
      {"profile"},
      {"profile", "toaster"},
      {"devices", "extra"},
      {"light", "keyboard"},  // nothing to change
      {"light", "keyboard", "--colour", "12345"},
      {"light", "keyboard", "--colour", "GGGGGG"},
      {"light", "keyboard", "--direction", "up"},
      {"light", "keyboard", "--brightness"},
      {"light", "keyboard", "--brightness", "-2"},
      {"light", "keyboard", "--shine", "1"},
      {"dpi"},
      {"dpi", "two"},
      {"eq", "-1"},
      {"devices", "--bogus"},
  };
  for (const auto& args : wrong) {
    const ParseResult p = parse(args);
    EXPECT_FALSE(p.ok) << args[0];
    EXPECT_FALSE(p.error.empty());
  }
}

TEST(CliEffects, ByNumberOrNameButOnlyOfferedOnes) {
  const std::vector<std::string> names = {"None", "Wave", "Static Colour"};
  const std::vector<bool> usable = {false, true, true};
  std::string error;
  EXPECT_EQ(resolveEffect("2", names, usable, &error), 2);
  EXPECT_EQ(resolveEffect("static-colour", names, usable, &error), 2);
  EXPECT_EQ(resolveEffect("WAVE", names, usable, &error), 1);
  EXPECT_EQ(resolveEffect("0", names, usable, &error), -1);  // hidden in the panel
  EXPECT_EQ(resolveEffect("None", names, usable, &error), -1);
  EXPECT_EQ(resolveEffect("3", names, usable, &error), -1);
  EXPECT_NE(error.find("out of range"), std::string::npos);
  EXPECT_EQ(resolveEffect("Disco", names, usable, &error), -1);
}

TEST(CliRun, DevicesAsTableAndAsJsonEnvelope) {
  FakeBackend backend;
  Outcome o = run({"devices"}, backend);
  EXPECT_EQ(o.exitCode, kExitOk);
  EXPECT_NE(o.out.find("keyboard"), std::string::npos);
  EXPECT_NE(o.out.find("V0102"), std::string::npos);
  EXPECT_NE(o.out.find("Work"), std::string::npos);

  o = run({"devices", "--json"}, backend);
  const Json::Value v = parsedJson(o.out);
  EXPECT_EQ(v["api_version"].asInt(), kJsonApiVersion);
  ASSERT_EQ(v["devices"].size(), 1u);
  const Json::Value& k = v["devices"][0];
  EXPECT_EQ(k["kind"].asString(), "keyboard");
  EXPECT_EQ(k["battery"]["level"].asInt(), -1);
  EXPECT_EQ(k["battery"]["status"].asString(), "unavailable");
  EXPECT_EQ(k["lighting"]["colour"].asString(), "00FF80");
  EXPECT_EQ(k["lighting"]["effect_name"].asString(), "Wave");
  EXPECT_EQ(k["profiles"].size(), 2u);
  ASSERT_EQ(k["capabilities"].size(), 2u);  // a keyboard: no dpi, no equaliser
  EXPECT_EQ(k["capabilities"][0].asString(), "lighting");
  EXPECT_TRUE(v["errors"].isArray());

  backend.devices.clear();
  EXPECT_EQ(parsedJson(run({"battery", "--json"}, backend).out)["devices"].size(), 0u);
}

TEST(CliRun, ProfileListMarksTheOneInUse) {
  FakeBackend backend;
  EXPECT_EQ(run({"profile", "keyboard"}, backend).out, "  Games\n* Work\n");
  const Outcome o = run({"profile", "mouse"}, backend);
  EXPECT_EQ(o.exitCode, kExitNoDevice);
  EXPECT_NE(o.err.find("no mouse"), std::string::npos);
}

TEST(CliRun, LightResolvesTheEffectNameAndKeepsWhatIsNotGiven) {
  FakeBackend backend;
  Outcome o = run({"light", "keyboard", "--effect", "static colour", "--speed", "2"}, backend);
  EXPECT_EQ(o.exitCode, kExitOk);
  EXPECT_EQ(backend.light.effect, 2);
  EXPECT_EQ(backend.light.speed, 2);
  EXPECT_EQ(backend.light.brightness, -1);
  EXPECT_EQ(backend.light.colour, kKeepColour);

  // An unknown effect is refused before anything is sent.
  backend.calls.clear();
  o = run({"light", "keyboard", "--effect", "Disco"}, backend);
  EXPECT_EQ(o.exitCode, kExitUsage);
  EXPECT_TRUE(backend.calls.empty());
}

TEST(CliRun, ErrorsMapToExitCodesAndJsonErrors) {
  EXPECT_EQ(exitCodeFor(CallResult::failed(kErrorNoDevice, "")), kExitNoDevice);
  EXPECT_EQ(exitCodeFor(CallResult::failed(kErrorWrongKind, "")), kExitNoDevice);
  EXPECT_EQ(exitCodeFor(CallResult::failed(kErrorUnknownProfile, "")), kExitUsage);
  EXPECT_EQ(exitCodeFor(CallResult::failed(kErrorOutOfRange, "")), kExitUsage);
  EXPECT_EQ(exitCodeFor(CallResult::failed(kErrorDevice, "")), kExitDeviceError);
  EXPECT_EQ(exitCodeFor(CallResult::failed("org.freedesktop.DBus.Error.NoReply", "")), kExitDeviceError);

  FakeBackend backend;
  backend.next = CallResult::failed(kErrorUnknownProfile, "the keyboard has no profile \"x\"");
  Outcome o = run({"profile", "keyboard", "x", "--json"}, backend);
  EXPECT_EQ(o.exitCode, kExitUsage);
  EXPECT_NE(o.err.find("no profile"), std::string::npos);
  const Json::Value v = parsedJson(o.out);
  ASSERT_EQ(v["errors"].size(), 1u);
  EXPECT_EQ(v["errors"][0]["name"].asString(), kErrorUnknownProfile);

  o = run({"dpi", "1"}, backend);
  EXPECT_EQ(o.exitCode, kExitNoDevice);
  EXPECT_TRUE(o.out.empty());
}

TEST(CliHelp, EveryCommandHasItsHelp) {
  const std::string all = helpText("");
  for (const char* command : {"devices", "profile", "light", "dpi", "eq", "battery"}) {
    EXPECT_NE(helpText(command), all) << command;
    EXPECT_NE(all.find(std::string("kavro-config ") + command), std::string::npos) << command;
  }
  EXPECT_NE(all.find("Exit codes"), std::string::npos);
}
