// Geometry and timing rules of the custom controls.
#include <gtest/gtest.h>

#include "widgets/caption_fit.h"
#include "widgets/control_rules.h"

using namespace kavro::widgets;

TEST(ControlRules, DeleteZoneSitsInTheLowerRightCornerAndScales) {
  EXPECT_EQ(handDeleteZone(QRect(0, 0, 100, 80), 1.0), QRect(70, 51, 20, 20));
  EXPECT_EQ(handDeleteZone(QRect(10, 20, 100, 80), 1.0), QRect(80, 71, 20, 20));
  // At 150 %: 30 px square, 15 px from the right, 44 px above the bottom.
  EXPECT_EQ(handDeleteZone(QRect(0, 0, 150, 120), 1.5), QRect(105, 76, 30, 30));
}

TEST(ControlRules, RubberBandIsNormalisedAndHalfCoveredKeysCount) {
  EXPECT_EQ(selectionRect(QPoint(50, 40), QPoint(10, 5)), QRect(QPoint(10, 5), QPoint(50, 40)));
  const QRect band = selectionRect(QPoint(0, 0), QPoint(30, 30));
  EXPECT_TRUE(keyInSelection(QRect(20, 20, 20, 20), band));   // half inside
  EXPECT_TRUE(keyInSelection(QRect(30, 30, 5, 5), band));     // touching the corner pixel
  EXPECT_FALSE(keyInSelection(QRect(31, 0, 10, 10), band));
}

TEST(ControlRules, FadeRunsDownToEightyAndBackUpToFull) {
  FadeState s;  // starts at 255, falling
  std::vector<int> seq;
  for (int i = 0; i < 12; ++i) {
    s = nextFade(s);
    seq.push_back(s.value);
  }
  const std::vector<int> down = {235, 215, 195, 175, 155, 135, 115, 95, 80, 100, 120, 140};
  EXPECT_EQ(seq, down);
  s = FadeState{240, true};
  s = nextFade(s);
  EXPECT_EQ(s.value, 255);  // 260 would pass 254
  EXPECT_FALSE(s.rising);
}

TEST(ControlRules, CircleSweepIsTheShareOfTheRange) {
  EXPECT_DOUBLE_EQ(circleSweepDegrees(50, 0, 100), 180.0);
  EXPECT_DOUBLE_EQ(circleSweepDegrees(100, 0, 100), 360.0);
  EXPECT_DOUBLE_EQ(circleSweepDegrees(150, 0, 100), 360.0);
  EXPECT_DOUBLE_EQ(circleSweepDegrees(15, 10, 20), 180.0);
  EXPECT_DOUBLE_EQ(circleSweepDegrees(5, 5, 5), 0.0);  // empty range, no division by zero
}

TEST(ControlRules, KeyLightColourIsChannelsTimesBrightness) {
  EXPECT_EQ(keyLightColor(0x0000FF, 255), QColor(255, 0, 0));  // red | green << 8 | blue << 16
  EXPECT_EQ(keyLightColor(0xFF8000, 255), QColor(0, 128, 255));
  EXPECT_EQ(keyLightColor(0x0000FF, 0), QColor(0, 0, 0));
  EXPECT_EQ(keyLightColor(0xFFFFFF, 51), QColor(51, 51, 51));
}

// Captions measured with a fixed-width font: every character is as wide as
// the pixel size times 0.6, every line 1.2 times the pixel size high.
namespace {
CaptionMetrics fixedMetrics() {
  return {[](const QString& text, int px) { return text.size() * px * 0.6; },
          [](int px) { return px * 1.2; }};
}
}  // namespace

TEST(CaptionFit, CutsAtSpacesAndBetweenASmallLetterAndACapital) {
  EXPECT_EQ(twoLineSplits("PgUp"), (QList<QStringList>{{"Pg", "Up"}}));
  EXPECT_EQ(twoLineSplits("Num Lock"), (QList<QStringList>{{"Num", "Lock"}}));
  EXPECT_EQ(twoLineSplits("Num ."), (QList<QStringList>{{"Num", "."}}));
  EXPECT_TRUE(twoLineSplits("Home").isEmpty());
  EXPECT_TRUE(twoLineSplits("F12").isEmpty());
  EXPECT_TRUE(twoLineSplits(" A ").isEmpty());
}

TEST(CaptionFit, OneLineThenTwoLinesThenSmaller) {
  const CaptionMetrics m = fixedMetrics();
  // "Esc" at 13 px is 23.4 wide: one line.
  CaptionLayout c = fitCaption("Esc", QSizeF(32, 32), 13, 9, m);
  EXPECT_EQ(c.lines, QStringList{"Esc"});
  EXPECT_EQ(c.pixelSize, 13);
  EXPECT_TRUE(c.fits);
  // "PrtSc" is 39 wide at 13 px, its two halves fit on two lines at 13 px.
  c = fitCaption("PrtSc", QSizeF(32, 32), 13, 9, m);
  EXPECT_EQ(c.lines, (QStringList{"Prt", "Sc"}));
  EXPECT_EQ(c.pixelSize, 13);
  // "Home" cannot be cut: the size goes down until it fits (4 x 0.6 x 13 > 30).
  c = fitCaption("Home", QSizeF(30, 32), 13, 9, m);
  EXPECT_EQ(c.lines, QStringList{"Home"});
  EXPECT_EQ(c.pixelSize, 12);
  // A flat key has no room for two lines: smaller on one line instead.
  c = fitCaption("PgUp", QSizeF(30, 20), 13, 9, m);
  EXPECT_EQ(c.lines, QStringList{"PgUp"});
  EXPECT_EQ(c.pixelSize, 12);
  // Of several cuts the one with the narrower longest line wins.
  c = fitCaption("Page Up Now", QSizeF(50, 40), 13, 9, m);
  EXPECT_EQ(c.lines, (QStringList{"Page", "Up Now"}));
  // Nothing fits: one line at the smallest size, marked as not fitting.
  c = fitCaption("Backspace", QSizeF(20, 20), 13, 9, m);
  EXPECT_FALSE(c.fits);
  EXPECT_EQ(c.pixelSize, 9);
  EXPECT_EQ(c.lines, QStringList{"Backspace"});
}
