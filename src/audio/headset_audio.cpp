#include "audio/headset_audio.h"

#include <cmath>
#include <cstdio>

#include "audio/device_select.h"

namespace kavro::audio {
namespace {

// Channel words of the two level properties: every channel of the
// microphone, the first channel of the monitor.
constexpr int kMicChannel = -1;
constexpr int kMonitorChannel = 0;
constexpr double kPercent = 100.0;
constexpr int kMaxLevel = 100;

std::string bandName(int band) { return "EQ_Slider" + std::to_string(band + 1); }

}  // namespace

std::string HeadsetAudio::dbText(double db) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", db);
  return text;
}

StartupReport HeadsetAudio::start() {
  StartupReport report;
  ready_ = false;
  report.loaded = lib_.loaded();
  if (!report.loaded) return report;
  report.initFailed = lib_.init() != OSCONF_OK;
  lib_.createDeviceList();
  int count = 0;
  if (lib_.deviceCount(OSCONF_LIST_PLAYBACK, &count) != OSCONF_OK || count == 0) return report;
  if (!selectDevices()) return report;
  report.devicesFound = true;
  const bool playbackOk = readFeatures(playback_, &state_.playbackFeatures);
  const bool captureOk = readFeatures(capture_, &state_.captureFeatures);
  report.featuresFailed = !playbackOk || !captureOk;
  ready_ = true;
  readState();
  readLevels();
  return report;
}

bool HeadsetAudio::selectDevices() {
  auto p = selectPlayback(lib_.devices(OSCONF_LIST_PLAYBACK));
  auto c = selectCapture(lib_.devices(OSCONF_LIST_CAPTURE));
  if (!p || !c) return false;
  playback_ = *p;
  capture_ = *c;
  return true;
}

bool HeadsetAudio::readFeatures(const OsConfDevice& device, std::array<int, kKeptFeatureFields.size()>* out) {
  std::string text;
  if (lib_.read(device, "GetSupportFeature", &text) != OSCONF_OK) return false;
  const auto fields = splitFeatures(text);
  if (fields.size() < kMinFeatureFields) return false;
  for (std::size_t i = 0; i < kKeptFeatureFields.size(); ++i) {
    (*out)[i] = std::atoi(fields[static_cast<std::size_t>(kKeptFeatureFields[i])].c_str());
  }
  return true;
}

void HeadsetAudio::readDouble(const OsConfDevice& device, const std::string& name, double* out,
                              std::optional<int> channel) {
  if (auto v = lib_.readNumber(device, name, channel)) *out = *v;
}

void HeadsetAudio::readInt(const OsConfDevice& device, const std::string& name, int* out) {
  if (auto v = lib_.readNumber(device, name)) *out = static_cast<int>(std::lround(*v));
}

void HeadsetAudio::readFlag(const OsConfDevice& device, const std::string& name, bool* out) {
  if (auto v = lib_.readNumber(device, name)) *out = *v != 0;
}

// A value the chip must have: written 0 when it cannot be read.
void HeadsetAudio::readOrZero(const OsConfDevice& device, const std::string& name, int* out) {
  if (auto v = lib_.readNumber(device, name)) {
    *out = static_cast<int>(std::lround(*v));
  } else if (lib_.writeInt(device, name, 0) == OSCONF_OK) {
    *out = 0;
  }
}

void HeadsetAudio::readLevel(const OsConfDevice& device, const std::string& name, int channel, int* out) {
  if (auto v = lib_.readNumber(device, name, channel)) *out = static_cast<int>(std::lround(*v * kPercent));
}

void HeadsetAudio::readState() {
  lib_.writeInt(playback_, "XearSurrHP_Enable", 0);  // headphone surround off
  int noiseCancel = state_.noiseCancel ? 1 : 0;
  readOrZero(capture_, "Enable_ENC_LFX", &noiseCancel);
  state_.noiseCancel = noiseCancel != 0;
  readDouble(capture_, "VolumeControl", &state_.micDb);
  int eq = state_.eqEnabled ? 1 : 0;
  readOrZero(playback_, "Enable_EQ_GFX", &eq);
  state_.eqEnabled = eq != 0;
  for (int band = 0; band < kHeadsetEqBands; ++band) readOrZero(playback_, bandName(band), &state_.bands[band]);
  readFlag(playback_, "Enable_RFX_GFX", &state_.roomEffect);
  readInt(playback_, "RFX_ENVIRONMENT", &state_.roomEnvironment);
  readInt(playback_, "RFX_ROOMSIZE", &state_.roomSize);
  readFlag(capture_, "MuteControl", &state_.micMuted);
  readLevel(capture_, "VolumeScalarControl", kMicChannel, &state_.micLevel);
  readDouble(capture_, "AAVolumeControl", &state_.monitorDb);
  readFlag(capture_, "AAMuteControl", &state_.monitorMuted);
  readLevel(capture_, "AAVolumeScalarControl", kMonitorChannel, &state_.monitorLevel);
  readFlag(capture_, "Enable_MAGICVOICE", &state_.voiceChangerOn);
  readOrZero(capture_, "MagicVoice_Selection", &state_.voiceSelection);
}

