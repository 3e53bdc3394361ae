#pragma once
// The data side of the recoil editor: which slot and shot are selected, what
// the controls show, and the pattern files behind them - stored shots, reset
// from the factory patterns, import and export of one slot's pattern, and the
// spray path drawn beside the numbers. The pattern format itself is in
// macros/recoil_data.h.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <json/json.h>

#include "macros/recoil_data.h"

namespace kavro::mouse {

using macros::RecoilPattern;
using macros::ShotSetting;

// The user's folder (the pattern files the mouse gets) and the factory folder
// (the shipped patterns, read only).
struct RecoilFolders {
  std::string user;
  std::string factory;
};

// ---- selection and controls --------------------------------------------------

inline constexpr int kNoShot = -1;  // no shot selected yet

// Previous and next from the selected shot, kept within the 30 shots (from
// "no shot" both go to the first).
int previousShot(int selected);
int nextShot(int selected);
// "bullet_select_index" shows the shot counted from 1.
std::string shotNumberText(int shot);

// The language keys of the two direction options.
const char* horizontalText(bool moveLeft);  // "bullet_x_check": selected means left
const char* verticalText(bool moveUp);      // "bullet_y_check": selected means up

// The shot from the controls: the two direction options and the three edits
// (a number up to its first other character; empty or no number reads as 0;
// distances are limited to 0..255 and the delay to 0..65535).
ShotSetting shotFromControls(bool moveLeft, std::string_view horizontal, bool moveUp, std::string_view vertical,
                             std::string_view delay);

// ---- pattern files ------------------------------------------------------------

// The pattern a document holds when it is a complete, well-formed pattern:
// an object whose "Events" has exactly 120 steps, each with the type, button
// and action its place in the shot calls for, integer distances 0..255 and
// delays 0..65535 (integers, or decimal text as macro files allow). Nothing
// otherwise; `why` then says what is wrong.
std::optional<RecoilPattern> patternFromDocument(const Json::Value& document, std::string* why = nullptr);

// The pattern the editor shows for a slot: the user's file, or, while the
// user has none that can be read, the factory pattern. Damaged steps read as
// empty shots.
RecoilPattern loadPattern(const RecoilFolders& folders, int slot);

// Gives the user a pattern file for the slot when there is none that can be
// read (missing, empty or unparsable), copied from a valid factory pattern,
// so that storing one shot never turns the other 29 into empty ones. True
// when the user has a readable file afterwards.
bool ensureUserPattern(const RecoilFolders& folders, int slot);

// Stores one shot (the edits losing focus, or the save button) into the
// slot's user file. False when the file could not be written.
bool storeShot(const RecoilFolders& folders, int slot, int shot, const ShotSetting& setting);

enum class RecoilFileResult {
  Done,
  SourceMissing,  // the file to read is missing or unreadable
  NotAPattern,    // it is not a valid 120-step pattern: nothing was changed
  WriteFailed,    // the target could not be written: it is as it was
};

// Reset: the slot's factory file replaces the user's, byte for byte. A
// missing or damaged factory file leaves the user's file as it is.
RecoilFileResult resetPattern(const RecoilFolders& folders, int slot);

// Import: a valid pattern file from anywhere becomes the slot's user file
// (written in the pattern layout, with the fixed steps and integers).
RecoilFileResult importPattern(const std::string& sourcePath, const RecoilFolders& folders, int slot);

// Export: the slot's pattern, as the editor shows it, written to targetPath.
RecoilFileResult exportPattern(const RecoilFolders& folders, int slot, const std::string& targetPath);

// ---- spray path ----------------------------------------------------------------

// Where the aim has been moved after each shot: the corrections of shots
// 0..n added up, x to the right and y downwards (screen directions).
struct SprayPoint {
  int x = 0;
  int y = 0;
  bool operator==(const SprayPoint&) const = default;
};
std::vector<SprayPoint> sprayPath(const RecoilPattern& pattern);

// The smallest box holding the start (0, 0) and every point of a path.
struct SprayBounds {
  int minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool operator==(const SprayBounds&) const = default;
};
SprayBounds sprayBounds(const std::vector<SprayPoint>& path);

}  // namespace kavro::mouse
