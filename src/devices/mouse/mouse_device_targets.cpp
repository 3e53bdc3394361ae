// The mouse's side of the key assignment and macro panels: the ten buttons
// of the picture are the key positions, the key table goes to the mouse with
// its button map (buttons the mouse does not know are left out), and the
// macros are downloaded within the mouse's macro memory.
#include "devices/mouse/mouse_device.h"
#include "widgets/device_key_button.h"

namespace kavro::devices {

void CHalvionMouseDevice::storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) {
  setKeyAssignments(list);
  saveChecked(profile_);
}

int CHalvionMouseDevice::keyPositionOf(const skin::CControlUI* control) const {
  if (!control) return -1;
  for (size_t p = 0; p < keyButtons.size() && p < mouse::kButtonCount; ++p) {
    if (keyButtons[p] == control) return static_cast<int>(p);
  }
  return -1;
}

// The picture's captions are short ("+", "DPI", or none on the wheel); the
// panel's title uses the button's full name, whose language key is the
// button's control name.
std::string CHalvionMouseDevice::keyTitle(int position) const {
  if (position < 0 || static_cast<size_t>(position) >= mouse::kButtonCount) return {};
  return std::string(mouse::kButtonControlNames[static_cast<size_t>(position)]);
}

void CHalvionMouseDevice::macroListChanged() {
  collectNameLists();
  refreshKeyCaptions();
}

int CHalvionMouseDevice::downloadMacros(std::function<void(int result)> failed) {
  return postMacroDownload(std::move(failed));
}

}  // namespace kavro::devices
