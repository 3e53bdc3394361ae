#pragma once
// The equaliser's bands and its response curve, for the library's filters
// and for the panel that draws the curve.
#include <array>

namespace kavro::audio {

inline constexpr int kEqBandCount = 10;
// Centre frequencies of the ten peaking bands, one octave apart.
inline constexpr std::array<double, kEqBandCount> kEqBandHz{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
// Q of a peaking band one octave wide.
inline constexpr double kEqBandQ = 1.414;
// Sample rate the response curve is computed for.
inline constexpr double kResponseRate = 48000;

using EqGains = std::array<double, kEqBandCount>;

// Gain in dB of the whole equaliser at a frequency (all bands in series).
double eqResponseDb(double hz, const EqGains& gains);

}  // namespace kavro::audio
