#pragma once
// What the key assignment panel and the macro editor need of a keyboard or
// mouse device: the key table with its defaults, the buttons of the device
// picture, the macro folder and the downloads to the device. The keyboard
// and mouse device classes implement it next to CHalvionUSBDevice; the
// panels do nothing on pages whose device does not.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "profiles/profile_records.h"

namespace kavro::skin {
class CControlUI;
}

namespace kavro::devices {

class IKeyAssignTarget {
 public:
  virtual ~IKeyAssignTarget() = default;

  // ---- key table ----------------------------------------------------------------
  // One item per key position, with its default.
  virtual std::vector<profiles::KeyAssignment> keyAssignmentList() const = 0;
  // Keeps the list in memory and in the profile data, and saves the profile.
  virtual void storeKeyAssignments(const std::vector<profiles::KeyAssignment>& list) = 0;
  // The key position a button of the device picture stands for; -1 when the
  // control is no key of this device.
  virtual int keyPositionOf(const skin::CControlUI* control) const = 0;
  // The language key naming the key at a position, for the panel's title;
  // empty when the picture's own key caption names it well enough.
  virtual std::string keyTitle(int position) const {
    (void)position;
    return {};
  }
  // The function names shown on the keys of the picture follow the table.
  virtual void refreshKeyLabels() = 0;
  // Queues the key table for the device. 1 when queued.
  virtual int writeKeyTable() = 0;

  // ---- macros ---------------------------------------------------------------------
  // The folder of "macro.config" and the event files (ends with '/').
  virtual std::string macroFolder() const = 0;
  // The macro list changed on disk: names shown on keys and in lists follow.
  virtual void macroListChanged() = 0;
  // Queues the macro image for the device. Returns 0 when queued (or there
  // is no macro list), -1 when no image can be made, > 0 the number of
  // events by which the macros are too long (nothing is sent then).
  // failed runs on the window thread when the device refuses the download.
  virtual int downloadMacros(std::function<void(int result)> failed) = 0;
};

}  // namespace kavro::devices
