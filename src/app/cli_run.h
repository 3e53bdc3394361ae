#pragma once
// Carries out a parsed command against a backend (the running program over
// D-Bus, or the device code in this process) and turns the answer into the
// text for standard output and standard error and the exit code. Pure: the
// backend is an interface, so the tests drive it with a fake.
#include <json/json.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/cli_request.h"

namespace kavro::cli {

// What the program knows of one connected device (the bus object's properties).
struct DeviceRecord {
  std::string kind, name, path, firmware;
  int battery = -1;  // -1: the device reports none
  bool charging = false;
  bool connected = true;
  std::string profile;
  std::vector<std::string> profiles;
  int effect = -1, brightness = -1, speed = -1, direction = -1;
  uint32_t colour = 0;
  std::vector<std::string> effects;  // effect names, indexed as Effect
  std::vector<bool> effectUsable;
};

// Error names of the bus interface, also used by the in-process backend.
inline constexpr char kErrorNoDevice[] = "com.kavro.Config.Error.NoDevice";
inline constexpr char kErrorWrongKind[] = "com.kavro.Config.Error.WrongKind";
inline constexpr char kErrorUnknownProfile[] = "com.kavro.Config.Error.UnknownProfile";
inline constexpr char kErrorOutOfRange[] = "com.kavro.Config.Error.OutOfRange";
inline constexpr char kErrorDevice[] = "com.kavro.Config.Error.DeviceFailed";

struct CallResult {
  bool ok = true;
  std::string errorName;  // one of the names above, or a bus error's name
  std::string message;
  static CallResult failed(std::string name, std::string message) { return {false, std::move(name), std::move(message)}; }
};

// Lighting as SetLighting takes it; negative (or a colour above kMaxColour) keeps the value.
struct LightValues {
  int effect = -1, brightness = -1, speed = -1, direction = -1;
  int64_t colour = kKeepColour;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual CallResult listDevices(std::vector<DeviceRecord>* out) = 0;
  virtual CallResult applyProfile(const std::string& kind, const std::string& name) = 0;
  virtual CallResult setLighting(const std::string& kind, const LightValues& values) = 0;
  virtual CallResult setDpiStage(const std::string& kind, int stage) = 0;
  virtual CallResult setEqualiserPreset(const std::string& kind, int preset) = 0;
};

struct Outcome {
  int exitCode = kExitOk;
  std::string out;  // standard output
  std::string err;  // standard error
};

inline constexpr int kJsonApiVersion = 1;

// The exit code of a failed call, by its error name.
int exitCodeFor(const CallResult& result);

Outcome runRequest(const Request& request, Backend& backend);
// The parse failure as an outcome (usage error).
Outcome usageError(const std::string& error);

// Formatting, exposed for the tests.
Json::Value deviceJson(const DeviceRecord& d);
std::string devicesTable(const std::vector<DeviceRecord>& devices);
std::string colourText(uint32_t rgb);

}  // namespace kavro::cli
