#include "audio/value_forms.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kavro::audio {

std::string formatValue(ValueForm form, double value) {
  char text[64];
  if (form == ValueForm::Float) {
    std::snprintf(text, sizeof text, "%.6f", value);
  } else {
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(std::llround(value)));
  }
  return text;
}

void writeText(void* buffer, const std::string& text) {
  if (buffer == nullptr) return;
  std::size_t n = std::min(text.size(), kValueBufferBytes - 1);
  std::memcpy(buffer, text.data(), n);
  static_cast<char*>(buffer)[n] = '\0';
}

std::optional<double> decodeWrite(ValueForm form, const void* buffer) {
  if (buffer == nullptr) return std::nullopt;
  switch (form) {
    case ValueForm::Float: {
      float f;
      std::memcpy(&f, buffer, sizeof f);
      if (!std::isfinite(f)) return std::nullopt;
      return static_cast<double>(f);
    }
    case ValueForm::Bool:
    case ValueForm::Int: {
      std::int32_t i;
      std::memcpy(&i, buffer, sizeof i);
      if (form == ValueForm::Bool && i != 0 && i != 1) return std::nullopt;
      return static_cast<double>(i);
    }
    case ValueForm::Text:
      break;
  }
  return std::nullopt;
}

std::optional<std::int32_t> decodeChannel(const void* buffer) {
  if (buffer == nullptr) return kAllChannels;
  std::int32_t channel;
  std::memcpy(&channel, buffer, sizeof channel);
  if (channel < kAllChannels || channel > kLastChannel) return std::nullopt;
  return channel;
}

std::string featureText(const FeatureInfo& f) {
  char text[128];
  std::snprintf(text, sizeof text, "%u,%d,%d,%d,%d,%d,%d", f.featureBits, f.eqBands, f.voiceEffects,
                f.roomEnvironments, f.effectsLive ? 1 : 0, f.channels, f.monitorPath ? 1 : 0);
  return text;
}

}  // namespace kavro::audio
