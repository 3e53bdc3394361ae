#pragma once
// File and folder names of the profile data, and the per-user folders.
#include <string>

namespace kavro::profiles {

inline constexpr char kProductFolderName[] = "KAVRO TR-P40 Mechanical Keyboard";
inline constexpr char kDefaultDataFolderName[] = "DefaultData";
inline constexpr char kProfileExtension[] = ".Json";  // capital J, as the files have always had
inline constexpr char kProfileListFileName[] = "ProfileList.ini";
inline constexpr char kLightConfigBaseName[] = "vexor_light";
inline constexpr char kLightConfigExtension[] = ".config";
inline constexpr char kLightFileExtension[] = ".light";
inline constexpr char kDefaultLightFileName[] = "default_light.json";
inline constexpr char kLanguageFileName[] = "Language.config";

// Device type names: the per-user sub-folder and the factory file's base name.
inline constexpr char kKeyboardTypeName[] = "keyboard";
inline constexpr char kMouseTypeName[] = "mouse";
inline constexpr char kMousePadTypeName[] = "MousePad";
inline constexpr char kHeadsetTypeName[] = "HD";

// folder + "/" + name; folder may or may not end in a separator.
std::string joinPath(const std::string& folder, const std::string& name);

// $XDG_DATA_HOME (or ~/.local/share) + "/" + kProductFolderName.
std::string userDataRoot();
// userDataRoot() + "/" + typeName.
std::string deviceProfileFolder(const std::string& typeName);
// "<exeDir>/DefaultData".
std::string defaultDataFolderFor(const std::string& exeDir);

// Creates the folder and every missing level above it. True when it exists
// as a folder afterwards.
bool ensureFolder(const std::string& path);

// True for a name that stays inside its folder when joined to it: not empty,
// not "." or "..", no '/' and no NUL.
bool isPlainFileName(const std::string& name);

}  // namespace kavro::profiles
