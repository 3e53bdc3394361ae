#pragma once
// CMpDevicePowerUI: the battery and charging display of one device page.
#include <array>

#include "skin/container.h"

namespace kavro::devices {

class CMpDevicePowerUI : public skin::CHorizontalLayoutUI {
  Q_OBJECT
 public:
  using CHorizontalLayoutUI::CHorizontalLayoutUI;
  QString GetClass() const override { return QStringLiteral("MpDevicePower"); }

  void setDeviceType(int type, int role) { type_ = type, role_ = role; }
  int deviceType() const { return type_; }
  // Shows the 6-byte status block read from the device.
  void setStatus(const std::array<uint8_t, 6>& status);
  // Hides the display (the device has gone).
  void clearStatus();

 private:
  void setChildVisible(const char* name, bool visible);
  int type_ = 0, role_ = 0;
};

}  // namespace kavro::devices
