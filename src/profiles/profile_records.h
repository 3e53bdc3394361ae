#pragma once
// Typed records of the keyboard and mouse sections of a profile, and the pure
// conversions between them and their JSON members.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <json/json.h>

namespace kavro::profiles {

// A 3-byte key function code stored as one integer: byte 0 in bits 16..23,
// byte 1 in bits 8..15, byte 2 in bits 0..7.
using KeyCodeBytes = std::array<std::uint8_t, 3>;
std::uint32_t packKeyCode(const KeyCodeBytes& code);
KeyCodeBytes unpackKeyCode(std::uint32_t value);

// One key position's assignment and its factory default.
struct KeyAssignment {
  std::uint16_t position = 0;
  KeyCodeBytes code{};
  std::uint16_t defaultPosition = 0;
  KeyCodeBytes defaultCode{};

  bool operator==(const KeyAssignment&) const = default;
};

// The 12-byte item form the device and key panel use: position (16 bits, low
// byte first), the code, one spare byte, then the same for the default.
inline constexpr std::size_t kKeyAssignmentItemBytes = 12;
std::array<std::uint8_t, kKeyAssignmentItemBytes> keyAssignmentItem(const KeyAssignment& a);
KeyAssignment keyAssignmentFromItem(const std::array<std::uint8_t, kKeyAssignmentItemBytes>& item);

std::vector<KeyAssignment> keyAssignmentsFromJson(const Json::Value& keyList);
// Writes "Assignment" of every entry into keyList; "DefaultAssignment" is
// left as it is.
void writeKeyAssignments(Json::Value& keyList, const std::vector<KeyAssignment>& list);

// The two 16-bit halves of a system word, and the word of two halves.
constexpr std::uint16_t high16(std::uint32_t w) { return static_cast<std::uint16_t>(w >> 16); }
constexpr std::uint16_t low16(std::uint32_t w) { return static_cast<std::uint16_t>(w & 0xFFFF); }
constexpr std::uint32_t halves(std::uint16_t high, std::uint16_t low) {
  return static_cast<std::uint32_t>(high) << 16 | low;
}

// Three words, each two 16-bit values: high << 16 | low.
struct SystemWords {
  std::uint32_t word0 = 0;
  std::uint32_t word1 = 0;
  std::uint32_t word2 = 0;

  bool operator==(const SystemWords&) const = default;
};
using KeyboardSystemSettings = SystemWords;
using MouseSystemSettings = SystemWords;

// Keyboard "SystemStages": word0 = RepeatDelay|Repeat, word1 =
// PollingRate|Key6Flag, word2 = WinFlag|WFlag.
KeyboardSystemSettings keyboardSystemFromJson(const Json::Value& systemStages);
void writeKeyboardSystem(Json::Value& node, const KeyboardSystemSettings& s);

// Mouse "SystemStages" and "ReportStages": word0 = MouseSpeed|DoubleClickTime,
// word1 = ScorllPage|PointerPrecision, word2 = report stage|WheelScorlllinse.
MouseSystemSettings mouseSystemFromJson(const Json::Value& node);
void writeMouseSystem(Json::Value& node, const MouseSystemSettings& s);

// One DPI stage, 9 bytes on the device.
struct DpiStage {
  std::uint8_t active = 0;   // "StageActive", stage enabled
  std::uint8_t xy = 0;       // "StageXY"
  std::uint16_t dpiX = 0;    // "StageDPIX", in slider steps
  std::uint16_t dpiY = 0;    // "StageDPIY"
  std::uint8_t red = 0;      // "StageColorR"
  std::uint8_t green = 0;
  std::uint8_t blue = 0;

  bool operator==(const DpiStage&) const = default;
};
inline constexpr std::size_t kDpiStageBytes = 9;
std::array<std::uint8_t, kDpiStageBytes> dpiStageBytes(const DpiStage& s);

DpiStage dpiStageFromJson(const Json::Value& element);
Json::Value dpiStageToJson(const DpiStage& s);
// The stages read from a file replace those in memory one by one; stages in
// memory past the ones read are kept.
std::vector<DpiStage> mergeDpiStages(std::vector<DpiStage> inMemory, const std::vector<DpiStage>& read);

// One recoil correction preset ("CorrectInfo").
struct CorrectionEntry {
  std::uint8_t pixThresh = 0;  // "CorrectPixThresh"
  std::uint8_t minSq = 0;      // "CorrectMinSq"
  std::uint8_t select = 0;     // "CorrectSelect"
  std::string name;            // "CorrectName", UTF-8

  bool operator==(const CorrectionEntry&) const = default;
};
std::vector<CorrectionEntry> correctionsFromJson(const Json::Value& list);

}  // namespace kavro::profiles
