#pragma once
// A PipeWire daemon of the test's own, in a private runtime folder, with two
// null devices that stand in for the headset's sink and microphone and a
// "default" metadata object naming them. The graph is read with pw-dump.
#include <string>

#include <json/json.h>

#include "audio_test_util.h"

namespace kavro::audio::test {

inline constexpr char kTestSinkName[] = "test_headset_sink";
inline constexpr char kTestSourceName[] = "test_headset_source";

class PrivatePipeWire {
 public:
  PrivatePipeWire() = default;
  ~PrivatePipeWire();
  PrivatePipeWire(const PrivatePipeWire&) = delete;
  PrivatePipeWire& operator=(const PrivatePipeWire&) = delete;

  // Starts the daemon and points this process's PipeWire clients at it.
  // False with the reason when it cannot run here.
  bool start(std::string* why);
  // Makes the test devices the default sink and source.
  bool setDefaults();
  const std::string& runtimeDir() const { return runtime_.path(); }

 private:
  bool waitForSocket();

  TempDir runtime_;
  TempDir config_;
  EnvGuard env_;
  int pid_ = -1;
};

// The graph as pw-dump prints it (null when pw-dump fails).
Json::Value dumpGraph();
// The node of that name in a dump, or nullptr.
const Json::Value* nodeNamed(const Json::Value& dump, const std::string& name);
// The value of a key of the daemon's "default" metadata ("" when unset).
std::string defaultsValue(const std::string& key);
// A program on PATH, or "".
std::string findProgram(const std::string& name);

}  // namespace kavro::audio::test
