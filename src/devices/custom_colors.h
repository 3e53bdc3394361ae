#pragma once
// Per-key custom colours of a device (the keyboard's effect 20): what the
// lighting panel needs to paint keys, fill or clear a colour group and switch
// between groups.
#include <cstdint>

namespace kavro::devices {

class ILightCustomColors {
 public:
  virtual ~ILightCustomColors() = default;
  // Number of key positions that take a custom colour.
  virtual int customColorKeyCount() const = 0;
  // Sets the preview colour of one key position.
  virtual void setCustomKeyColor(int position, std::uint8_t red, std::uint8_t green, std::uint8_t blue) = 0;
  // Shows the changed key colours in the preview.
  virtual void refreshCustomPreview() = 0;
  // Stores the current key colours as a custom colour group of the profile
  // (and sends them to the device when the group is the one it shows).
  virtual void storeCustomColors(int group) = 0;
  // Stores the selected custom colour group in the profile.
  virtual void setCustomGroupIndex(int group) = 0;
  // Loads a group's colours from the profile and shows them.
  virtual void showCustomGroup(int group) = 0;
  // The custom colour group of the current lighting setting.
  virtual int customGroupIndex() const = 0;
};

}  // namespace kavro::devices
