// The headset's side of the library against the simulated card: the
// start-up reads and the property calls behind each audio operation.
#include <gtest/gtest.h>

#include "audio/headset_audio.h"
#include "audio_test_util.h"

namespace kavro::audio {
namespace {

class HeadsetAudioSim : public ::testing::Test {
 protected:
  void SetUp() override {
    test::useSimulatedCard(env, dir);
  }
  StartupReport start() {
    EXPECT_TRUE(lib.load(test::confLibUnderTest())) << lib.loadError();
    return audio.start();
  }
  std::string read(const OsConfDevice& d, const std::string& name) {
    std::string t;
    EXPECT_EQ(lib.read(d, name, &t), OSCONF_OK) << name;
    return t;
  }

  test::TempDir dir;
  test::EnvGuard env;
  ConfLib lib;
  HeadsetAudio audio{lib};
};

TEST_F(HeadsetAudioSim, StartUpSelectsTheRecordsAndReadsStateAndRanges) {
  const StartupReport r = start();
  EXPECT_TRUE(r.loaded);
  EXPECT_FALSE(r.initFailed);
  EXPECT_FALSE(r.featuresFailed);
  EXPECT_TRUE(r.devicesFound);
  ASSERT_TRUE(audio.ready());
  EXPECT_EQ(audio.playback().type, OSCONF_TYPE_HEADPHONES);
  EXPECT_EQ(audio.capture().type, OSCONF_TYPE_MICROPHONE);
  const ChipState& s = audio.state();
  EXPECT_EQ(s.micLevel, 75);
  EXPECT_FALSE(s.micMuted);
  EXPECT_EQ(s.monitorLevel, 50);
  EXPECT_TRUE(s.monitorMuted);
  EXPECT_EQ(s.bands, (std::array<int, 10>{}));
  // Fields 0, 4 and 6: equaliser, surround and room effect; not live; a monitor path.
  EXPECT_EQ(s.playbackFeatures, (std::array<int, 3>{7, 0, 1}));
  EXPECT_DOUBLE_EQ(audio.ranges().minDb, -12.0);
  EXPECT_DOUBLE_EQ(audio.ranges().maxDb, 23.5);
  EXPECT_DOUBLE_EQ(audio.ranges().stepDb, 0.5);
  EXPECT_DOUBLE_EQ(audio.ranges().aaMinDb, -35.0);
  EXPECT_EQ(read(audio.playback(), "XearSurrHP_Enable"), "0");
}

TEST_F(HeadsetAudioSim, WithoutAHeadphoneOrFallbackEntryNothingIsSelected) {
  env.set("KAVRO_AUDIO_SIM", "p:3:1,p:1:0,c:2:1");
  const StartupReport r = start();
  EXPECT_TRUE(r.loaded);
  EXPECT_FALSE(r.devicesFound);
  EXPECT_FALSE(audio.ready());
  EXPECT_FALSE(audio.setMicMuted(true));
  EXPECT_FALSE(audio.setBand(0, 3));
}

TEST_F(HeadsetAudioSim, OperationsWriteTheDocumentedForms) {
  start();
  ASSERT_TRUE(audio.setMicLevel(40));
  EXPECT_EQ(HeadsetAudio::dbText(audio.state().micDb), "2.00");  // -12 + round(0.4 * 71) * 0.5
  EXPECT_NEAR(std::stod(read(audio.capture(), "VolumeScalarControl")), 0.4, 1.0 / 71);  // one chip step
  ASSERT_TRUE(audio.setMonitorLevel(100));
  EXPECT_EQ(HeadsetAudio::dbText(audio.state().monitorDb), "12.00");
  ASSERT_TRUE(audio.setMicMuted(true));
  EXPECT_EQ(read(audio.capture(), "MuteControl"), "1");
  ASSERT_TRUE(audio.setMonitorMuted(false));
  EXPECT_EQ(read(audio.capture(), "AAMuteControl"), "0");

  // Voice effect 1 is selection 0; effect 0 is ignored.
  ASSERT_TRUE(audio.setVoiceEffect(3));
  ASSERT_TRUE(audio.setVoiceEffect(1));
  EXPECT_EQ(read(audio.capture(), "MagicVoice_Selection"), "0");
  EXPECT_FALSE(audio.setVoiceEffect(0));
  EXPECT_EQ(read(audio.capture(), "MagicVoice_Selection"), "0");
  // Switching the voice changer on turns the mic echo off.
  ASSERT_EQ(lib.writeInt(audio.capture(), "Enable_MICECHO", 1), OSCONF_OK);
  ASSERT_TRUE(audio.setVoiceChanger(true));
  EXPECT_EQ(read(audio.capture(), "Enable_MICECHO"), "0");
  EXPECT_EQ(read(audio.capture(), "Enable_MAGICVOICE"), "1");

  // A preset: the equaliser on, then every band.
  ASSERT_TRUE(audio.applyBands({7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
  ASSERT_TRUE(audio.applyBands({}));  // preset 5: all bands 0
  EXPECT_EQ(read(audio.playback(), "Enable_EQ_GFX"), "1");
  for (int band = 1; band <= 10; ++band) EXPECT_EQ(read(audio.playback(), "EQ_Slider" + std::to_string(band)), "0");
  EXPECT_FALSE(audio.equaliserActive());  // no PipeWire in this test
}

TEST_F(HeadsetAudioSim, AFailedWriteLeavesTheKeptState) {
  start();
  ASSERT_TRUE(audio.setMicMuted(false));
  ASSERT_TRUE(audio.setBand(4, 6));
  EXPECT_FALSE(audio.setBand(4, 99));  // the chip refuses the gain
  EXPECT_EQ(audio.state().bands[4], 6);
  EXPECT_FALSE(audio.setMicLevel(101));
  lib.load("/nonexistent/libosConfLib.so");  // the library is gone
  EXPECT_FALSE(audio.setMicMuted(true));
  EXPECT_FALSE(audio.state().micMuted);
  EXPECT_FALSE(audio.setMonitorMuted(false));
  EXPECT_TRUE(audio.state().monitorMuted);
  // Reads that fail keep what was read before.
  audio.readLevels();
  EXPECT_EQ(audio.state().micLevel, 75);
  EXPECT_DOUBLE_EQ(audio.ranges().maxDb, 23.5);
}

TEST(HeadsetAudio, WithoutTheLibraryStartUpSaysSoAndOperationsDoNothing) {
  ConfLib lib;
  lib.load("/nonexistent/libosConfLib.so");
  HeadsetAudio audio(lib);
  const StartupReport r = audio.start();
  EXPECT_FALSE(r.loaded);
  EXPECT_FALSE(r.initFailed);
  EXPECT_FALSE(audio.setMicLevel(10));
  EXPECT_FALSE(audio.setVoiceChanger(true));
}

}  // namespace
}  // namespace kavro::audio
