#pragma once
// The mouse's settings block: lighting state, polling rate, DPI stages,
// screen size and recoil correction, as kept in the mouse's settings memory.
// 71 bytes are built and read; the first 66 are written.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "profiles/light_records.h"
#include "profiles/profile_records.h"

namespace kavro::mouse {

using profiles::CorrectionEntry;
using profiles::DpiStage;
using profiles::LightSetting;
using profiles::MouseSystemSettings;

inline constexpr std::size_t kSettingsBlockSize = 71;
inline constexpr std::size_t kSettingsWriteSize = 66;  // bytes 66..70 are not sent
using SettingsBlock = std::array<std::uint8_t, kSettingsBlockSize>;

// Byte offsets within the block. Bytes 9, 10 and 13 are written as 0.
inline constexpr std::size_t kSbFirstByte = 0;     // 0 from every caller
inline constexpr std::size_t kSbEffect = 1;        // "SelectItem", 0..8
inline constexpr std::size_t kSbBrightness = 2;    // "Light", level 0..5
inline constexpr std::size_t kSbSpeed = 3;         // kMaxSpeed - "Speed"
inline constexpr std::size_t kSbDirection = 4;     // "Fx"; ignored on reading
inline constexpr std::size_t kSbMultiColor = 5;    // "MultiColor"
inline constexpr std::size_t kSbRed = 6;
inline constexpr std::size_t kSbGreen = 7;
inline constexpr std::size_t kSbBlue = 8;
inline constexpr std::size_t kSbPollingRate = 11;  // "ReportStages"/"StageActive"
inline constexpr std::size_t kSbCurrentStage = 12; // "DPIStages"/"StageActive"
inline constexpr std::size_t kSbStages = 14;       // five 9-byte DPI stages
inline constexpr std::size_t kSbScreenFlag = 59;   // 1: the screen size follows
inline constexpr std::size_t kSbScreenWidth = 60;  // 16 bits, low byte first
inline constexpr std::size_t kSbScreenHeight = 62; // 16 bits, low byte first
inline constexpr std::size_t kSbCorrectMinSq = 64;       // of the selected correction
inline constexpr std::size_t kSbCorrectPixThresh = 65;   // of the selected correction

inline constexpr std::size_t kStageCount = 5;
inline constexpr std::uint8_t kScreenSizeFollows = 1;

// Mouse effects are numbered 0..8; anything else is written as effect 0.
inline constexpr std::uint8_t kEffectCount = 9;
// The device stores the speed reversed: byte = kMaxSpeed - speed.
inline constexpr std::uint8_t kMaxSpeed = 4;

// Blocks are kept in slots of this many bytes of settings memory.
inline constexpr std::uint16_t kSettingsSlotStride = 128;
// Reading starts with one byte at this address: the slot of the current block.
inline constexpr std::uint16_t kSlotByteAddress = 0;
inline constexpr std::size_t kSlotByteLength = 1;

constexpr std::uint16_t settingsBlockAddress(std::uint8_t slot) {
  return static_cast<std::uint16_t>(slot * kSettingsSlotStride);
}

// The "SystemStages" and "ReportStages" values, named (the profile keeps
// them as three words).
struct MouseSystemFields {
  std::uint16_t doubleClickTime = 0;   // "DoubleClickTime": double-click slider value
  std::uint16_t mouseSpeed = 0;        // "MouseSpeed": pointer speed slider value
  std::uint16_t pointerPrecision = 0;  // "PointerPrecision": 0 or 1
  std::uint16_t scrollPage = 0;        // "ScorllPage": 0 or 1
  std::uint16_t wheelLines = 0;        // "WheelScorlllinse": scroll speed slider value
  std::uint16_t pollingRate = 0;       // "ReportStages"/"StageActive": polling rate index

  bool operator==(const MouseSystemFields&) const = default;
};
MouseSystemFields systemFields(const MouseSystemSettings& words);
MouseSystemSettings systemWords(const MouseSystemFields& fields);

// The primary screen's size in pixels as the main window recorded it at start.
struct ScreenSize {
  int width = 0;
  int height = 0;
  bool operator==(const ScreenSize&) const = default;
};

// The first correction entry whose "CorrectSelect" is not 0, if any.
std::optional<CorrectionEntry> selectedCorrection(const std::vector<CorrectionEntry>& corrections);

// Index of the current DPI stage as the block carries it: outside 0..4
// (a damaged profile or device answer) it is stage 0.
std::uint8_t currentStageIndex(int stage);

// Everything a settings write is built from.
struct SettingsSource {
  LightSetting light;
  MouseSystemSettings system;
  std::vector<DpiStage> stages;   // the profile's stages; those past five are not sent
  int currentStage = 0;           // "DPIStages"/"StageActive"
  ScreenSize screen;
  std::vector<CorrectionEntry> corrections;
};

// The 71-byte block. Stages beyond the profile's count are zero; a screen
// dimension outside 0..65535 is limited to that range; a speed above
// kMaxSpeed is written as kMaxSpeed.
SettingsBlock encodeSettingsBlock(const SettingsSource& source);

// What a block read from the mouse changes: the lighting fields (effect,
// brightness, speed, multi-colour flag (0 or 1), colour; direction and the rest keep
// their values) and the current DPI stage. A speed byte above kMaxSpeed reads
// as speed 0.
void decodeSettingsBlock(const SettingsBlock& block, LightSetting& light, int& currentStage);

}  // namespace kavro::mouse
