#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "macros/macro_image.h"
#include "macros/macro_image_source.h"

namespace kavro::macros {
namespace {

TEST(MacroImage, MatchesHandBuiltImage) {
  const MacroImageInput macros = {
      {{300, 10, true, 0x04}, {0x1234, 10, false, 0x04}},
      {{0xFFFF, 1, true, 0x02}},
  };
  const std::vector<std::uint8_t> expected = {
      0xAA, 0x55, 40, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
      20, 0, 32, 0,                                           // record offsets
      2, 0, 0, 0, 0x2C, 0x01, 0x8A, 0x04, 0x34, 0x12, 0x0A, 0x04,  // macro 0
      1, 0, 0, 0, 0xFF, 0xFF, 0x81, 0x02,                           // macro 1
  };
  EXPECT_EQ(macroImageLength(macros), 40u);
  EXPECT_EQ(buildMacroImage(macros), expected);
}

TEST(MacroImage, EmptyListIsAHeaderOnly) {
  const auto image = buildMacroImage({});
  ASSERT_EQ(image.size(), 16u);
  EXPECT_EQ(image[0], 0xAA);
  EXPECT_EQ(image[1], 0x55);
  EXPECT_EQ(image[2], 16);
}

TEST(MacroImage, CapacityRule) {
  // Two macros with 25 steps in all: 16 + 12 + 100 = 128 bytes, one unit.
  MacroImageInput atCapacity = {std::vector<MacroImageStep>(10), std::vector<MacroImageStep>(15)};
  MacroDownload fits = planMacroDownload(atCapacity, 1);
  EXPECT_EQ(fits.overflow, 0);
  EXPECT_EQ(fits.image.size(), 128u);

  atCapacity[1].emplace_back();  // 4 bytes over
  MacroDownload over = planMacroDownload(atCapacity, 1);
  EXPECT_EQ(over.overflow, 2);
  EXPECT_TRUE(over.image.empty());

  EXPECT_EQ(macroOverflow(16, 0), 5);  // no macro memory at all
  EXPECT_EQ(macroOverflow(129, 128), 1);
}

TEST(MacroImage, RefusesImagesLongerThanTheLengthField) {
  MacroImageInput huge = {std::vector<MacroImageStep>(16380)};  // 16 + 6 + 65520 bytes
  EXPECT_GT(macroImageLength(huge), kMacroImageMaxLength);
  EXPECT_TRUE(buildMacroImage(huge).empty());
  EXPECT_GT(planMacroDownload(huge, 255).overflow, 0);
}

class MacroFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kavro_macroimg_XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    folder_ = tmpl + "/";
  }
  void TearDown() override {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(folder_ + name) << text; }
  std::string folder_;
};

TEST_F(MacroFolder, LoadsIndexAndEventFilesInListOrder) {
  write("macro.config",
        R"({"MacroInfo":[{"MacroName":"A","Guid":"2024_01_01_00_00_00_001"},)"
        R"({"MacroName":"B","Guid":"2024_01_01_00_00_00_002"}]})");
  write("2024_01_01_00_00_00_001.mac",
        R"({"Events":[{"Type":9,"Button":2,"Action":"down","Delay":"70000"},)"
        R"({"Type":10,"Button":4,"Action":"up","Delay":0}],"Version":64})");
  // Macro B has no event file: it still takes its place, with no steps.
  const MacroSource source = loadMacroSource(folder_);
  ASSERT_TRUE(source.hasIndex);
  ASSERT_EQ(source.macros.size(), 2u);
  EXPECT_EQ(source.macros[0], (std::vector<MacroImageStep>{{65535, 9, true, 2}, {0, 10, false, 4}}));
  EXPECT_TRUE(source.macros[1].empty());
}

TEST_F(MacroFolder, MissingIndexMeansNoMacroList) {
  const MacroSource source = loadMacroSource(folder_);
  EXPECT_FALSE(source.hasIndex);
  EXPECT_TRUE(source.macros.empty());
}

TEST(MacroImage, StepFieldsAreCutToTheirBytes) {
  MacroEvent e;
  e.type = 0x8A;  // a hostile type must not set the "down" bit
  e.button = 0x1FF;
  e.down = false;
  e.delay = -5;
  EXPECT_EQ(imageStep(e), (MacroImageStep{0, 0x0A, false, 0xFF}));
}

}  // namespace
}  // namespace kavro::macros
