// Pure rules of the toolkit: attribute values, image strings and box layout.
#include <gtest/gtest.h>

#include "skin/attr_parse.h"
#include "skin/edit.h"
#include "skin/layout_engine.h"
#include "skin/progress.h"

using namespace kavro::skin;

TEST(AttrParse, ColoursAcceptTheUsualSpellingsAndRejectJunk) {
  uint32_t c = 0;
  EXPECT_TRUE(parseColor("#FF0099FF", &c));
  EXPECT_EQ(c, 0xFF0099FFu);
  EXPECT_TRUE(parseColor("0x460099ff", &c));
  EXPECT_EQ(c, 0x460099FFu);
  EXPECT_TRUE(parseColor("#112233", &c));  // six digits are opaque
  EXPECT_EQ(c, 0xFF112233u);
  EXPECT_FALSE(parseColor("#12345", &c));
  EXPECT_FALSE(parseColor("#GG112233", &c));
  EXPECT_FALSE(parseColor("", &c));
}

TEST(AttrParse, AttributeListsKeepOrderAndStopAtBrokenQuotes) {
  auto list = parseAttributeList(R"(name='a' text="it's" width='10')");
  ASSERT_EQ(list.size(), 3);
  EXPECT_EQ(list[1].first, "text");
  EXPECT_EQ(list[1].second, "it's");
  EXPECT_EQ(parseAttributeList("name='a' text='unterminated").size(), 1);
  EXPECT_TRUE(parseAttributeList("=== ''").isEmpty());
}

TEST(AttrParse, ImageStrings) {
  ImageSpec s;
  ASSERT_TRUE(parseImageSpec("image/a.png", &s));
  EXPECT_EQ(s.file, "image/a.png");
  EXPECT_FALSE(s.hasSource);
  ASSERT_TRUE(parseImageSpec("file='b.png' source='0,0,20,10' corner='2,2,2,2' fade='300'", &s));
  EXPECT_EQ(s.file, "b.png");
  EXPECT_TRUE(s.hasSource);
  EXPECT_EQ(s.source, (Rect4{0, 0, 20, 10}));
  EXPECT_EQ(s.corner, (Rect4{2, 2, 2, 2}));
  EXPECT_EQ(s.fade, 255);  // clamped
  ASSERT_TRUE(parseImageSpec("res='rec.png' fade='95'", &s));
  EXPECT_EQ(s.file, "rec.png");
  EXPECT_EQ(s.fade, 95);
  EXPECT_FALSE(parseImageSpec("source='0,0,1,1'", &s));
  EXPECT_FALSE(parseImageSpec("   ", &s));
}

static LayoutItem fixedItem(int w, int h) {
  LayoutItem it;
  it.fixedWidth = w;
  it.fixedHeight = h;
  return it;
}

TEST(Layout, VerticalBoxSharesTheRestAmongStretchingChildren) {
  LayoutParams p;
  p.kind = BoxKind::Vertical;
  p.inset = QMargins(10, 10, 10, 10);
  p.childPadding = 5;
  std::vector<LayoutItem> items = {fixedItem(0, 40), LayoutItem{}, LayoutItem{}};
  items[2].padding = QMargins(4, 0, 0, 0);
  const auto r = computeLayout(QRect(0, 0, 200, 210), p, items);
  EXPECT_EQ(r.rects[0], QRect(10, 10, 180, 40));
  // 190 - 40 - 2*5 = 140 shared by two children.
  EXPECT_EQ(r.rects[1], QRect(10, 55, 180, 70));
  EXPECT_EQ(r.rects[2], QRect(14, 130, 176, 70));
  EXPECT_EQ(r.rects[2].bottom(), 199);
}

TEST(Layout, HiddenAndFloatingChildrenTakeNoSpace) {
  LayoutParams p;
  p.kind = BoxKind::Horizontal;
  std::vector<LayoutItem> items = {fixedItem(30, 0), fixedItem(30, 0), LayoutItem{}};
  items[0].visible = false;
  items[1].floating = true;
  items[1].floatRect = QRect(5, 6, 20, 10);
  const auto r = computeLayout(QRect(100, 0, 100, 50), p, items);
  EXPECT_TRUE(r.rects[0].isNull());
  EXPECT_EQ(r.rects[1], QRect(105, 6, 20, 10));
  EXPECT_EQ(r.rects[2], QRect(100, 0, 100, 50));
}

TEST(Layout, AlignmentAndOverflowReportContentSize) {
  LayoutParams p;
  p.kind = BoxKind::Horizontal;
  p.mainAlign = BoxAlign::End;
  p.crossAlign = BoxAlign::Center;
  std::vector<LayoutItem> items = {fixedItem(20, 10), fixedItem(30, 10)};
  auto r = computeLayout(QRect(0, 0, 100, 40), p, items);
  EXPECT_EQ(r.rects[0], QRect(50, 15, 20, 10));
  EXPECT_EQ(r.rects[1], QRect(70, 15, 30, 10));

  LayoutParams v;
  v.kind = BoxKind::Vertical;
  v.scrollY = 25;
  std::vector<LayoutItem> rows(5, fixedItem(0, 30));
  r = computeLayout(QRect(0, 0, 80, 100), v, rows);
  EXPECT_EQ(r.contentHeight, 150);
  EXPECT_EQ(r.rects[0].top(), -25);
  EXPECT_EQ(r.rects[4].bottom(), 124);
}

TEST(Layout, StackHonoursFixedSizesAndFillsOtherwise) {
  LayoutParams p;
  p.kind = BoxKind::Stack;
  p.inset = QMargins(2, 2, 2, 2);
  std::vector<LayoutItem> items = {LayoutItem{}, fixedItem(10, 10)};
  const auto r = computeLayout(QRect(0, 0, 50, 40), p, items);
  EXPECT_EQ(r.rects[0], QRect(2, 2, 46, 36));
  EXPECT_EQ(r.rects[1], QRect(2, 2, 10, 10));
}

TEST(SliderRules, PositionToValueClampsAndSnaps) {
  EXPECT_EQ(sliderValueFromPos(0, 10, 100, 0, 100, 1), 0);
  EXPECT_EQ(sliderValueFromPos(60, 10, 100, 0, 100, 1), 50);
  EXPECT_EQ(sliderValueFromPos(500, 10, 100, 0, 100, 1), 100);
  EXPECT_EQ(sliderValueFromPos(60, 10, 100, 0, 100, 20), 60);  // 50 snaps to the nearest step
  EXPECT_EQ(sliderValueFromPos(35, 10, 100, 0, 4, 1), 1);
  EXPECT_EQ(sliderValueFromPos(35, 10, 0, 3, 9, 1), 3);  // empty track
  EXPECT_EQ(sliderPosFromValue(2, 100, 0, 4), 50);
  EXPECT_EQ(sliderPosFromValue(99, 100, 0, 4), 100);
}

TEST(EditRules, NumberTextIsClampedOnlyWhenLimited) {
  EXPECT_EQ(clampNumberText("150", true, 0, true, 100), "100");
  EXPECT_EQ(clampNumberText("-5", true, 0, true, 100), "0");
  EXPECT_EQ(clampNumberText("42", true, 0, true, 100), "42");
  EXPECT_EQ(clampNumberText("", true, 10, true, 100), "10");
  EXPECT_EQ(clampNumberText("", false, 0, false, 0), "");
  EXPECT_EQ(clampNumberText("99999999999999", false, 0, true, 65535), "65535");
}
