#include "audio/eq_curve.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace kavro::audio {
namespace {

// One peaking biquad (the usual audio-EQ cookbook form) at a frequency.
std::complex<double> peakingResponse(double hz, double centreHz, double q, double gainDb) {
  const double a = std::pow(10.0, gainDb / 40.0);
  const double w0 = 2.0 * std::numbers::pi * centreHz / kResponseRate;
  const double alpha = std::sin(w0) / (2.0 * q);
  const double c = std::cos(w0);
  const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / kResponseRate);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> num = (1.0 + alpha * a) - 2.0 * c * z1 + (1.0 - alpha * a) * z2;
  const std::complex<double> den = (1.0 + alpha / a) - 2.0 * c * z1 + (1.0 - alpha / a) * z2;
  return num / den;
}

}  // namespace

double eqResponseDb(double hz, const EqGains& gains) {
  std::complex<double> h = 1.0;
  for (int i = 0; i < kEqBandCount; ++i) h *= peakingResponse(hz, kEqBandHz[i], kEqBandQ, gains[i]);
  return 20.0 * std::log10(std::abs(h));
}

}  // namespace kavro::audio
