#pragma once
// How property values travel through the two value buffers: reads as decimal
// text in buffer 1, writes as a 32-bit integer or float at its start, the
// channel of a level as a 32-bit integer in buffer 2.
#include <cstdint>
#include <optional>
#include <string>

#include "audio/property_table.h"

namespace kavro::audio {

inline constexpr std::size_t kValueBufferBytes = 1024;
// Channel word meaning "every channel".
inline constexpr std::int32_t kAllChannels = -1;
// Highest channel index an endpoint of the card has (stereo).
inline constexpr std::int32_t kLastChannel = 1;

// Decimal text of a value: integers for Bool and Int, six decimals for Float.
std::string formatValue(ValueForm form, double value);

// Copies text with its terminating NUL into a value buffer, cut to fit.
void writeText(void* buffer, const std::string& text);

// The value written at the start of buffer 1, or nothing when the buffer is
// missing, the float is not finite, or a Bool is neither 0 nor 1.
std::optional<double> decodeWrite(ValueForm form, const void* buffer);

// The channel in buffer 2 (every channel when the buffer is missing), or
// nothing when it names no channel of the card.
std::optional<std::int32_t> decodeChannel(const void* buffer);

// Fields of the feature list text ("GetSupportFeature"), comma separated.
struct FeatureInfo {
  unsigned featureBits = 0;    // field 0: kFeature... bits
  int eqBands = 0;             // field 1
  int voiceEffects = 0;        // field 2
  int roomEnvironments = 0;    // field 3
  bool effectsLive = false;    // field 4: effects really process the audio
  int channels = 0;            // field 5
  bool monitorPath = false;    // field 6: the microphone can be heard in the headphones
};
inline constexpr unsigned kFeatureEqualiser = 1u << 0;
inline constexpr unsigned kFeatureSurround = 1u << 1;
inline constexpr unsigned kFeatureRoom = 1u << 2;
inline constexpr unsigned kFeatureNoiseCancel = 1u << 3;
inline constexpr unsigned kFeatureVoiceChanger = 1u << 4;
inline constexpr unsigned kFeatureMicEcho = 1u << 5;
inline constexpr int kFeatureFieldCount = 7;

std::string featureText(const FeatureInfo& info);

}  // namespace kavro::audio
