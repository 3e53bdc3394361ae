#pragma once
// The headset's side of the audio library: the start-up reads, the level
// ranges and the property calls behind each audio operation, in the order
// and value forms the library expects. Profiles, presets and panels stay
// with the headset device; this class only talks to the library and keeps
// the last values it read (a failed read leaves the previous value).
#include <array>
#include <optional>
#include <string>

#include "audio/conf_lib_loader.h"
#include "audio/eq_curve.h"

namespace kavro::audio {

inline constexpr int kHeadsetEqBands = kEqBandCount;
// Voice effects are 1..kMaxVoiceEffect.
inline constexpr int kMaxVoiceEffect = 4;
// Fields of the feature list the headset keeps, and how many it needs.
inline constexpr int kMinFeatureFields = 7;
inline constexpr std::array<int, 3> kKeptFeatureFields{0, 4, 6};

// Messages the headset shows when start-up finds a problem.
inline constexpr char kInitFailedMessage[] = "ConfLibInit called failed!";
inline constexpr char kFeatureFailedMessage[] = "UpdateAPOAvailable failed!";

struct LevelRanges {
  double maxDb = 0, minDb = 0, stepDb = 0;        // "GetMaxVol", "GetMinVol", "GetVolStep"
  double aaMaxDb = 0, aaMinDb = 0, aaStepDb = 0;  // the "AA" forms
};

// What the chip reported last.
struct ChipState {
  bool micMuted = false;
  int micLevel = 0;        // 0..100
  bool monitorMuted = false;
  int monitorLevel = 0;    // 0..100
  bool eqEnabled = false;
  std::array<int, kHeadsetEqBands> bands{};
  bool voiceChangerOn = false;
  int voiceSelection = 0;  // library form: effect - 1
  bool noiseCancel = false;
  bool roomEffect = false;
  int roomEnvironment = 0;
  int roomSize = 0;
  double micDb = 0;
  double monitorDb = 0;
  std::array<int, kKeptFeatureFields.size()> playbackFeatures{};
  std::array<int, kKeptFeatureFields.size()> captureFeatures{};
};

struct StartupReport {
  bool loaded = false;          // the library and all its functions are there
  bool initFailed = false;      // show kInitFailedMessage
  bool featuresFailed = false;  // show kFeatureFailedMessage
  bool devicesFound = false;    // list 0 has entries and the records were selected
};

class HeadsetAudio {
 public:
  explicit HeadsetAudio(ConfLib& lib) : lib_(lib) {}

  // Everything after loading: init, device lists, selection, feature lists,
  // the audio state and the level ranges.
  StartupReport start();
  bool ready() const { return ready_; }
  const OsConfDevice& playback() const { return playback_; }
  const OsConfDevice& capture() const { return capture_; }

  // The level ranges and the microphone and monitor states (again on first
  // connect).
  void readLevels();
  const LevelRanges& ranges() const { return ranges_; }
  const ChipState& state() const { return state_; }

  // Operations. Each returns true when the library took the value; on false
  // the kept state is unchanged.
  bool setMicLevel(int level);      // then the dB level is read ("%.2f" in micDbText)
  bool setMicMuted(bool muted);
  bool setMonitorLevel(int level);
  bool setMonitorMuted(bool muted);
  bool setBand(int band, int gain);                               // band 0..9
  bool applyBands(const std::array<int, kHeadsetEqBands>& gains);  // equaliser on, then every band
  bool setVoiceChanger(bool on);                                  // on also turns the mic echo off
  bool setVoiceEffect(int effect);                                // effect 1..4; 0 is ignored
  // True while the equaliser really shapes the playback (PipeWire runs).
  bool equaliserActive();

  // Level in dB as the panel shows it.
  static std::string dbText(double db);

 private:
  bool selectDevices();
  bool readFeatures(const OsConfDevice& device, std::array<int, kKeptFeatureFields.size()>* out);
  void readState();
  void readOrZero(const OsConfDevice& device, const std::string& name, int* out);
  void readFlag(const OsConfDevice& device, const std::string& name, bool* out);
  void readInt(const OsConfDevice& device, const std::string& name, int* out);
  void readDouble(const OsConfDevice& device, const std::string& name, double* out,
                  std::optional<int> channel = std::nullopt);
  void readLevel(const OsConfDevice& device, const std::string& name, int channel, int* out);

  ConfLib& lib_;
  bool ready_ = false;
  OsConfDevice playback_{};
  OsConfDevice capture_{};
  LevelRanges ranges_;
  ChipState state_;
};

}  // namespace kavro::audio
