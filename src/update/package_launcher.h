#pragma once
// Starting a downloaded package. The program's own package is handed to the
// desktop (xdg-open), so the user's package tool takes it; a device firmware
// package is a program: it is made executable and run without a shell, and
// waited for.
#include <string>

namespace kavro {
class Event;
}

namespace kavro::update {

struct LaunchSettings {
  std::string opener = "xdg-open";  // the desktop's opener for the program's own package
};

struct LaunchOutcome {
  enum class Kind { Done, Failed, StillRunning };
  Kind kind = Kind::Failed;
  std::string detail;  // for the debug output
  bool ok() const { return kind == Kind::Done; }
};

// Starts the package at file; deviceId is the answer's "device_id" (1: the
// program's own package). Waits until the opener or the firmware program has
// ended, or stop is set (the program is then left running).
LaunchOutcome launchPackage(const std::string& file, int deviceId, Event* stop, const LaunchSettings& settings = {});

}  // namespace kavro::update
