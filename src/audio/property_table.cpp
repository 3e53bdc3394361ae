#include "audio/property_table.h"

#include <array>

namespace kavro::audio {
namespace {

constexpr PropertyInfo stored(std::string_view name, unsigned roles, ValueForm form, double min, double max,
                              double initial) {
  return {name, roles, form, Backing::Stored, Endpoint::Main, true, min, max, initial, -1};
}
constexpr PropertyInfo flag(std::string_view name, unsigned roles, double initial) {
  return stored(name, roles, ValueForm::Bool, 0, 1, initial);
}
constexpr PropertyInfo level(std::string_view name, ValueForm form, Backing backing, Endpoint endpoint,
                             bool writable) {
  return {name, kBothRoles, form, backing, endpoint, writable, 0, 0, 0, -1};
}
constexpr PropertyInfo special(std::string_view name, unsigned roles, ValueForm form, Backing backing,
                               bool writable, double max) {
  return {name, roles, form, backing, Endpoint::Main, writable, 0, max, 0, -1};
}
constexpr PropertyInfo band(std::string_view name, int index) {
  return {name, kPlaybackOnly, ValueForm::Int, Backing::EqBand, Endpoint::Main, true,
          kEqGainMinDb, kEqGainMaxDb, 0, index};
}

// Environments of the room effect, as the chip numbers them.
constexpr double kRoomEnvironments = 25;
constexpr double kRoomSizeMax = 100;
constexpr double kRoomSizeInitial = 50;

constexpr std::array kProperties{
    // Effects the library keeps in its store.
    flag("XearSurrHP_Enable", kPlaybackOnly, 0),
    flag("Enable_RFX_GFX", kBothRoles, 0),
    stored("RFX_ENVIRONMENT", kBothRoles, ValueForm::Int, 0, kRoomEnvironments, 0),
    stored("RFX_ROOMSIZE", kBothRoles, ValueForm::Int, 0, kRoomSizeMax, kRoomSizeInitial),
    flag("Enable_ENC_LFX", kCaptureOnly, 0),
    flag("Enable_MICECHO", kCaptureOnly, 0),
    // Levels and mutes of the card.
    level("VolumeControl", ValueForm::Float, Backing::LevelDb, Endpoint::Main, true),
    level("VolumeScalarControl", ValueForm::Float, Backing::Level, Endpoint::Main, true),
    level("MuteControl", ValueForm::Bool, Backing::Mute, Endpoint::Main, true),
    level("AAVolumeControl", ValueForm::Float, Backing::LevelDb, Endpoint::Monitor, true),
    level("AAVolumeScalarControl", ValueForm::Float, Backing::Level, Endpoint::Monitor, true),
    level("AAMuteControl", ValueForm::Bool, Backing::Mute, Endpoint::Monitor, true),
    level("GetMaxVol", ValueForm::Float, Backing::RangeMax, Endpoint::Main, false),
    level("GetMinVol", ValueForm::Float, Backing::RangeMin, Endpoint::Main, false),
    level("GetVolStep", ValueForm::Float, Backing::RangeStep, Endpoint::Main, false),
    level("GetAAMaxVol", ValueForm::Float, Backing::RangeMax, Endpoint::Monitor, false),
    level("GetAAMinVol", ValueForm::Float, Backing::RangeMin, Endpoint::Monitor, false),
    level("GetAAVolStep", ValueForm::Float, Backing::RangeStep, Endpoint::Monitor, false),
    // Equaliser.
    special("Enable_EQ_GFX", kPlaybackOnly, ValueForm::Bool, Backing::EqEnable, true, 1),
    band("EQ_Slider1", 0), band("EQ_Slider2", 1), band("EQ_Slider3", 2), band("EQ_Slider4", 3),
    band("EQ_Slider5", 4), band("EQ_Slider6", 5), band("EQ_Slider7", 6), band("EQ_Slider8", 7),
    band("EQ_Slider9", 8), band("EQ_Slider10", 9),
    special("EQ_Active", kPlaybackOnly, ValueForm::Bool, Backing::EqActive, false, 1),
    // Voice changer.
    special("Enable_MAGICVOICE", kCaptureOnly, ValueForm::Bool, Backing::VoiceEnable, true, 1),
    special("MagicVoice_Selection", kCaptureOnly, ValueForm::Int, Backing::VoiceSelect, true, kVoiceEffects - 1),
    special("MagicVoice_Active", kCaptureOnly, ValueForm::Bool, Backing::VoiceActive, false, 1),
    // Capabilities.
    special("GetSupportFeature", kBothRoles, ValueForm::Text, Backing::Features, false, 0),
};

}  // namespace

const PropertyInfo* findProperty(std::string_view name) {
  for (const PropertyInfo& p : kProperties) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

std::span<const PropertyInfo> allProperties() { return kProperties; }

}  // namespace kavro::audio
