// The ALSA mixer side against a real ALSA control device that needs no
// hardware: PipeWire's ALSA control plugin, in a private ALSA configuration,
// on the private daemon's default sink and source. Skipped with a message
// where that cannot be set up.
#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>

#include "audio/alsa_card.h"
#include "audio/conf_library.h"
#include "audio/value_forms.h"
#include "private_pipewire.h"

namespace kavro::audio {
namespace {

constexpr char kCtlName[] = "kavro_test";
constexpr char kAsoundConf[] = "ctl.kavro_test {\n  type pipewire\n}\n";
constexpr int kDumpPolls = 40;
constexpr auto kDumpInterval = std::chrono::milliseconds(50);

// A Props value of a node in the daemon, once it equals the expected text.
bool daemonShows(const std::string& node, const std::function<bool(const Json::Value&)>& test) {
  for (int i = 0; i < kDumpPolls; ++i) {
    const Json::Value dump = test::dumpGraph();
    if (const Json::Value* n = test::nodeNamed(dump, node)) {
      for (const Json::Value& props : (*n)["info"]["params"]["Props"]) {
        if (props.isMember("mute") && test(props)) return true;
      }
    }
    std::this_thread::sleep_for(kDumpInterval);
  }
  return false;
}

class AlsaMixer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!daemon.start(&why)) GTEST_SKIP() << why << ": no ALSA control device without hardware";
    if (!daemon.setDefaults()) GTEST_SKIP() << "the private daemon's default devices could not be set";
    std::ofstream(conf.file("asound.conf")) << kAsoundConf;
    env.set("ALSA_CONFIG_PATH", conf.file("asound.conf"));
    snd_config_update_free_global();
    card = std::make_unique<AlsaCard>(-1, "alsa:test", kCtlName);
    if (!card->opened() || card->elementName(Path::Output).empty() || card->elementName(Path::Mic).empty()) {
      card.reset();
      GTEST_SKIP() << "PipeWire's ALSA control plugin (pipewire-alsa) is not usable here";
    }
  }
  void TearDown() override {
    card.reset();
    snd_config_update_free_global();
  }

  test::PrivatePipeWire daemon;
  test::TempDir conf;
  test::EnvGuard env;
  std::unique_ptr<AlsaCard> card;
};

TEST_F(AlsaMixer, ElementsOfTheControlDeviceMapToOutputAndMicrophone) {
  EXPECT_EQ(card->elementName(Path::Output), "Master");
  EXPECT_EQ(card->elementName(Path::Mic), "Capture");
  EXPECT_FALSE(card->hasPath(Path::Monitor));
  EXPECT_EQ(card->playbackType(), OSCONF_TYPE_USB_AUDIO_OUT);
  auto range = card->range(Path::Mic);
  ASSERT_TRUE(range);
  EXPECT_LT(range->minDb, range->maxDb);
  EXPECT_GT(range->stepDb, 0);
}

TEST_F(AlsaMixer, LevelsAndMutesReachTheSoundServer) {
  ASSERT_TRUE(card->setLevel(Path::Mic, kAllChannels, 0.5));
  EXPECT_NEAR(*card->level(Path::Mic, kAllChannels), 0.5, 0.01);
  EXPECT_TRUE(daemonShows(test::kTestSourceName, [](const Json::Value& p) { return p["channelVolumes"][0].asDouble() < 0.99; }));
  ASSERT_TRUE(card->setLevel(Path::Mic, kAllChannels, 1.0));
  EXPECT_TRUE(daemonShows(test::kTestSourceName, [](const Json::Value& p) { return p["channelVolumes"][0].asDouble() > 0.99; }));

  ASSERT_TRUE(card->setMuted(Path::Mic, true));
  EXPECT_EQ(card->muted(Path::Mic), true);
  EXPECT_TRUE(daemonShows(test::kTestSourceName, [](const Json::Value& p) { return p["mute"].asBool(); }));
  ASSERT_TRUE(card->setMuted(Path::Mic, false));
  EXPECT_TRUE(daemonShows(test::kTestSourceName, [](const Json::Value& p) { return !p["mute"].asBool(); }));

  ASSERT_TRUE(card->setMuted(Path::Output, true));
  EXPECT_TRUE(daemonShows(test::kTestSinkName, [](const Json::Value& p) { return p["mute"].asBool(); }));
  EXPECT_FALSE(card->setLevel(Path::Monitor, kAllChannels, 0.5));
}

TEST_F(AlsaMixer, PropertiesOfTheLibraryDriveTheMixer) {
  AlsaCard* raw = card.get();
  DeviceFinder finder = [&](PropertyStore&) {
    DeviceSet set;
    set.cards.push_back(std::move(card));
    set.entries.push_back({OSCONF_LIST_PLAYBACK, raw->playbackType(), true, 0});
    set.entries.push_back({OSCONF_LIST_CAPTURE, OSCONF_TYPE_MICROPHONE, true, 0});
    return set;
  };
  ConfLibrary lib(std::make_unique<PropertyStore>(), nullptr, finder);
  ASSERT_EQ(lib.createDeviceList(), OSCONF_OK);
  OsConfDevice capture{};
  ASSERT_EQ(lib.deviceById(OSCONF_LIST_CAPTURE, 0, &capture), OSCONF_OK);
  char value1[kValueBufferBytes] = {};
  char value2[kValueBufferBytes] = {};
  const float level = 0.3f;
  std::memcpy(value1, &level, sizeof level);
  const std::int32_t all = kAllChannels;
  std::memcpy(value2, &all, sizeof all);
  ASSERT_EQ(lib.propertyControl(capture, "VolumeScalarControl", value1, value2, true), OSCONF_OK);
  ASSERT_EQ(lib.propertyControl(capture, "VolumeScalarControl", value1, value2, false), OSCONF_OK);
  EXPECT_NEAR(std::atof(value1), 0.3, 0.01);
  const std::int32_t muted = 1;
  std::memcpy(value1, &muted, sizeof muted);
  ASSERT_EQ(lib.propertyControl(capture, "MuteControl", value1, nullptr, true), OSCONF_OK);
  EXPECT_TRUE(daemonShows(test::kTestSourceName, [](const Json::Value& p) { return p["mute"].asBool(); }));
  // The card has no monitor path: its properties say so and change nothing.
  EXPECT_EQ(lib.propertyControl(capture, "AAMuteControl", value1, nullptr, true), OSCONF_ERR_NOT_SUPPORTED);
  EXPECT_EQ(lib.propertyControl(capture, "GetMaxVol", value1, nullptr, false), OSCONF_OK);
  EXPECT_GT(std::atof(value1), 0);
}

}  // namespace
}  // namespace kavro::audio
