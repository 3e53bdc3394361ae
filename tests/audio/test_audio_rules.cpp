// The pure parts of the audio library: value forms, device selection, the
// mixer element choice, the filter-chain descriptions and the impulse file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>

#include "audio/alsa_card.h"
#include "audio/device_select.h"
#include "audio/effect_chains.h"
#include "audio/value_forms.h"

namespace kavro::audio {
namespace {

std::array<char, kValueBufferBytes> intBuffer(std::int32_t v) {
  std::array<char, kValueBufferBytes> b{};
  std::memcpy(b.data(), &v, sizeof v);
  return b;
}

std::array<char, kValueBufferBytes> floatBuffer(float v) {
  std::array<char, kValueBufferBytes> b{};
  std::memcpy(b.data(), &v, sizeof v);
  return b;
}

OsConfDevice dev(int id, int type, int active) { return OsConfDevice{id, type, -1, active}; }

TEST(ValueForms, WritesTakeIntegerOrFloatFromTheBufferStartAndRefuseNonsense) {
  EXPECT_EQ(decodeWrite(ValueForm::Int, intBuffer(-13).data()), -13.0);
  EXPECT_EQ(decodeWrite(ValueForm::Bool, intBuffer(1).data()), 1.0);
  EXPECT_EQ(decodeWrite(ValueForm::Bool, intBuffer(2).data()), std::nullopt);
  EXPECT_FLOAT_EQ(*decodeWrite(ValueForm::Float, floatBuffer(0.75f).data()), 0.75);
  EXPECT_EQ(decodeWrite(ValueForm::Float, floatBuffer(NAN).data()), std::nullopt);
  EXPECT_EQ(decodeWrite(ValueForm::Float, floatBuffer(INFINITY).data()), std::nullopt);
  EXPECT_EQ(decodeWrite(ValueForm::Int, nullptr), std::nullopt);
  EXPECT_EQ(decodeWrite(ValueForm::Text, intBuffer(1).data()), std::nullopt);
}

TEST(ValueForms, ReadsAreDecimalTextThatTheCallerCanParse) {
  EXPECT_EQ(formatValue(ValueForm::Int, -3), "-3");
  EXPECT_EQ(formatValue(ValueForm::Bool, 1), "1");
  EXPECT_EQ(formatValue(ValueForm::Float, 0.5), "0.500000");
  EXPECT_EQ(formatValue(ValueForm::Float, -37), "-37.000000");
  std::array<char, kValueBufferBytes> b;
  b.fill('x');
  writeText(b.data(), std::string(5000, '7'));  // cut to the buffer with its NUL
  EXPECT_EQ(std::strlen(b.data()), kValueBufferBytes - 1);
}

TEST(ValueForms, ChannelWordInBufferTwo) {
  EXPECT_EQ(decodeChannel(nullptr), kAllChannels);
  EXPECT_EQ(decodeChannel(intBuffer(-1).data()), -1);
  EXPECT_EQ(decodeChannel(intBuffer(0).data()), 0);
  EXPECT_EQ(decodeChannel(intBuffer(1).data()), 1);
  EXPECT_EQ(decodeChannel(intBuffer(2).data()), std::nullopt);
  EXPECT_EQ(decodeChannel(intBuffer(-2).data()), std::nullopt);
}

TEST(ValueForms, FeatureTextHasSevenFieldsWithTheLiveFlagAtFour) {
  FeatureInfo f;
  f.featureBits = kFeatureEqualiser | kFeatureSurround;
  f.eqBands = 10;
  f.effectsLive = true;
  f.monitorPath = true;
  EXPECT_EQ(featureText(f), "3,10,0,0,1,0,1");
}

TEST(PropertyTable, EveryNameIsUniqueAndBandsAreNumberedFromOne) {
  std::set<std::string_view> names;
  for (const PropertyInfo& p : allProperties()) EXPECT_TRUE(names.insert(p.name).second) << p.name;
  for (int band = 0; band < kEqBands; ++band) {
    const PropertyInfo* p = findProperty("EQ_Slider" + std::to_string(band + 1));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->band, band);
  }
  EXPECT_EQ(findProperty("EQ_Slider0"), nullptr);
  EXPECT_EQ(findProperty("EQ_Slider11"), nullptr);
  EXPECT_EQ(findProperty("eq_slider1"), nullptr);
}

TEST(DeviceSelection, PlaybackPrefersActiveHeadphonesThenTypes12_7_4) {
  EXPECT_EQ(selectPlayback({dev(1, 4, 1), dev(2, 1, 0), dev(3, 1, 1)})->id, 3);
  EXPECT_EQ(selectPlayback({dev(1, 4, 1), dev(2, 7, 1), dev(3, 12, 1), dev(4, 1, 0)})->id, 3);
  EXPECT_EQ(selectPlayback({dev(1, 4, 1), dev(2, 7, 1), dev(3, 12, 0)})->id, 2);
  EXPECT_EQ(selectPlayback({dev(1, 2, 1), dev(2, 4, 1)})->id, 2);
  EXPECT_FALSE(selectPlayback({dev(1, 4, 0), dev(2, 2, 1), dev(3, 3, 1)}).has_value());
  EXPECT_FALSE(selectPlayback({}).has_value());
}

TEST(DeviceSelection, CaptureIsTheFirstMicrophoneActiveOrNot) {
  EXPECT_EQ(selectCapture({dev(1, 1, 1), dev(2, 2, 0), dev(3, 2, 1)})->id, 2);
  EXPECT_FALSE(selectCapture({dev(1, 1, 1)}).has_value());
}

TEST(DeviceSelection, PlaybackTypeFollowsTheOutputControl) {
  EXPECT_EQ(playbackTypeForControl("Headphone"), OSCONF_TYPE_HEADPHONES);
  EXPECT_EQ(playbackTypeForControl("Speaker"), OSCONF_TYPE_SPEAKERS);
  EXPECT_EQ(playbackTypeForControl("Line Out"), OSCONF_TYPE_LINE_OUT);
  EXPECT_EQ(playbackTypeForControl("PCM"), OSCONF_TYPE_USB_AUDIO_OUT);
}

TEST(DeviceSelection, SimulatedListDescriptions) {
  auto usual = parseSimEntries("1");
  ASSERT_TRUE(usual);
  ASSERT_EQ(usual->size(), 2u);
  EXPECT_EQ((*usual)[0].type, OSCONF_TYPE_HEADPHONES);
  EXPECT_EQ((*usual)[1].list, OSCONF_LIST_CAPTURE);
  auto custom = parseSimEntries("p:4:1,p:1:0,c:2:1");
  ASSERT_TRUE(custom);
  ASSERT_EQ(custom->size(), 3u);
  EXPECT_EQ((*custom)[1].type, 1);
  EXPECT_FALSE((*custom)[1].active);
  for (const char* bad : {"x:1:1", "p:1", "p:1:2", "p:a:1", "p:1:1,", "pp:1:1"}) {
    EXPECT_FALSE(parseSimEntries(bad).has_value()) << bad;
  }
}

TEST(MixerElements, UsbHeadsetControlsMapToTheThreePaths) {
  // What the USB audio driver offers for such a headset.
  std::vector<ElementCaps> el = {
      {"Headphone", true, true, false, false},
      {"Mic", true, true, true, true},
      {"Auto Gain Control", false, true, false, false},
  };
  ElementChoice c = chooseElements(el);
  EXPECT_EQ(c.output, 0);
  EXPECT_EQ(c.mic, 1);
  EXPECT_EQ(c.monitor, 1);
}

TEST(MixerElements, CardsWithoutAMonitorControlHaveNone) {
  std::vector<ElementCaps> el = {{"PCM", true, true, false, false}, {"Capture", false, false, true, true}};
  ElementChoice c = chooseElements(el);
  EXPECT_EQ(c.output, 0);
  EXPECT_EQ(c.mic, 1);
  EXPECT_EQ(c.monitor, -1);
  EXPECT_EQ(chooseElements({}).output, -1);
}

TEST(MixerElements, HeadsetIsFoundByItsUsbId) {
  EXPECT_TRUE(isHeadsetUsbId("0d8c:01da\n"));
  EXPECT_FALSE(isHeadsetUsbId("0d8c:0012\n"));
  EXPECT_FALSE(isHeadsetUsbId(""));
}

TEST(EffectChains, EqualiserIsTenPeakingBandsInSeriesAtOctaveSteps) {
  EqGains gains{7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
  const std::string args = eqChainArgs("alsa_output.usb-\"odd\"", gains);
  for (int band = 0; band < kEqBands; ++band) {
    const std::string name = "eq_band_" + std::to_string(band + 1);
    EXPECT_NE(args.find("name = " + name + " label = bq_peaking"), std::string::npos) << name;
    if (band + 1 < kEqBands) {
      EXPECT_NE(args.find("output = \"" + name + ":Out\" input = \"eq_band_" + std::to_string(band + 2) + ":In\""),
                std::string::npos);
    }
  }
  EXPECT_NE(args.find("\"Freq\" = 31.000"), std::string::npos);
  EXPECT_NE(args.find("\"Freq\" = 16000.000"), std::string::npos);
  EXPECT_NE(args.find("\"Gain\" = -3.000"), std::string::npos);
  EXPECT_NE(args.find("target.object = \"alsa_output.usb-\\\"odd\\\"\""), std::string::npos);
  EXPECT_NE(args.find("media.class = Audio/Sink"), std::string::npos);
  EXPECT_EQ(eqGainControl(0), "eq_band_1:Gain");
  EXPECT_EQ(eqChainArgs("", gains).find("target.object"), std::string::npos);
}

TEST(EffectChains, EveryVoiceEffectIsAVirtualMicrophoneOnTheHeadsetMic) {
  for (int e = 0; e < kVoiceEffects; ++e) {
    const std::string args = voiceChainArgs(static_cast<VoiceEffect>(e), "mic", "/run/ir.wav");
    EXPECT_NE(args.find("media.class = Audio/Source"), std::string::npos);
    EXPECT_NE(args.find("target.object = \"mic\""), std::string::npos);
  }
  EXPECT_NE(voiceChainArgs(VoiceEffect::Echo, "", "").find("label = delay"), std::string::npos);
  EXPECT_NE(voiceChainArgs(VoiceEffect::Hall, "", "/run/ir.wav").find("filename = \"/run/ir.wav\""),
            std::string::npos);
  EXPECT_NE(voiceChainArgs(VoiceEffect::Deep, "", "").find("bq_lowshelf"), std::string::npos);
  EXPECT_NE(voiceChainArgs(VoiceEffect::Radio, "", "").find("bq_highpass"), std::string::npos);
}

TEST(EffectChains, DefaultDeviceValuesNameANode) {
  EXPECT_EQ(defaultNodeName(defaultNodeValue("kavro \"eq\"")), "kavro \"eq\"");
  EXPECT_EQ(defaultNodeName("{ \"name\": \"alsa_output.usb\" }"), "alsa_output.usb");
  EXPECT_EQ(defaultNodeName(""), "");
  EXPECT_EQ(defaultNodeName("{ \"name\": 3 }"), "");
  EXPECT_EQ(defaultNodeName("[1"), "");
}

TEST(EffectChains, ResponseCurveIsFlatAtZeroAndPeaksAtABandsCentre) {
  EXPECT_NEAR(eqResponseDb(1000, EqGains{}), 0.0, 1e-9);
  EqGains boost{};
  boost[5] = 12;  // 1 kHz
  EXPECT_NEAR(eqResponseDb(1000, boost), 12.0, 0.05);
  EXPECT_LT(eqResponseDb(125, boost), 1.0);
  EqGains cut{};
  cut[0] = -10;
  EXPECT_NEAR(eqResponseDb(31, cut), -10.0, 0.3);
}

TEST(EffectChains, HallImpulseDecaysAndIsAValidWaveFile) {
  const auto ir = hallImpulse(48000, 1.0, 7);
  ASSERT_EQ(ir.size(), 48000u);
  EXPECT_EQ(ir, hallImpulse(48000, 1.0, 7));
  EXPECT_EQ(ir[0], 0.0f);  // pre-delay
  auto energy = [&](std::size_t from, std::size_t to) {
    double e = 0;
    for (std::size_t i = from; i < to; ++i) e += ir[i] * ir[i];
    return e;
  };
  EXPECT_GT(energy(1000, 5000), 100 * energy(40000, 44000));
  const std::string wav = wavFile({0.0f, 1.0f, -1.0f, 2.0f}, 48000);
  ASSERT_EQ(wav.size(), 44u + 8u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(wav.substr(36, 4), "data");
  std::int16_t samples[4];
  std::memcpy(samples, wav.data() + 44, sizeof samples);
  EXPECT_EQ(samples[1], 32767);
  EXPECT_EQ(samples[2], -32767);
  EXPECT_EQ(samples[3], 32767);  // clipped
}

}  // namespace
}  // namespace kavro::audio
