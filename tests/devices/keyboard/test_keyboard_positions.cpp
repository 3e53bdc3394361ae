#include <gtest/gtest.h>

#include <set>

#include "devices/keyboard/keyboard_positions.h"

namespace kavro::keyboard {
namespace {

// A device key code table of n keys (512-byte buffer) holding the given codes.
std::vector<std::uint8_t> deviceTable(const std::vector<KeyCodeBytes>& codes) {
  std::vector<std::uint8_t> t(kDeviceTableBufferSize, 0xEE);
  for (std::size_t k = 0; k < codes.size(); ++k)
    std::copy(codes[k].begin(), codes[k].end(), t.begin() + static_cast<std::ptrdiff_t>(3 * k));
  return t;
}

const KeyCodeBytes kEsc = kDefaultKeyCodes[0];
const KeyCodeBytes kSpace = kDefaultKeyCodes[108];
const KeyCodeBytes kForeign = {0x20, 0x00, 0xE7};  // a code no position has

TEST(KeyboardPositions, FactoryCodesAreDistinctExceptEmptySlots) {
  // Every position with a key has its own code; the slots without a key
  // share the empty code and must therefore never map.
  std::set<KeyCodeBytes> seen;
  std::size_t empty = 0;
  for (const KeyCodeBytes& c : kDefaultKeyCodes) {
    if (c == KeyCodeBytes{0x20, 0, 0}) { ++empty; continue; }
    EXPECT_TRUE(seen.insert(c).second) << int(c[0]) << " " << int(c[1]) << " " << int(c[2]);
  }
  EXPECT_EQ(empty, 5u);  // positions 18, 19, 20, 62, 104
  EXPECT_EQ(kDefaultKeyCodes[120], (KeyCodeBytes{0xD0, 0xA2, 0x01}));
  EXPECT_EQ(kDefaultKeyCodes[125], (KeyCodeBytes{0x20, 0x80, 0x00}));
}

TEST(KeyboardPositions, MapsFirstMatchingDeviceKeyAndLeavesOthersUnmapped) {
  const auto table = deviceTable({kForeign, kSpace, kEsc, kSpace});
  const PositionMap pos = buildKeyToTablePos(table, 4);
  EXPECT_EQ(pos[0], 2);    // Esc
  EXPECT_EQ(pos[108], 1);  // Space: the lower of the two device keys
  for (std::size_t p = 0; p < kPositionCount; ++p)
    if (p != 0 && p != 108) {
      EXPECT_EQ(pos[p], kUnmapped) << p;
    }

  std::vector<std::uint8_t> leds(kDeviceTableBufferSize, 0);
  leds[1] = 40;
  leds[2] = 7;
  const PositionMap led = buildKeyToLed(pos, leds, 4);
  EXPECT_EQ(led[0], 7);
  EXPECT_EQ(led[108], 40);
  EXPECT_EQ(led[1], kUnmapped);

  EXPECT_EQ(positionOfDeviceKey(pos, 2), 0);
  EXPECT_EQ(positionOfDeviceKey(pos, 3), -1);  // shadowed duplicate
  EXPECT_EQ(positionOfDeviceKey(pos, kUnmapped), -1);
}

TEST(KeyboardPositions, KeysBeyondTheCountOrTheBufferAreNotMapped) {
  const auto table = deviceTable({kForeign, kEsc});
  EXPECT_EQ(buildKeyToTablePos(table, 1)[0], kUnmapped);  // Esc is device key 1 of 1
  EXPECT_TRUE(keyTableFits(170));
  EXPECT_FALSE(keyTableFits(171));  // 513 bytes
  const PositionMap none = buildKeyToTablePos(table, 171);
  for (std::uint8_t e : none) EXPECT_EQ(e, kUnmapped);
}

TEST(KeyboardPositions, KeyTableImageChangesOnlyMappedKeys) {
  const auto table = deviceTable({kForeign, kEsc, kSpace});
  const PositionMap pos = buildKeyToTablePos(table, 3);
  std::vector<KeyAssignment> assign(kPositionCount);
  for (auto& a : assign) a.code = {0x10, 0x01, 0x00};  // every position: left mouse button
  assign[0].code = {0x30, 0xE9, 0x00};

  const auto image = keyTableImage(table, 3, pos, assign);
  ASSERT_EQ(image.size(), 9u);
  EXPECT_EQ((std::vector<std::uint8_t>(image.begin(), image.begin() + 3)),
            (std::vector<std::uint8_t>{kForeign.begin(), kForeign.end()}));  // no position -> untouched
  EXPECT_EQ((std::vector<std::uint8_t>(image.begin() + 3, image.end())),
            (std::vector<std::uint8_t>{0x30, 0xE9, 0x00, 0x10, 0x01, 0x00}));

  // A short assignment list leaves the later positions' keys as they are.
  const auto partial = keyTableImage(table, 3, pos, std::vector<KeyAssignment>(assign.begin(), assign.begin() + 1));
  EXPECT_EQ(partial[6], kSpace[0]);
  EXPECT_EQ(partial[8], kSpace[2]);

  EXPECT_TRUE(keyTableImage(table, 171, pos, assign).empty());
}

TEST(KeyboardPositions, DanglingMacroKeysFallBackToTheirDefault) {
  KeyAssignment keep{5, {0x70, 1, 0}, 5, {0x20, 0, 0x04}};
  KeyAssignment dangling{6, {0x71, 2, 3}, 6, {0x20, 0, 0x05}};
  KeyAssignment other{7, {0x10, 4, 0}, 7, {0x20, 0, 0x06}};
  std::vector<KeyAssignment> list{keep, dangling, other};
  EXPECT_TRUE(resetDanglingMacroKeys(list, 2));
  EXPECT_EQ(list[0], keep);
  EXPECT_EQ(list[1].code, (KeyCodeBytes{0x20, 0, 0x05}));
  EXPECT_EQ(list[2], other);
  EXPECT_FALSE(resetDanglingMacroKeys(list, 2));  // nothing left to change
  EXPECT_TRUE(resetDanglingMacroKeys(list, 0));   // no macros: every macro key goes
  EXPECT_EQ(list[0].code, (KeyCodeBytes{0x20, 0, 0x04}));
}

}  // namespace
}  // namespace kavro::keyboard
