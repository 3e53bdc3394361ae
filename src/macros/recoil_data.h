#pragma once
// Recoil (shoot) patterns: per weapon slot, 30 shots, each stored as four
// macro steps in "ShootData_<slot>.Shoot" (press, release, horizontal move,
// vertical move).
#include <array>
#include <string>

#include <json/json.h>

namespace kavro::macros {

inline constexpr int kRecoilSlotCount = 4;
inline constexpr int kShotsPerPattern = 30;
inline constexpr int kEventsPerShot = 4;
inline constexpr int kEventsPerPattern = kShotsPerPattern * kEventsPerShot;

inline constexpr char kShootFilePrefix[] = "ShootData_";
inline constexpr char kShootFileExtension[] = ".Shoot";

// Fixed waits of every shot: after the press, after the release, after the
// horizontal move. The vertical move carries the shot's own delay.
inline constexpr int kShotPressDelay = 10;
inline constexpr int kShotReleaseDelay = 0;
inline constexpr int kShotHorizontalDelay = 5;

// A distance is one byte in the mouse's macro memory.
inline constexpr int kMaxShotDistance = 255;

struct ShotSetting {
  bool moveLeft = false;  // horizontal move left ("down") or right ("up")
  int horizontal = 0;     // 0..kMaxShotDistance
  bool moveUp = false;    // vertical move up ("down") or down ("up")
  int vertical = 0;       // 0..kMaxShotDistance
  int delay = 0;          // wait after the shot, 0..65535 ms
  bool operator==(const ShotSetting&) const = default;
};
using RecoilPattern = std::array<ShotSetting, kShotsPerPattern>;

int clampRecoilSlot(int slot);
int clampShot(int shot);
// "ShootData_<slot>.Shoot" for a slot clamped to 0..3.
std::string shootFileName(int slot);

// The shot's values from a pattern document; missing or damaged elements
// read as 0 and "right"/"down".
ShotSetting readShot(const Json::Value& document, int shot);
RecoilPattern readPattern(const Json::Value& document);

// Writes the shot's four steps into the document. A document that is not a
// full pattern (missing, empty, short "Events") is first completed with
// empty shots, so the file always holds all 120 steps. Values are clamped.
void storeShot(Json::Value& document, int shot, const ShotSetting& setting);
Json::Value patternDocument(const RecoilPattern& pattern);

// File operations on a folder (ending in '/' or not).
ShotSetting loadShot(const std::string& folder, int slot, int shot);
bool saveShot(const std::string& folder, int slot, int shot, const ShotSetting& setting);
// Copies the slot's factory file byte for byte over the user's file. When the
// factory file is missing the user's file is left empty.
bool resetPatternFile(const std::string& defaultFolder, const std::string& userFolder, int slot);

}  // namespace kavro::macros
