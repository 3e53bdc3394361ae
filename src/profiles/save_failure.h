#pragma once
// Where failed saves of the user's changes are reported. The data layer only
// returns results; the layers that act on the user's behalf (devices, panels)
// pass failures to a sink that the window layer provides and that tells the
// user.
#include <string>

namespace kavro::profiles {

class ISaveFailureSink {
 public:
  virtual ~ISaveFailureSink() = default;
  // A save of path failed; the caller keeps the unsaved state in memory.
  // May be called from any thread.
  virtual void saveFailed(const std::string& path) = 0;
};

}  // namespace kavro::profiles
