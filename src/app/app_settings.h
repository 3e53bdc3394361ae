#pragma once
// The program's own settings beside the data files: the language choice
// ("LANGUAGE", the language id in decimal), the skin (tone and accent) and
// the input capture source ("InputCapture").
// They live in an INI file under $XDG_CONFIG_HOME, read afresh on every call
// so that a second process or a test sees what was stored last.
#include <QString>
#include <optional>

#include "skin/skin_theme.h"

namespace kavro::app {

inline constexpr char kLanguageKey[] = "LANGUAGE";
inline constexpr char kSkinToneKey[] = "SKIN_TONE";
inline constexpr char kSkinAccentKey[] = "SKIN_ACCENT";

// "$XDG_CONFIG_HOME/<product>/settings.ini" ($HOME/.config when unset).
QString settingsFilePath();

// The stored language id; none when missing or not a decimal number.
std::optional<int> storedLanguageId();
// Stores the id; false when the file could not be written.
bool storeLanguageId(int id);

// The stored skin; the dark look with the layout accent when nothing usable is stored.
skin::SkinTheme storedSkinTheme();
bool storeSkinTheme(const skin::SkinTheme& theme);

// Whether input capture reads the kernel's input devices (system-wide, needs
// read access to /dev/input) rather than grabbing through the window system.
bool storedSystemWideCapture();
bool storeSystemWideCapture(bool on);

}  // namespace kavro::app
