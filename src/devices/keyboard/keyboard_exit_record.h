#pragma once
// The settings block the program left on the keyboard when it ended,
// remembered in the keyboard's user data folder.
//
// At the next first connect the keyboard's block is compared with it. An
// equal block is ours: nothing has changed on the keyboard since the program
// ended, so the profile's lighting goes back to the keyboard (the block only
// keeps the user's colour while the program is away). Any other block was
// set on the keyboard itself meanwhile and is read into the profile.
#include <optional>
#include <string>

#include "devices/keyboard/keyboard_settings.h"

namespace kavro::keyboard {

inline constexpr char kExitRecordFileName[] = "ExitLighting.json";
inline constexpr char kExitRecordBlockKey[] = "Block";

std::string exitRecordPath(const std::string& userFolder);
// The remembered block; nothing when the file is missing or damaged.
std::optional<SettingsBlock> readExitRecord(const std::string& userFolder);
// Replaces the record atomically. False when it could not be written.
bool writeExitRecord(const std::string& userFolder, const SettingsBlock& block);
// Forgets the record (an exit that could not leave its block).
void removeExitRecord(const std::string& userFolder);

// True when the block read at first connect is the one the program left.
bool isOurExitBlock(const SettingsBlock& read, const std::optional<SettingsBlock>& remembered);

}  // namespace kavro::keyboard
