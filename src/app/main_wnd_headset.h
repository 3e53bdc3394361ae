#pragma once
// The headset's voice panels as the main window routes them: which headset
// operation a notification of the voice or voice-changer panel asks for.
#include <QString>

#include <optional>

namespace kavro::app {

struct HeadsetAction {
  enum Kind {
    SelectPreset,   // value: preset 1..13
    ChangeBand,     // index: band 0..9, value: gain
    ApplyUserPreset,
    SaveUserPreset,
    DeleteUserPreset,
    ToggleMic,
    MicLevel,       // value: level
    ToggleMonitor,
    MonitorLevel,   // value: level
    VoiceChanger,   // value: 1 on, 0 off
    VoiceEffect,    // value: effect 1..4
    ShowAudioTab,   // a voice tab was chosen: show the state again
  };
  Kind kind;
  int index = 0;
  int value = 0;
  bool operator==(const HeadsetAction&) const = default;
};

// The action for a notification: the sender's name, the notification type,
// whether an option sender is selected (for a click: before the click takes
// effect) and a slider sender's value. Nothing for any other notification.
std::optional<HeadsetAction> headsetAction(const QString& name, const QString& type, bool selected, int value);

}  // namespace kavro::app
