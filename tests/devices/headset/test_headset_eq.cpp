// The equaliser presets and the rules of the user's named presets.
#include <gtest/gtest.h>

#include "devices/headset/headset_eq.h"

namespace kavro::headset {
namespace {

TEST(HeadsetEq, FixedPresetsAndNumbersOutsideThem) {
  EXPECT_EQ(fixedEqPreset(5), EqBands{});
  EXPECT_EQ(fixedEqPreset(1), (EqBands{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
  EXPECT_EQ(fixedEqPreset(12), (EqBands{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
  EXPECT_EQ(fixedEqPreset(6)[2], -13);  // the lowest gain of the table
  EXPECT_EQ(fixedEqPreset(11)[0], 18);  // and the highest
  for (int p : {0, 13, 14, -1}) EXPECT_EQ(fixedEqPreset(p), EqBands{}) << p;
  EXPECT_FALSE(isEqPresetChoice(0));
  EXPECT_TRUE(isEqPresetChoice(13));
  EXPECT_FALSE(isEqPresetChoice(14));
  EXPECT_EQ(toBands({1, 2, 3}), (EqBands{1, 2, 3}));
}

TEST(HeadsetEq, SavingAddsUniqueNamesUpToTwenty) {
  UserPresets presets;
  const EqBands bands{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(saveUserPreset(presets, -1, "Bass", bands), SavePresetResult::Added);
  EXPECT_EQ(saveUserPreset(presets, -1, "bASS", EqBands{}), SavePresetResult::NameTaken);
  for (int i = 1; i < kMaxUserPresets; ++i)
    ASSERT_EQ(saveUserPreset(presets, -1, "p" + std::to_string(i), EqBands{}), SavePresetResult::Added);
  EXPECT_EQ(saveUserPreset(presets, -1, "one more", bands), SavePresetResult::ListFull);
  ASSERT_EQ(presets.names.size(), 20u);
  EXPECT_EQ(presets.values[0], bands);
  // An empty name overwrites the selected row, even with a full list.
  EXPECT_EQ(saveUserPreset(presets, 3, "", bands), SavePresetResult::Overwritten);
  EXPECT_EQ(presets.values[3], bands);
  EXPECT_EQ(saveUserPreset(presets, -1, "", bands), SavePresetResult::NoneSelected);
  EXPECT_EQ(saveUserPreset(presets, 20, "", bands), SavePresetResult::NoneSelected);
}

TEST(HeadsetEq, DeletingKeepsNamesAndValuesInStep) {
  UserPresets presets{{"a", "b", "c"}, {EqBands{1}, EqBands{2}, EqBands{3}}};
  EXPECT_FALSE(deleteUserPreset(presets, -1));
  EXPECT_FALSE(deleteUserPreset(presets, 3));
  ASSERT_TRUE(deleteUserPreset(presets, 1));
  EXPECT_EQ(presets.names, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(presets.values, (std::vector<EqBands>{EqBands{1}, EqBands{3}}));
}

}  // namespace
}  // namespace kavro::headset
