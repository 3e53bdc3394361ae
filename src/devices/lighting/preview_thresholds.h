#pragma once
// How often the keyboard preview runs an effect's frame step: the preview
// loop's tick counter must reach the effect's threshold at the current speed.
#include <cstdint>
#include <optional>

namespace kavro::lighting {

// Counter units added whenever the clock has moved by more than 1 ms.
inline constexpr std::uint32_t kPreviewCounterStep = 3;
// The custom light effect, which plays a list of steps.
inline constexpr unsigned kCustomEffect = 19;

// Threshold of effect 1..29 at speed 0..5 (speeds above 5 count as 5);
// 0 means every pass. Nothing for effect 19 and for numbers outside 1..29:
// they have no threshold and step on every pass.
std::optional<std::uint32_t> previewThreshold(unsigned effect, unsigned speed);

}  // namespace kavro::lighting