void HeadsetAudio::readLevels() {
  if (!ready_) return;
  readDouble(capture_, "GetMaxVol", &ranges_.maxDb);
  readDouble(capture_, "GetMinVol", &ranges_.minDb);
  readDouble(capture_, "GetVolStep", &ranges_.stepDb);
  readDouble(capture_, "GetAAMaxVol", &ranges_.aaMaxDb);
  readDouble(capture_, "GetAAMinVol", &ranges_.aaMinDb);
  readDouble(capture_, "GetAAVolStep", &ranges_.aaStepDb);
  readFlag(capture_, "MuteControl", &state_.micMuted);
  readLevel(capture_, "VolumeScalarControl", kMicChannel, &state_.micLevel);
  readFlag(capture_, "AAMuteControl", &state_.monitorMuted);
  readLevel(capture_, "AAVolumeScalarControl", kMonitorChannel, &state_.monitorLevel);
}

bool HeadsetAudio::setMicLevel(int level) {
  if (!ready_ || level < 0 || level > kMaxLevel) return false;
  if (lib_.writeFloat(capture_, "VolumeScalarControl", static_cast<float>(level / kPercent), kMicChannel) !=
      OSCONF_OK) {
    return false;
  }
  state_.micLevel = level;
  readDouble(capture_, "VolumeControl", &state_.micDb);
  return true;
}

bool HeadsetAudio::setMicMuted(bool muted) {
  if (!ready_ || lib_.writeInt(capture_, "MuteControl", muted ? 1 : 0) != OSCONF_OK) return false;
  state_.micMuted = muted;
  return true;
}

bool HeadsetAudio::setMonitorLevel(int level) {
  if (!ready_ || level < 0 || level > kMaxLevel) return false;
  if (lib_.writeFloat(capture_, "AAVolumeScalarControl", static_cast<float>(level / kPercent), kMonitorChannel) !=
      OSCONF_OK) {
    return false;
  }
  state_.monitorLevel = level;
  readDouble(capture_, "AAVolumeControl", &state_.monitorDb);
  return true;
}

bool HeadsetAudio::setMonitorMuted(bool muted) {
  if (!ready_ || lib_.writeInt(capture_, "AAMuteControl", muted ? 1 : 0) != OSCONF_OK) return false;
  state_.monitorMuted = muted;
  return true;
}

bool HeadsetAudio::setBand(int band, int gain) {
  if (!ready_ || band < 0 || band >= kHeadsetEqBands) return false;
  if (lib_.writeInt(playback_, bandName(band), gain) != OSCONF_OK) return false;
  state_.bands[band] = gain;
  return true;
}

bool HeadsetAudio::applyBands(const std::array<int, kHeadsetEqBands>& gains) {
  if (!ready_ || lib_.writeInt(playback_, "Enable_EQ_GFX", 1) != OSCONF_OK) return false;
  state_.eqEnabled = true;
  bool all = true;
  for (int band = 0; band < kHeadsetEqBands; ++band) all = setBand(band, gains[band]) && all;
  return all;
}

bool HeadsetAudio::setVoiceChanger(bool on) {
  if (!ready_ || lib_.writeInt(capture_, "Enable_MAGICVOICE", on ? 1 : 0) != OSCONF_OK) return false;
  state_.voiceChangerOn = on;
  if (on) lib_.writeInt(capture_, "Enable_MICECHO", 0);
  return true;
}

bool HeadsetAudio::setVoiceEffect(int effect) {
  if (!ready_ || effect < 1 || effect > kMaxVoiceEffect) return false;
  if (lib_.writeInt(capture_, "MagicVoice_Selection", effect - 1) != OSCONF_OK) return false;
  state_.voiceSelection = effect - 1;
  return true;
}

bool HeadsetAudio::equaliserActive() {
  auto v = ready_ ? lib_.readNumber(playback_, "EQ_Active") : std::nullopt;
  return v && *v != 0;
}

}  // namespace kavro::audio
