#pragma once
// Where failed saves of the user's changes are reported. The data layer only
// returns results; the layers that act on the user's behalf (devices, panels)
// pass failures to a sink that the window layer provides and that tells the
// user.
#include <string>

namespace kavro::profiles {

// What could not be saved.
enum class SaveFailure {
  Changes,      // the user's changes to a profile (or another data file)
  ProfileList,  // the profile list: profiles cannot be added or removed
};

class ISaveFailureSink {
 public:
  virtual ~ISaveFailureSink() = default;
  // A save of path failed; the caller keeps the unsaved state in memory.
  // May be called from any thread.
  virtual void saveFailed(const std::string& path, SaveFailure what) = 0;
};

}  // namespace kavro::profiles
