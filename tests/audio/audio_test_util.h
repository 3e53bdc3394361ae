#pragma once
// Helpers of the audio tests: a scratch folder, environment variables set for
// one test, and the built library's path.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "temp_dir.h"
#include <vector>

namespace kavro::audio::test {

using kavro::test::TempDir;

// Sets variables for the lifetime of the object and restores them after.
class EnvGuard {
 public:
  void set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name.c_str());
    saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
    apply(name, value);
  }
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) apply(it->first, it->second);
  }

 private:
  static void apply(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

inline std::string confLibUnderTest() { return KAVRO_CONF_LIB_PATH; }

// Points the library at the simulated card, with the named sink and source
// (nothing: the card's own), and the data folder at `data`.
inline void useSimulatedCard(EnvGuard& env, const TempDir& data, const std::optional<std::string>& sink = std::nullopt,
                             const std::optional<std::string>& source = std::nullopt) {
  env.set("XDG_DATA_HOME", data.path());
  env.set("KAVRO_AUDIO_SIM", "1");
  env.set("KAVRO_AUDIO_SIM_SINK", sink);
  env.set("KAVRO_AUDIO_SIM_SOURCE", source);
}

}  // namespace kavro::audio::test
