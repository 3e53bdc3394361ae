#include "audio/effect_chains.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "profiles/json_file.h"

namespace kavro::audio {
namespace {

// Settings of the voice effects.
constexpr double kEchoDelaySeconds = 0.28;
constexpr double kEchoMaxDelaySeconds = 1.0;
constexpr double kEchoWetGain = 0.5;
constexpr double kHallDryGain = 0.8;
constexpr double kHallWetGain = 0.6;
constexpr double kHallConvolverGain = 0.5;
constexpr double kDryGain = 1.0;

// ln(1000): the exponent that makes a tail fall by 60 dB over its length.
constexpr double kSixtyDbDecay = 6.907755;
constexpr double kHallPreDelaySeconds = 0.02;
constexpr double kPcm16Max = 32767.0;

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", v);
  return text;
}

struct Biquad {
  std::string name;
  std::string label;
  double hz;
  double q;
  double gainDb;
};

std::string biquadNode(const Biquad& b) {
  return "      { type = builtin name = " + b.name + " label = " + b.label + " control = { \"Freq\" = " +
         number(b.hz) + " \"Q\" = " + number(b.q) + " \"Gain\" = " + number(b.gainDb) + " } }\n";
}

std::string link(const std::string& from, const std::string& to) {
  return "      { output = " + spaQuote(from) + " input = " + spaQuote(to) + " }\n";
}

// A graph of biquads in series from the first to the last.
std::string seriesGraph(const std::vector<Biquad>& filters) {
  std::string nodes;
  std::string links;
  for (std::size_t i = 0; i < filters.size(); ++i) {
    nodes += biquadNode(filters[i]);
    if (i + 1 < filters.size()) links += link(filters[i].name + ":Out", filters[i + 1].name + ":In");
  }
  return "  filter.graph = {\n    nodes = [\n" + nodes + "    ]\n    links = [\n" + links + "    ]\n  }\n";
}

// Dry signal and one effect path mixed: split -> effect -> mix "In 2",
// split -> mix "In 1".
std::string wetDryGraph(const std::string& effectNode, double dry, double wet) {
  std::string nodes = "      { type = builtin name = split label = copy }\n" + effectNode +
                      "      { type = builtin name = mix label = mixer control = { \"Gain 1\" = " + number(dry) +
                      " \"Gain 2\" = " + number(wet) + " } }\n";
  std::string links = link("split:Out", "effect:In") + link("split:Out", "mix:In 1") + link("effect:Out", "mix:In 2");
  return "  filter.graph = {\n    nodes = [\n" + nodes + "    ]\n    links = [\n" + links +
         "    ]\n    inputs = [ \"split:In\" ]\n    outputs = [ \"mix:Out\" ]\n  }\n";
}

std::string voiceGraph(VoiceEffect effect, const std::string& impulsePath) {
  switch (effect) {
    case VoiceEffect::Echo:
      return wetDryGraph("      { type = builtin name = effect label = delay config = { \"max-delay\" = " +
                             number(kEchoMaxDelaySeconds) + " } control = { \"Delay (s)\" = " +
                             number(kEchoDelaySeconds) + " } }\n",
                         kDryGain, kEchoWetGain);
    case VoiceEffect::Hall:
      return wetDryGraph("      { type = builtin name = effect label = convolver config = { filename = " +
                             spaQuote(impulsePath) + " gain = " + number(kHallConvolverGain) + " } }\n",
                         kHallDryGain, kHallWetGain);
    case VoiceEffect::Deep:
      // More chest, less presence and air.
      return seriesGraph({{"low", "bq_lowshelf", 200, 0.7, 8},
                          {"presence", "bq_peaking", 3000, 0.7, -6},
                          {"air", "bq_highshelf", 4000, 0.7, -10},
                          {"top", "bq_lowpass", 5000, 0.7, 0}});
    case VoiceEffect::Radio:
      // A narrow telephone band with a nasal bump.
      return seriesGraph({{"hp1", "bq_highpass", 400, 0.7, 0},
                          {"hp2", "bq_highpass", 400, 0.7, 0},
                          {"nasal", "bq_peaking", 1800, 1.0, 6},
                          {"lp1", "bq_lowpass", 3200, 0.7, 0},
                          {"lp2", "bq_lowpass", 3200, 0.7, 0}});
  }
  return {};
}

}  // namespace

std::string spaQuote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string defaultNodeValue(const std::string& nodeName) {
  Json::Value v;
  v["name"] = nodeName;
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  return Json::writeString(writer, v);
}

std::string defaultNodeName(const std::string& value) {
  const Json::Value v = profiles::parseJsonText(value);
  return v.isObject() && v["name"].isString() ? v["name"].asString() : std::string();
}

