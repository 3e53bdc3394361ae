#pragma once
// Shared set-up of the headset device and panel tests: one private data
// folder and the simulated audio card for the whole test program (the audio
// library keeps one state per process), a fresh profile folder per test, and
// reads of the card's properties and of the saved profile.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "audio/conf_lib_loader.h"
#include "audio/device_select.h"
#include "devices/headset/headset_device.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"

namespace kavro::test {

class HeadsetAudioEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", home_.path().toUtf8().constData(), 1);
    ::setenv("KAVRO_AUDIO_SIM", "1", 1);
    ::unsetenv("KAVRO_AUDIO_SIM_SINK");
    ::unsetenv("KAVRO_AUDIO_SIM_SOURCE");
    ::setenv("KAVRO_AUDIO_EFFECTS", "0", 1);
  }

 private:
  QTemporaryDir home_;
};

// Forgets the headset's profiles of an earlier test.
inline void clearHeadsetProfiles() {
  std::error_code ec;
  std::filesystem::remove_all(profiles::deviceProfileFolder(profiles::kHeadsetTypeName), ec);
}

// Reads the card through the library the device loaded (without starting
// or ending it, so the device's library state is left alone).
class CardReader {
 public:
  CardReader() { lib_.load(audio::confLibPath(devices::CHalvionUSBDevice::programFolder())); }
  std::string playback(const std::string& name) { return read(audio::selectPlayback(lib_.devices(0)), name); }
  std::string capture(const std::string& name, std::optional<int> channel = std::nullopt) {
    return read(audio::selectCapture(lib_.devices(1)), name, channel);
  }

 private:
  std::string read(const std::optional<OsConfDevice>& d, const std::string& name,
                   std::optional<int> channel = std::nullopt) {
    std::string text;
    if (!d || lib_.read(*d, name, &text, channel) != 0) return "<unreadable>";
    return text;
  }
  audio::ConfLib lib_;
};

// The saved profile's audio settings, as a later start reads them.
inline Json::Value savedStages(devices::CHalvionHS6533Device& d) {
  return profiles::readJsonDocument(d.profileData().getProfilePath())["Device"][0]["SystemSetStages"];
}

}  // namespace kavro::test
