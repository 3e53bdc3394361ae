// The library's C interface, loaded as the program loads it, against the
// simulated card.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "audio/conf_lib_loader.h"
#include "audio/device_select.h"
#include "audio_test_util.h"
#include "profiles/json_file.h"

namespace kavro::audio {
namespace {

class ConfLibSim : public ::testing::Test {
 protected:
  void SetUp() override {
    test::useSimulatedCard(env, dir);
  }

  // Loads and starts the library and finds the two records as the headset
  // does.
  void start() {
    ASSERT_TRUE(lib.load(test::confLibUnderTest())) << lib.loadError();
    ASSERT_EQ(lib.init(), OSCONF_OK);
    ASSERT_EQ(lib.createDeviceList(), OSCONF_OK);
    auto p = selectPlayback(lib.devices(OSCONF_LIST_PLAYBACK));
    auto c = selectCapture(lib.devices(OSCONF_LIST_CAPTURE));
    ASSERT_TRUE(p && c);
    playback = *p;
    capture = *c;
  }

  // Loading again closes the library first, as a program exit would.
  void restart() { start(); }

  std::string text(const OsConfDevice& d, const std::string& name, std::optional<int> channel = std::nullopt) {
    std::string t = "unchanged";
    EXPECT_EQ(lib.read(d, name, &t, channel), OSCONF_OK) << name;
    return t;
  }
  double number(const OsConfDevice& d, const std::string& name, std::optional<int> channel = std::nullopt) {
    auto v = lib.readNumber(d, name, channel);
    EXPECT_TRUE(v.has_value()) << name;
    return v.value_or(-999);
  }

