#pragma once
// Property values kept by the library, per card and section, saved to its
// state file after every change (written atomically).
#include <optional>
#include <string>
#include <string_view>

#include <json/json.h>

namespace kavro::audio {

class PropertyStore {
 public:
  // An empty path keeps the values in memory only.
  explicit PropertyStore(std::string path = {});

  // Reads the state file; a missing or damaged file gives an empty store.
  void load();

  std::optional<double> get(std::string_view card, std::string_view section, std::string_view name) const;
  double getOr(std::string_view card, std::string_view section, std::string_view name, double fallback) const;

  // Keeps the value and rewrites the state file. False when the file could
  // not be written; the value is kept in memory all the same.
  bool set(std::string_view card, std::string_view section, std::string_view name, double value);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  Json::Value doc_;
};

// "<user data folder>/SDK/osConfLib.json", or "osConfLib-sim.json" for the
// simulated card, so that demo runs never touch the real card's values.
std::string stateFilePath(bool simulated);

}  // namespace kavro::audio
