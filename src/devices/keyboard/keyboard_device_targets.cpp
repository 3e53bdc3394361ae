// The keyboard's side of the key assignment and macro panels.
#include "devices/keyboard/keyboard_device.h"
#include "widgets/device_key_button.h"

namespace kavro::devices {

void CHalvionKeyboardDevice::storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) {
  setKeyAssignments(list);
  saveChecked(profile_);
}

int CHalvionKeyboardDevice::keyPositionOf(const skin::CControlUI* control) const {
  if (!control) return -1;
  for (size_t p = 0; p < keyButtons.size(); ++p) {
    if (keyButtons[p] == control) return static_cast<int>(p);
  }
  return -1;
}

void CHalvionKeyboardDevice::macroListChanged() {
  collectNameLists();
  refreshKeyCaptions();
}

}  // namespace kavro::devices
