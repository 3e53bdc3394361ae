#pragma once
// Shared helpers of the keyboard preview tests.
#include <cstdint>
#include <vector>

#include "devices/lighting/keyboard_preview.h"

namespace kavro::lighting::test {

inline profiles::LightSetting lightOf(std::uint8_t effect, std::uint8_t multi = 1,
                                      std::uint8_t direction = 1, std::uint8_t speed = 5) {
  profiles::LightSetting l;
  l.effect = effect;
  l.brightness = 5;
  l.speed = speed;
  l.direction = direction;
  l.multiColor = multi;
  l.red = 255;
  return l;
}

// Runs passes 2 ms apart until the effect's frame step has run once.
inline void stepOnce(KeyboardPreview& p, std::uint32_t& now) {
  for (int i = 0; i < 100; ++i) {
    now += 2;
    if (p.tick(now)) return;
  }
}

inline void steps(KeyboardPreview& p, std::uint32_t& now, int n) {
  for (int i = 0; i < n; ++i) stepOnce(p, now);
}

inline LedColor lit(Rgb c, std::uint8_t b) { return {c.red, c.green, c.blue, b}; }

// A random source that replays the given values, then zeros.
inline RandomFn scripted(std::vector<std::uint32_t> values) {
  return [values, i = std::size_t{0}]() mutable { return i < values.size() ? values[i++] : 0u; };
}

}  // namespace kavro::lighting::test
