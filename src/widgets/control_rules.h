#pragma once
// Geometry and timing rules of the custom controls, kept free of widgets so
// that they can be checked on their own.
#include <QColor>
#include <QPoint>
#include <QRect>
#include <cstdint>

namespace kavro::widgets {

// Delete corner of a hand image button: a square of 20 scaled pixels whose
// right edge lies 10 scaled pixels inside the button's right edge and whose
// top lies 29 scaled pixels above the button's bottom.
QRect handDeleteZone(const QRect& button, double scale);

// Rubber band between press and current point, normalised.
QRect selectionRect(const QPoint& press, const QPoint& current);
// A key counts as selected when its rectangle intersects the band at all.
bool keyInSelection(const QRect& key, const QRect& band);

// Record button pulse: the fade value moves by 20 per tick between 80 and 255.
struct FadeState {
  int value = 255;
  bool rising = false;
};
FadeState nextFade(FadeState s);

// Sweep of a ring progress in degrees: the value's share of the range times
// 360, limited to 0…360 (an empty range gives 0).
double circleSweepDegrees(int value, int min, int max);

// The colour a key light shows: a 24-bit red | green << 8 | blue << 16 value
// scaled by brightness (0…255).
QColor keyLightColor(uint32_t colorRef, int brightness);

}  // namespace kavro::widgets
