#pragma once
// The equaliser and voice-changer graphs as filter-chain module arguments,
// the band layout, the equaliser's response curve and the hall impulse
// response. Pure functions: nothing here talks to PipeWire.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/eq_curve.h"
#include "audio/property_table.h"

namespace kavro::audio {

static_assert(kEqBands == kEqBandCount, "one gain property per equaliser band");

// Node names of the two graphs: the equaliser's input sink and output
// stream, the voice changer's input stream and virtual microphone.
inline constexpr char kEqSinkNode[] = "kavro_headset_eq";
inline constexpr char kEqOutputNode[] = "kavro_headset_eq.output";
inline constexpr char kVoiceInputNode[] = "kavro_voice_changer.input";
inline constexpr char kVoiceSourceNode[] = "kavro_voice_changer";

// The voice effects in the order of "MagicVoice_Selection".
enum class VoiceEffect : int { Echo = 0, Hall = 1, Deep = 2, Radio = 3 };

// "eq_band_<band + 1>:Gain", the control that carries a band's gain.
std::string eqGainControl(int band);

// Arguments of the equaliser's filter-chain module: ten bq_peaking nodes in
// series on a stereo sink whose output plays to targetNode (any sink when
// empty), starting at the given gains.
std::string eqChainArgs(const std::string& targetNode, const EqGains& gains);

// Arguments of the voice changer's filter-chain module: the effect on the
// microphone targetNode, offered as a virtual microphone. The hall effect
// reads its impulse response from impulsePath.
std::string voiceChainArgs(VoiceEffect effect, const std::string& targetNode, const std::string& impulsePath);

// A decaying noise tail that sounds like a large room: mono, the given
// length, deterministic for a seed.
std::vector<float> hallImpulse(int sampleRate, double seconds, std::uint32_t seed);

// The samples as a mono 16-bit PCM WAV file.
std::string wavFile(const std::vector<float>& samples, int sampleRate);

// Metadata keys of the session's default sink: the one in use, and the one
// the user (or this library) chose.
inline constexpr char kDefaultSinkKey[] = "default.audio.sink";
inline constexpr char kConfiguredSinkKey[] = "default.configured.audio.sink";
inline constexpr char kJsonMetadataType[] = "Spa:String:JSON";

// The metadata value that names a node: { "name": "<node>" }.
std::string defaultNodeValue(const std::string& nodeName);
// The node a metadata value names; "" when it names none.
std::string defaultNodeName(const std::string& value);

// Quotes text as an SPA JSON string.
std::string spaQuote(const std::string& text);

}  // namespace kavro::audio
