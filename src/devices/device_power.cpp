#include "devices/device_power.h"

#include "devices/power_status.h"
#include "skin/progress.h"

namespace kavro::devices {

namespace {
constexpr char kLayout[] = "device_power_Layout";
constexpr char kValue[] = "device_power_value";
constexpr char kWireless[] = "device_wuxian_logo";
constexpr char kProgress[] = "device_Power_progress";
constexpr char kStatus[] = "device_power_status";
constexpr char kPhone[] = "device_phone_type";
constexpr char kPhoneImagePlace[] = " dest='0,5,18,23'";
}  // namespace

void CMpDevicePowerUI::setChildVisible(const char* name, bool visible) {
  if (CControlUI* c = FindControlByName(name)) c->SetVisible(visible);
}

void CMpDevicePowerUI::setStatus(const std::array<uint8_t, 6>& status) {
  const PowerView v = powerView(status, type_, role_);
  setChildVisible(kLayout, true);
  if (auto* bar = qobject_cast<skin::CProgressUI*>(FindControlByName(kProgress))) {
    bar->SetValue(v.barValue);
    bar->SetVisible(v.barVisible);
  }
  if (CControlUI* text = FindControlByName(kValue)) text->SetText(QString::fromStdString(v.valueText));
  if (CControlUI* img = FindControlByName(kStatus); img && !v.statusImage.empty()) {
    img->SetBkImage(QString::fromStdString(v.statusImage));
  }
  if (v.wirelessLogoTouched) setChildVisible(kWireless, v.wirelessLogoVisible);
  if (CControlUI* phone = FindControlByName(kPhone)) {
    phone->SetVisible(v.phoneShown);
    if (v.phoneShown) {
      phone->SetText(QString::fromStdString(v.phoneText));
      // The phone's picture sits left of its name, at its own size.
      phone->SetBkImage(QString::fromStdString(v.phoneImage) + QString::fromLatin1(kPhoneImagePlace));
    }
  }
}

void CMpDevicePowerUI::clearStatus() { setChildVisible(kLayout, false); }

}  // namespace kavro::devices