std::string eqGainControl(int band) { return "eq_band_" + std::to_string(band + 1) + ":Gain"; }

std::string eqChainArgs(const std::string& targetNode, const EqGains& gains) {
  std::vector<Biquad> bands;
  for (int i = 0; i < kEqBands; ++i) {
    bands.push_back({"eq_band_" + std::to_string(i + 1), "bq_peaking", kEqBandHz[i], kEqBandQ, gains[i]});
  }
  std::string target = targetNode.empty() ? "" : "    target.object = " + spaQuote(targetNode) + "\n";
  return "{\n  node.description = \"Headset equaliser\"\n  media.name = \"Headset equaliser\"\n" +
         seriesGraph(bands) +
         "  audio.channels = 2\n  audio.position = [ FL FR ]\n"
         "  capture.props = {\n    node.name = " + spaQuote(kEqSinkNode) +
         "\n    media.class = Audio/Sink\n  }\n"
         "  playback.props = {\n    node.name = " + spaQuote(kEqOutputNode) +
         "\n    node.passive = true\n    stream.dont-remix = true\n" + target + "  }\n}\n";
}

std::string voiceChainArgs(VoiceEffect effect, const std::string& targetNode, const std::string& impulsePath) {
  std::string target = targetNode.empty() ? "" : "    target.object = " + spaQuote(targetNode) + "\n";
  return "{\n  node.description = \"Headset voice changer\"\n  media.name = \"Headset voice changer\"\n" +
         voiceGraph(effect, impulsePath) +
         "  audio.channels = 1\n  audio.position = [ MONO ]\n"
         "  capture.props = {\n    node.name = " + spaQuote(kVoiceInputNode) +
         "\n    node.passive = true\n" + target + "  }\n"
         "  playback.props = {\n    node.name = " + spaQuote(kVoiceSourceNode) +
         "\n    media.class = Audio/Source\n  }\n}\n";
}

std::vector<float> hallImpulse(int sampleRate, double seconds, std::uint32_t seed) {
  const std::size_t length = static_cast<std::size_t>(std::max(0.0, seconds) * sampleRate);
  const std::size_t preDelay = static_cast<std::size_t>(kHallPreDelaySeconds * sampleRate);
  std::vector<float> out(length, 0.0f);
  std::uint32_t state = seed ? seed : 1u;
  double energy = 0;
  for (std::size_t i = preDelay; i < length; ++i) {
    // xorshift32 noise in -1..1
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const double noise = static_cast<double>(state) / 2147483648.0 - 1.0;
    const double t = static_cast<double>(i - preDelay) / sampleRate;
    const double v = noise * std::exp(-kSixtyDbDecay * t / seconds);
    out[i] = static_cast<float>(v);
    energy += v * v;
  }
  // Unit energy, so the wet level does not depend on the length.
  if (energy > 0) {
    const double scale = 1.0 / std::sqrt(energy);
    for (float& s : out) s = static_cast<float>(s * scale);
  }
  return out;
}

namespace {
void putLe(std::string& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFFu);
}
}  // namespace

std::string wavFile(const std::vector<float>& samples, int sampleRate) {
  constexpr std::uint32_t kFmtChunkBytes = 16;
  constexpr std::uint32_t kPcmFormat = 1;
  constexpr std::uint32_t kChannels = 1;
  constexpr std::uint32_t kBytesPerSample = 2;
  constexpr std::uint32_t kBitsPerSample = 16;
  constexpr std::uint32_t kRiffHeaderRest = 36;  // "WAVE" + fmt chunk + data chunk header
  const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
  std::string out;
  out += "RIFF";
  putLe(out, kRiffHeaderRest + dataBytes, 4);
  out += "WAVEfmt ";
  putLe(out, kFmtChunkBytes, 4);
  putLe(out, kPcmFormat, 2);
  putLe(out, kChannels, 2);
  putLe(out, static_cast<std::uint32_t>(sampleRate), 4);
  putLe(out, static_cast<std::uint32_t>(sampleRate) * kBytesPerSample * kChannels, 4);
  putLe(out, kBytesPerSample * kChannels, 2);
  putLe(out, kBitsPerSample, 2);
  out += "data";
  putLe(out, dataBytes, 4);
  for (float s : samples) {
    const double clamped = std::clamp(static_cast<double>(s), -1.0, 1.0);
    const auto v = static_cast<std::int16_t>(std::lround(clamped * kPcm16Max));
    putLe(out, static_cast<std::uint16_t>(v), 2);
  }
  return out;
}

}  // namespace kavro::audio
