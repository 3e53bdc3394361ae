#pragma once
// Which groups of the lighting panel are enabled and shown for a device type
// and a lighting effect, and the effects that every device kind shares for
// lighting synchronisation. Pure data and functions: no widgets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace kavro::panels {

// The control groups the rules switch, in a fixed order.
enum class LightGroup : std::uint8_t {
  EffectList,   // "lighteffect_layout"
  MultiColor,   // "deng_7color_check"
  Color,        // "deng_color_layout"
  Palette,      // "colorpallet_layout"
  Direction,    // "deng_fx_layout"
  Brightness,   // "deng_light_layout"
  Speed,        // "deng_speed_layout"
  Custom,       // "lightcustom_layout" (keyboard custom colours)
  SecondZone,   // "light_combo_ZZCCmodeSelectLayout"
  SameMode,     // "deng_same_mode"
};
inline constexpr std::size_t kLightGroupCount = 10;

// Control name of a group.
const char* lightGroupControl(LightGroup group);

// A property the rule sets to on or off, or leaves as it is.
enum class Switch : std::uint8_t { Keep, Off, On };

struct GroupState {
  Switch enabled = Switch::Keep;
  Switch visible = Switch::Keep;
  bool operator==(const GroupState&) const = default;
};

struct LightLayout {
  std::array<GroupState, kLightGroupCount> groups{};
  GroupState& operator[](LightGroup g) { return groups[static_cast<std::size_t>(g)]; }
  const GroupState& operator[](LightGroup g) const { return groups[static_cast<std::size_t>(g)]; }
  bool operator==(const LightLayout&) const = default;
};

// Panel device types (device table numbering).
inline constexpr int kLightKeyboard = 1;
inline constexpr int kLightMouse = 2;
inline constexpr int kLightMousepad = 3;
inline constexpr int kLightHeadsetPlain = 4;
inline constexpr int kLightHub = 5;
inline constexpr int kLightMouseLong = 6;
inline constexpr int kLightHeadset = 7;

// The states of every group after an effect change. sameModeFlag is the
// panel's same-mode flag: "deng_same_mode" is shown only when it is set and
// the effect is one the devices share. Unknown device types keep everything.
LightLayout lightLayoutFor(int deviceType, int effect, bool sameModeFlag);

// Effects every device kind can show, for lighting synchronisation.
enum class CommonEffect : std::uint8_t { Spectrum, Breathing, Static, Blinking, Off };

// The common effect of a device's effect number; none for effects that only
// that kind has (or for unknown device types).
std::optional<CommonEffect> commonEffectOf(int deviceType, int effect);
// The effect number that shows a common effect on a device kind.
int effectForCommon(int deviceType, CommonEffect effect);

}  // namespace kavro::panels
