#include "panels/light_control_values.h"

#include <algorithm>

namespace kavro::panels {

namespace {
constexpr int kMaxComponent = 255;
constexpr int kMaxDigits = 3;  // more significant digits than this is above 255 anyway
}  // namespace

RgbColor splitArgb(std::uint32_t argb) {
  return {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8), static_cast<std::uint8_t>(argb)};
}

std::uint32_t makeArgb(const RgbColor& c) {
  return 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
}

ColorCommit commitColorText(const QString& typed) {
  const QString text = typed.trimmed();
  int value = 0;
  bool exact = false;  // the typed text already says the committed value
  const bool digits = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
  if (digits) {
    QString significant = text;
    while (significant.size() > 1 && significant.startsWith(QLatin1Char('0'))) significant.remove(0, 1);
    value = significant.size() > kMaxDigits ? kMaxComponent + 1 : significant.toInt();
    exact = value <= kMaxComponent;
    value = std::min(value, kMaxComponent);
  }
  ColorCommit out;
  out.value = static_cast<std::uint8_t>(value);
  out.text = exact ? typed : QString::number(value);
  out.rewrite = !exact;
  return out;
}

LightWords wordsFromParams(const devices::DeviceLightParams& p) {
  const auto& l = p.light;
  LightWords w;
  w.word0 = std::uint32_t{l.mode} | (std::uint32_t{l.brightnessLevel} << 8) | (std::uint32_t{l.speedLevel} << 16) |
            (std::uint32_t{l.direction} << 24);
  w.word1 = std::uint32_t{l.colorful} | (std::uint32_t{l.red} << 8) | (std::uint32_t{l.green} << 16) |
            (std::uint32_t{l.blue} << 24);
  w.word2 = p.param3;
  return w;
}

std::uint8_t areaEffectOf(std::uint32_t word2) { return static_cast<std::uint8_t>(word2 >> kAreaEffectShift); }

std::uint32_t withAreaEffect(std::uint32_t word2, std::uint8_t effect) {
  return (word2 & ~(0xFFu << kAreaEffectShift)) | (std::uint32_t{effect} << kAreaEffectShift);
}

}  // namespace kavro::panels
