#include "skin/skin_theme.h"

#include <QApplication>
#include <QColor>
#include <QHash>
#include <QWidget>
#include <algorithm>

#include "skin/attr_parse.h"
#include "skin/edit.h"
#include "skin/richedit.h"

namespace kavro::skin {

namespace {

// Hue distance (degrees) within which a colour belongs to the accent family.
constexpr int kAccentHueSpan = 16;
// Below this saturation a colour counts as neutral grey.
constexpr double kTintedSaturation = 0.18;
// Vivid colours (buttons, marks) keep their lightness in the light tone.
constexpr double kVividSaturation = 0.45;
constexpr double kVividMinLightness = 0.30;
constexpr double kVividMaxLightness = 0.80;
// Light tone: turned-over lightness above the middle is spread a little so
// the background layers stay apart, and capped below pure white.
constexpr double kLightSpread = 1.15;
constexpr double kLightCap = 0.985;
constexpr double kPaleLightness = 0.70;
constexpr double kPaleShift = 0.30;

int& rawDepth() {
  static int depth = 0;
  return depth;
}

int hueDistance(int a, int b) {
  const int d = std::abs(a - b) % 360;
  return std::min(d, 360 - d);
}

double turnedLightness(double l) {
  double t = 1.0 - l;
  if (t > 0.5) t = std::min(kLightCap, 0.5 + (t - 0.5) * kLightSpread);
  return t;
}

SkinTheme& activeTheme() {
  static SkinTheme theme;
  return theme;
}

QHash<uint32_t, uint32_t>& themeCache() {
  static QHash<uint32_t, uint32_t> cache;
  return cache;
}

}  // namespace

uint32_t mapThemeColor(const SkinTheme& theme, uint32_t c) {
  if (theme.isLayoutLook()) return c;
  const QColor in = QColor::fromRgba(c);
  double h = in.hslHueF(), s = in.hslSaturationF(), l = in.lightnessF();
  const int layoutHue = QColor::fromRgba(kLayoutAccent).hslHue();
  const QColor accent = QColor::fromRgba(theme.accent | 0xFF000000u);
  const bool hasHue = h >= 0 && s >= kTintedSaturation;
  if (hasHue && hueDistance(qRound(h * 360), layoutHue) <= kAccentHueSpan && accent.hslHue() >= 0) {
    h = accent.hslHueF();
    const bool vivid = s >= kVividSaturation && l >= kVividMinLightness && l <= kVividMaxLightness;
    if (vivid) {
      // The accent itself, shifted by the colour's offset from the layout accent.
      s = accent.hslSaturationF();
      l = std::clamp(accent.lightnessF() + (l - QColor::fromRgba(kLayoutAccent).lightnessF()), 0.0, 1.0);
    }
  }
  const bool vivid = s >= kVividSaturation && l >= kVividMinLightness && l <= kVividMaxLightness;
  if (theme.tone == SkinTone::Light && !vivid) l = turnedLightness(l);
  // Pale vivid colours (text on tinted buttons) darken to stay readable on light layers.
  else if (theme.tone == SkinTone::Light && l > kPaleLightness) l -= kPaleShift;
  QColor out = QColor::fromHslF(h < 0 ? 0 : h, std::clamp(s, 0.0, 1.0), std::clamp(l, 0.0, 1.0));
  out.setAlpha(in.alpha());
  return out.rgba();
}

const SkinTheme& CurrentSkinTheme() { return activeTheme(); }

void SetSkinTheme(const SkinTheme& theme) {
  if (activeTheme() == theme) return;
  activeTheme() = theme;
  themeCache().clear();
  for (QWidget* w : QApplication::allWidgets()) {
    // Entry fields carry their colours in a style sheet: it is made again.
    if (qobject_cast<CEditUI*>(w) || qobject_cast<CRichEditUI*>(w)) static_cast<CControlUI*>(w)->OnScaleChanged();
    w->update();
  }
}

RawColorScope::RawColorScope(bool on) : on_(on) {
  if (on_) ++rawDepth();
}
RawColorScope::~RawColorScope() {
  if (on_) --rawDepth();
}

uint32_t themedColor(uint32_t argb) {
  const SkinTheme& theme = activeTheme();
  if (theme.isLayoutLook() || rawDepth() > 0) return argb;
  auto& cache = themeCache();
  auto it = cache.constFind(argb);
  if (it != cache.constEnd()) return it.value();
  const uint32_t mapped = mapThemeColor(theme, argb);
  cache.insert(argb, mapped);
  return mapped;
}

QString skinToneName(SkinTone tone) { return tone == SkinTone::Light ? QStringLiteral("light") : QStringLiteral("dark"); }

SkinTone skinToneFromName(const QString& name) {
  return name.compare(QLatin1String("light"), Qt::CaseInsensitive) == 0 ? SkinTone::Light : SkinTone::Dark;
}

bool parseAccentText(const QString& text, uint32_t* accent) {
  uint32_t v = 0;
  if (!parseColor(text, &v)) return false;
  *accent = v | 0xFF000000u;
  return true;
}

}  // namespace kavro::skin