  test::TempDir dir;
  test::EnvGuard env;
  ConfLib lib;
  OsConfDevice playback{};
  OsConfDevice capture{};
};

TEST_F(ConfLibSim, StartUpSequenceRunsAsTheHeadsetCallsIt) {
  start();
  EXPECT_EQ(playback.type, OSCONF_TYPE_HEADPHONES);
  EXPECT_EQ(playback.active, 1);
  EXPECT_EQ(capture.type, OSCONF_TYPE_MICROPHONE);
  for (const OsConfDevice& d : {playback, capture}) {
    auto fields = splitFeatures(text(d, "GetSupportFeature"));
    EXPECT_GE(fields.size(), 7u);
    for (std::size_t i : {0u, 4u, 6u}) EXPECT_NO_THROW((void)std::stoi(fields[i]));
  }
  EXPECT_EQ(lib.writeInt(playback, "XearSurrHP_Enable", 0), OSCONF_OK);
  EXPECT_EQ(text(capture, "Enable_ENC_LFX"), "0");
  EXPECT_EQ(text(capture, "VolumeControl"), "14.500000");  // -12 dB + 53 steps of 0.5 dB
  EXPECT_EQ(text(playback, "Enable_EQ_GFX"), "0");
  for (int band = 1; band <= 10; ++band) EXPECT_EQ(text(playback, "EQ_Slider" + std::to_string(band)), "0");
  for (const char* name : {"Enable_RFX_GFX", "RFX_ENVIRONMENT", "RFX_ROOMSIZE", "MuteControl", "VolumeScalarControl",
                           "AAVolumeControl", "AAMuteControl", "AAVolumeScalarControl"}) {
    text(capture, name);
    text(playback, name);
  }
  EXPECT_EQ(text(capture, "Enable_MAGICVOICE"), "0");
  EXPECT_EQ(text(capture, "MagicVoice_Selection"), "0");
  // Level ranges: dB, lowest below highest, steps that fit.
  for (const char* prefix : {"Get", "GetAA"}) {
    const double max = number(capture, std::string(prefix) + "MaxVol");
    const double min = number(capture, std::string(prefix) + "MinVol");
    const double step = number(capture, std::string(prefix) + "VolStep");
    EXPECT_LT(min, max);
    EXPECT_GT(step, 0);
    EXPECT_NEAR(std::fmod(max - min, step), 0.0, 1e-6);
  }
  EXPECT_NEAR(number(capture, "VolumeScalarControl", -1) * 100, 74.65, 0.01);
  EXPECT_EQ(text(capture, "MuteControl"), "0");
  EXPECT_EQ(text(capture, "AAMuteControl"), "1");
  EXPECT_NEAR(number(capture, "AAVolumeScalarControl", 0), 0.5, 1e-6);
}

TEST_F(ConfLibSim, PlaybackSelectionOverSeveralEntries) {
  env.set("KAVRO_AUDIO_SIM", "p:4:1,p:1:0,p:12:1,p:7:1,c:1:1,c:2:1");
  start();
  EXPECT_EQ(lib.devices(OSCONF_LIST_PLAYBACK).size(), 4u);
  EXPECT_EQ(playback.type, 12);
  EXPECT_EQ(capture.type, OSCONF_TYPE_MICROPHONE);
  // The inactive entry answers nothing; the chosen one does.
  OsConfDevice inactive = lib.devices(OSCONF_LIST_PLAYBACK)[1];
  std::string t = "unchanged";
  EXPECT_EQ(lib.read(inactive, "Enable_EQ_GFX", &t), OSCONF_ERR_NO_DEVICE);
  EXPECT_EQ(lib.writeInt(playback, "EQ_Slider1", 4), OSCONF_OK);
  EXPECT_EQ(text(playback, "EQ_Slider1"), "4");
}

TEST_F(ConfLibSim, LevelsAndMutesTakeTheWrittenForms) {
  start();
  ASSERT_EQ(lib.writeFloat(capture, "VolumeScalarControl", 0.5f, -1), OSCONF_OK);
  EXPECT_NEAR(number(capture, "VolumeScalarControl", -1), 0.5, 0.01);
  // The dB level follows the scalar within one step.
  EXPECT_NEAR(number(capture, "VolumeControl"), -12.0 + 35.5 * 0.5, 0.5);
  ASSERT_EQ(lib.writeFloat(capture, "AAVolumeScalarControl", 0.25f, 0), OSCONF_OK);
  EXPECT_NEAR(number(capture, "AAVolumeScalarControl", 0), 0.25, 0.01);
  ASSERT_EQ(lib.writeInt(capture, "MuteControl", 1), OSCONF_OK);
  EXPECT_EQ(text(capture, "MuteControl"), "1");
  ASSERT_EQ(lib.writeInt(capture, "AAMuteControl", 0), OSCONF_OK);
  EXPECT_EQ(text(capture, "AAMuteControl"), "0");
  ASSERT_EQ(lib.writeFloat(playback, "VolumeControl", -10.0f), OSCONF_OK);
  EXPECT_EQ(text(playback, "VolumeControl"), "-10.000000");
  // One channel of a level leaves the other.
  ASSERT_EQ(lib.writeFloat(playback, "VolumeScalarControl", 1.0f, 1), OSCONF_OK);
  EXPECT_NEAR(number(playback, "VolumeScalarControl", 1), 1.0, 1e-6);
  EXPECT_LT(number(playback, "VolumeScalarControl", 0), 1.0);
}

TEST_F(ConfLibSim, RefusedWritesLeaveTheOldValue) {
  start();
  ASSERT_EQ(lib.writeInt(playback, "EQ_Slider3", -13), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(capture, "MuteControl", 0), OSCONF_OK);
  ASSERT_EQ(lib.writeFloat(capture, "VolumeScalarControl", 0.5f, -1), OSCONF_OK);
  EXPECT_EQ(lib.writeInt(playback, "EQ_Slider3", 21), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeFloat(playback, "EQ_Slider3", 0.0f), OSCONF_OK);  // an int form: float 0.0 reads as 0
  EXPECT_EQ(lib.writeInt(playback, "EQ_Slider3", -13), OSCONF_OK);
  EXPECT_EQ(lib.writeInt(capture, "MuteControl", 2), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeFloat(capture, "VolumeScalarControl", 1.5f, -1), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeFloat(capture, "VolumeScalarControl", NAN, -1), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeFloat(capture, "VolumeScalarControl", 0.1f, 5), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeFloat(capture, "VolumeControl", 99.0f), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeInt(capture, "MagicVoice_Selection", 4), OSCONF_ERR_BAD_VALUE);
  EXPECT_EQ(lib.writeInt(capture, "GetMaxVol", 1), OSCONF_ERR_READ_ONLY);
  EXPECT_EQ(lib.writeInt(capture, "EQ_Slider3", 1), OSCONF_ERR_NOT_SUPPORTED);
  EXPECT_EQ(lib.writeInt(playback, "Enable_MAGICVOICE", 1), OSCONF_ERR_NOT_SUPPORTED);
  EXPECT_EQ(lib.writeInt(playback, "EQ_Sldier3", 1), OSCONF_ERR_UNKNOWN_PROPERTY);
  EXPECT_EQ(text(playback, "EQ_Slider3"), "-13");
  EXPECT_EQ(text(capture, "MuteControl"), "0");
  EXPECT_NEAR(number(capture, "VolumeScalarControl", -1), 0.5, 0.01);
  EXPECT_EQ(text(capture, "MagicVoice_Selection"), "0");
}

TEST_F(ConfLibSim, FailedReadsLeaveTheCallersBuffer) {
  start();
  std::string t = "previous";
  EXPECT_EQ(lib.read(playback, "NoSuchProperty", &t), OSCONF_ERR_UNKNOWN_PROPERTY);
  EXPECT_EQ(lib.read(capture, "EQ_Slider1", &t), OSCONF_ERR_NOT_SUPPORTED);
  EXPECT_EQ(lib.read(capture, "VolumeScalarControl", &t, 7), OSCONF_ERR_BAD_VALUE);
  OsConfDevice stranger{99, OSCONF_TYPE_HEADPHONES, -1, 1};
  EXPECT_EQ(lib.read(stranger, "Enable_EQ_GFX", &t), OSCONF_ERR_NO_DEVICE);
  EXPECT_EQ(t, "previous");
  int count = 0;
  EXPECT_EQ(lib.deviceCount(2, &count), OSCONF_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lib.deviceCount(OSCONF_LIST_PLAYBACK, nullptr), OSCONF_ERR_BAD_ARGUMENT);
  OsConfDevice d{};
  EXPECT_EQ(lib.deviceById(OSCONF_LIST_CAPTURE, 5, &d), OSCONF_ERR_NO_DEVICE);
}

TEST_F(ConfLibSim, EffectsWithoutPipeWireAreStoredAndSaidToBeInactive) {
  start();
  ASSERT_EQ(lib.writeInt(playback, "Enable_EQ_GFX", 1), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(capture, "Enable_MAGICVOICE", 1), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(capture, "MagicVoice_Selection", 3), OSCONF_OK);
  EXPECT_EQ(text(playback, "EQ_Active"), "0");
  EXPECT_EQ(text(capture, "MagicVoice_Active"), "0");
  EXPECT_EQ(splitFeatures(text(playback, "GetSupportFeature"))[4], "0");
  EXPECT_EQ(text(capture, "MagicVoice_Selection"), "3");
}

TEST_F(ConfLibSim, ValuesSurviveARestartInTheStateFile) {
  start();
  ASSERT_EQ(lib.writeInt(playback, "EQ_Slider10", 15), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(playback, "RFX_ROOMSIZE", 80), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(capture, "Enable_ENC_LFX", 1), OSCONF_OK);
  ASSERT_EQ(lib.writeFloat(capture, "VolumeScalarControl", 0.2f, -1), OSCONF_OK);
  ASSERT_EQ(lib.writeInt(capture, "AAMuteControl", 0), OSCONF_OK);
  restart();
  EXPECT_EQ(text(playback, "EQ_Slider10"), "15");
  EXPECT_EQ(text(playback, "RFX_ROOMSIZE"), "80");
  EXPECT_EQ(text(capture, "Enable_ENC_LFX"), "1");
  EXPECT_NEAR(number(capture, "VolumeScalarControl", -1), 0.2, 0.01);
  EXPECT_EQ(text(capture, "AAMuteControl"), "0");
  const std::string state = dir.path() + "/KAVRO TR-P40 Mechanical Keyboard/SDK/osConfLib-sim.json";
  EXPECT_TRUE(profiles::readJsonDocument(state).isObject());
}

TEST_F(ConfLibSim, DamagedStateFileGivesAFreshChip) {
  const std::string folder = dir.path() + "/KAVRO TR-P40 Mechanical Keyboard/SDK";
  std::filesystem::create_directories(folder);
  std::ofstream(folder + "/osConfLib-sim.json") << "{\"Cards\": {\"sim\": {\"playback\": {\"EQ_Slider1\": ";
  start();
  EXPECT_EQ(text(playback, "EQ_Slider1"), "0");
  EXPECT_EQ(lib.writeInt(playback, "EQ_Slider1", 2), OSCONF_OK);
  EXPECT_EQ(profiles::readJsonDocument(folder + "/osConfLib-sim.json")["Cards"]["sim"]["playback"]["EQ_Slider1"], 2);
}

TEST_F(ConfLibSim, CallbackHearsEverySuccessfulWrite) {
  start();
  struct Heard {
    std::vector<std::string> names;
  } heard;
  auto cb = [](OsConfDevice, const char* name, void* ctx) { static_cast<Heard*>(ctx)->names.push_back(name); };
  ASSERT_EQ(lib.registerCallback(cb, &heard), OSCONF_OK);
  lib.writeInt(playback, "EQ_Slider2", 3);
  lib.writeInt(playback, "EQ_Slider2", 99);  // refused: not heard
  std::string t;
  lib.read(playback, "EQ_Slider2", &t);
  EXPECT_EQ(heard.names, std::vector<std::string>{"EQ_Slider2"});
}

TEST(ConfLibLoader, WithoutTheLibraryEveryCallFailsAndDoesNothing) {
  ConfLib lib;
  EXPECT_FALSE(lib.load("/nonexistent/SDK/libosConfLib.so"));
  EXPECT_FALSE(lib.loaded());
  EXPECT_FALSE(lib.loadError().empty());
  OsConfDevice d{1, 1, -1, 1};
  std::string t = "kept";
  int count = 7;
  EXPECT_EQ(lib.init(), kNotLoaded);
  EXPECT_EQ(lib.createDeviceList(), kNotLoaded);
  EXPECT_EQ(lib.deviceCount(0, &count), kNotLoaded);
  EXPECT_EQ(count, 7);
  EXPECT_TRUE(lib.devices(0).empty());
  EXPECT_EQ(lib.read(d, "MuteControl", &t), kNotLoaded);
  EXPECT_EQ(lib.writeInt(d, "MuteControl", 1), kNotLoaded);
  EXPECT_EQ(t, "kept");
}

TEST(ConfLibLoader, ALibraryMissingAFunctionIsNotUsed) {
  ConfLib lib;
  EXPECT_FALSE(lib.load(KAVRO_PARTIAL_LIB_PATH));
  EXPECT_NE(lib.loadError().find("function not found"), std::string::npos) << lib.loadError();
  EXPECT_EQ(lib.init(), kNotLoaded);
}

TEST(ConfLibLoader, PathIsTheSdkFolderBesideTheProgram) {
  EXPECT_EQ(confLibPath("/opt/kavro"), "/opt/kavro/SDK/libosConfLib.so");
  EXPECT_EQ(confLibPath("/opt/kavro/"), "/opt/kavro/SDK/libosConfLib.so");
  EXPECT_EQ(splitFeatures("1,,3"), (std::vector<std::string>{"1", "", "3"}));
}

}  // namespace
}  // namespace kavro::audio
