#pragma once
// What the headset device needs of its two audio panels. The panels live in
// a higher layer; they implement these views and the device finds them on
// its page by name, so the device calls back into them to show results.
#include <QString>

namespace kavro::devices {

// Page item names of the two panels.
constexpr char kVoicePanelName[] = "Voice6533ControlItem";
constexpr char kMagicPanelName[] = "MagicControlItem";

// The voice panel: equaliser presets and bands, user presets, microphone
// and monitor. A name edit missing from the layout reads as "".
class IHeadsetVoiceView {
 public:
  virtual ~IHeadsetVoiceView() = default;
  // Option p of 1..13 selected, the others not; outside 1..13 none (0 kept).
  virtual void selectPreset(int preset) = 0;
  virtual void enableCustomArea(bool on) = 0;
  // Band sliders: enabled only while the custom equaliser is chosen.
  virtual void enableBands(bool on) = 0;
  virtual void setBand(int band, int gain) = 0;
  virtual void setMicOn(bool on) = 0;
  virtual void setMicLevel(int level) = 0;
  virtual void setMonitorOn(bool on) = 0;
  virtual void setMonitorLevel(int level) = 0;
  virtual QString presetName() const = 0;
  // The user preset list.
  virtual void addUserPreset(const QString& name) = 0;
  virtual int selectedUserPreset() const = 0;  // -1 when none
  virtual int userPresetCount() const = 0;
  virtual void selectUserPreset(int index) = 0;  // also empties the name edit; -1 clears
  virtual void removeUserPreset(int index) = 0;
  virtual void removeAllUserPresets() = 0;
  // Extras of this program: the levels in dB and whether the equaliser
  // shapes the sound (it needs PipeWire).
  virtual void showLevelTexts(const QString& micDb, const QString& monitorDb) = 0;
  virtual void showEqualiserActive(bool active) = 0;
};

// The voice-changer panel.
class IHeadsetMagicView {
 public:
  virtual ~IHeadsetMagicView() = default;
  // Sets the switch and enables the effect choices to match.
  virtual void setOn(bool on) = 0;
  // Option n of 1..4 selected, the others not; outside 1..4 none (0 kept).
  virtual void selectEffect(int effect) = 0;
};

}  // namespace kavro::devices
