#include "panels/light_layout_rules.h"

#include <algorithm>
#include <initializer_list>
#include <span>

namespace kavro::panels {

namespace {

// One cell of a rule table: enabled state and visibility.
constexpr GroupState E{Switch::On, Switch::On};     // enabled, shown
constexpr GroupState D{Switch::Off, Switch::On};    // disabled, shown
constexpr GroupState EH{Switch::On, Switch::Off};   // enabled, hidden
constexpr GroupState DH{Switch::Off, Switch::Off};  // disabled, hidden
constexpr GroupState EK{Switch::On, Switch::Keep};  // enabled, visibility kept
constexpr GroupState DK{Switch::Off, Switch::Keep};
constexpr GroupState KK{Switch::Keep, Switch::Keep};

// Whether a row shows "deng_same_mode" (when the same-mode flag is set).
enum class Same : std::uint8_t { No, Yes, Keep };

constexpr std::size_t kMaxRowEffects = 8;
constexpr int kNoEffect = -1;

// One row: the effects it covers (kNoEffect-terminated; an empty list is the
// row for every other effect) and the cells in the order EffectList,
// MultiColor, Color, Palette, Direction, Brightness, Speed.
struct Row {
  std::array<int, kMaxRowEffects> effects;
  std::array<GroupState, 7> cells;
  Same same = Same::No;
  bool custom = false;      // show "lightcustom_layout"
  bool secondZone = false;  // enable and show the second zone combo
};

constexpr std::array<int, kMaxRowEffects> fx(std::initializer_list<int> list) {
  std::array<int, kMaxRowEffects> a{};
  a.fill(kNoEffect);
  std::size_t i = 0;
  for (int e : list) a[i++] = e;
  return a;
}

// Keyboard: every group is enabled or disabled and, except in the last row,
// shown or hidden.
const Row kKeyboardRows[] = {
    {fx({1, 2, 3, 23, 28}), {E, E, E, E, E, E, E}},
    {fx({4}), {E, DH, DH, DH, DH, E, E}, Same::Yes},
    {fx({5, 9, 22}), {E, E, E, E, D, E, E}, Same::Yes},
    {fx({6}), {E, E, E, E, D, E, D}, Same::Yes},
    {fx({7, 8, 10, 13, 15, 16, 21, 24}), {E, E, E, E, D, E, E}},
    {fx({11}), {E, DH, DH, DH, DH, E, E}},
    {fx({12}), {E, EH, DH, DH, E, E, E}},
    {fx({14}), {E, E, E, E, D, E, E}},
    {fx({17}), {EK, DH, DH, DH, DH, E, DH}, Same::No, false, true},
    {fx({18}), {E, DH, DH, DH, E, E, E}},
    {fx({20}), {E, D, E, E, D, E, D}, Same::No, true},
    {fx({25, 26}), {E, D, D, D, D, E, E}},
    {fx({27}), {E, D, D, D, D, D, D}, Same::Yes},
    {fx({}), {EK, DK, DK, DK, DK, DK, DK}},
};

// Mouse: enabled state only.
const Row kMouseRows[] = {
    {fx({0, 5}), {EK, EK, EK, EK, EK, EK, EK}},
    {fx({1}), {EK, DK, DK, DK, DK, EK, EK}, Same::Yes},
    {fx({6, 7}), {EK, DK, DK, DK, DK, EK, EK}},
    {fx({2}), {EK, EK, EK, EK, EK, EK, EK}, Same::Yes},
    {fx({3}), {EK, DK, EK, EK, DK, EK, DK}, Same::Yes},
    {fx({4}), {EK, EK, EK, EK, DK, EK, EK}, Same::Yes},
    {fx({8}), {EK, DK, DK, DK, DK, DK, DK}, Same::Yes},
    {fx({}), {EK, DK, DK, DK, DK, DK, DK}},
};

// Mousepad and both headsets.
const Row kPadRows[] = {
    {fx({0}), {EK, EK, EK, EK, EK, EK, EK}},
    {fx({1}), {EK, DK, DK, DK, DK, EK, EK}, Same::Yes},
    {fx({2, 4}), {EK, EK, EK, EK, DK, EK, EK}, Same::Yes},
    {fx({3}), {EK, DK, EK, EK, DK, EK, DK}, Same::Yes},
    {fx({8}), {EK, DK, DK, DK, DK, DK, DK}, Same::Yes},
    {fx({}), {EK, DK, DK, DK, DK, DK, DK}},
};

// Hub: direction and the same-mode button are left alone.
const Row kHubRows[] = {
    {fx({0, 2, 3}), {EK, EK, EK, EK, KK, EK, EK}, Same::Keep},
    {fx({1}), {EK, DK, EK, EK, KK, EK, DK}, Same::Keep},
    {fx({4}), {EK, DK, DK, DK, KK, EK, EK}, Same::Keep},
    {fx({}), {EK, DK, DK, DK, KK, DK, DK}, Same::Keep},
};

bool covers(const Row& row, int effect) {
  if (row.effects[0] == kNoEffect) return true;  // the row for every other effect
  return std::find(row.effects.begin(), row.effects.end(), effect) != row.effects.end();
}

const Row& rowFor(std::span<const Row> rows, int effect) {
  for (const Row& r : rows) {
    if (covers(r, effect)) return r;
  }
  return rows.back();
}

std::span<const Row> rowsFor(int deviceType) {
  switch (deviceType) {
    case kLightKeyboard: return kKeyboardRows;
    case kLightMouse:
    case kLightMouseLong: return kMouseRows;
    case kLightMousepad:
    case kLightHeadsetPlain:
    case kLightHeadset: return kPadRows;
    case kLightHub: return kHubRows;
    default: return {};
  }
}

}  // namespace

const char* lightGroupControl(LightGroup group) {
  static constexpr const char* kNames[kLightGroupCount] = {
      "lighteffect_layout", "deng_7color_check", "deng_color_layout", "colorpallet_layout",
      "deng_fx_layout",     "deng_light_layout", "deng_speed_layout", "lightcustom_layout",
      "light_combo_ZZCCmodeSelectLayout", "deng_same_mode"};
  return kNames[static_cast<std::size_t>(group)];
}

LightLayout lightLayoutFor(int deviceType, int effect, bool sameModeFlag) {
  LightLayout out;
  const std::span<const Row> rows = rowsFor(deviceType);
  if (rows.empty()) return out;
  const Row& row = rowFor(rows, effect);
  for (std::size_t i = 0; i < row.cells.size(); ++i) out.groups[i] = row.cells[i];

  if (deviceType == kLightKeyboard) {
    // The custom colour and second zone groups only show for their effects.
    out[LightGroup::Custom].visible = row.custom ? Switch::On : Switch::Off;
    out[LightGroup::SecondZone] = row.secondZone ? E : GroupState{Switch::Keep, Switch::Off};
  }
  if (row.same != Same::Keep) {
    const bool show = row.same == Same::Yes && sameModeFlag;
    out[LightGroup::SameMode].visible = show ? Switch::On : Switch::Off;
  }
  return out;
}

std::optional<CommonEffect> commonEffectOf(int deviceType, int effect) {
  if (deviceType == kLightKeyboard) {
    switch (effect) {
      case 4: return CommonEffect::Spectrum;
      case 5: return CommonEffect::Breathing;
      case 6: return CommonEffect::Static;
      case 22: return CommonEffect::Blinking;
      case 27: return CommonEffect::Off;
      default: return std::nullopt;
    }
  }
  if (rowsFor(deviceType).empty()) return std::nullopt;
  switch (effect) {
    case 1: return CommonEffect::Spectrum;
    case 2: return CommonEffect::Breathing;
    case 3: return CommonEffect::Static;
    case 4: return CommonEffect::Blinking;
    case 8: return CommonEffect::Off;
    default: return std::nullopt;
  }
}

int effectForCommon(int deviceType, CommonEffect effect) {
  const bool keyboard = deviceType == kLightKeyboard;
  switch (effect) {
    case CommonEffect::Spectrum: return keyboard ? 4 : 1;
    case CommonEffect::Breathing: return keyboard ? 5 : 2;
    case CommonEffect::Static: return keyboard ? 6 : 3;
    case CommonEffect::Blinking: return keyboard ? 22 : 4;
    case CommonEffect::Off: return keyboard ? 27 : 8;
  }
  return 0;
}

}  // namespace kavro::panels
