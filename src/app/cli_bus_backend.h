#pragma once
// The command line's backends: the running program over the session bus,
// and the device code of this process (no window) through DeviceScriptService.
#include "app/cli_run.h"

namespace kavro::app {

class DeviceScriptService;

class BusBackend : public cli::Backend {
 public:
  // True when a program offers the service on the session bus.
  static bool programRuns();
  cli::CallResult listDevices(std::vector<cli::DeviceRecord>* out) override;
  cli::CallResult applyProfile(const std::string& kind, const std::string& name) override;
  cli::CallResult setLighting(const std::string& kind, const cli::LightValues& values) override;
  cli::CallResult setDpiStage(const std::string& kind, int stage) override;
  cli::CallResult setEqualiserPreset(const std::string& kind, int preset) override;
};

class LocalBackend : public cli::Backend {
 public:
  explicit LocalBackend(DeviceScriptService& service) : service_(service) {}
  cli::CallResult listDevices(std::vector<cli::DeviceRecord>* out) override;
  cli::CallResult applyProfile(const std::string& kind, const std::string& name) override;
  cli::CallResult setLighting(const std::string& kind, const cli::LightValues& values) override;
  cli::CallResult setDpiStage(const std::string& kind, int stage) override;
  cli::CallResult setEqualiserPreset(const std::string& kind, int preset) override;

 private:
  DeviceScriptService& service_;
};

}  // namespace kavro::app
