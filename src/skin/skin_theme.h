#pragma once
// The skin's colour theme. Layout files carry the colours of the dark look;
// the theme maps every colour a control paints to the chosen tone and accent
// at paint time, so a change reaches every open window at once without
// touching a single control.
#include <QString>
#include <cstdint>

namespace kavro::skin {

enum class SkinTone { Dark, Light };

// The accent of the layouts as they are written.
inline constexpr uint32_t kLayoutAccent = 0xFF2F8CFF;

struct SkinTheme {
  SkinTone tone = SkinTone::Dark;
  uint32_t accent = kLayoutAccent;  // ARGB
  bool isLayoutLook() const { return tone == SkinTone::Dark && (accent & 0xFFFFFF) == (kLayoutAccent & 0xFFFFFF); }
  bool operator==(const SkinTheme&) const = default;
};

// The colour c of a layout as theme paints it (alpha kept): neutral and
// dark tinted colours have their lightness turned over for the light tone,
// colours of the layout accent's hue take the theme's accent hue.
uint32_t mapThemeColor(const SkinTheme& theme, uint32_t c);

// The active theme; the dark look with the layout accent until set.
const SkinTheme& CurrentSkinTheme();
// Makes theme active and repaints every open window.
void SetSkinTheme(const SkinTheme& theme);
// A layout colour as the active theme paints it.
uint32_t themedColor(uint32_t argb);

// While alive (and on), colours are painted as given: controls that show the
// user's colours (palette swatches) are left out of the theme. Window thread only.
class RawColorScope {
 public:
  explicit RawColorScope(bool on);
  ~RawColorScope();
  RawColorScope(const RawColorScope&) = delete;
  RawColorScope& operator=(const RawColorScope&) = delete;

 private:
  bool on_;
};

// Stored form of a theme: "dark"/"light" and "#RRGGBB".
QString skinToneName(SkinTone tone);
// Unknown names give the dark tone.
SkinTone skinToneFromName(const QString& name);
// false when text is not a colour; the accent is then left alone.
bool parseAccentText(const QString& text, uint32_t* accent);

}  // namespace kavro::skin
