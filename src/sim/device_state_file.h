#pragma once
// The kept memory of an emulated device in a small JSON file, so that a demo
// device keeps what it was told across runs, as a real device keeps its
// flash. Each area is a hex string without its trailing zero bytes; reading
// pads it back to the area's size. The file is replaced atomically.
#include <string>

#include <json/json.h>

#include "sim/firmware.h"

namespace kavro::sim {

inline constexpr char kStateKind[] = "Kind";
inline constexpr char kStateSettings[] = "Settings";
inline constexpr char kStateKeyTable[] = "KeyTable";
inline constexpr char kStateColorBanks[] = "ColorBanks";
inline constexpr char kStateMacro[] = "Macro";
inline constexpr char kStateFileExtension[] = ".json";

Json::Value stateDocument(const std::string& kind, const FirmwareState& state);
// Fills out from a document of the same kind, each area padded to the size
// it has in `sizes`. False (out untouched) for another kind, a missing or
// malformed area, or one longer than its size.
bool stateFromDocument(const Json::Value& doc, const std::string& kind, const FirmwareState& sizes,
                       FirmwareState& out);

bool saveStateFile(const std::string& path, const std::string& kind, const FirmwareState& state);
bool loadStateFile(const std::string& path, const std::string& kind, const FirmwareState& sizes, FirmwareState& out);

}  // namespace kavro::sim
