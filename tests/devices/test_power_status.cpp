// What the battery display shows for a device's status block.
#include "devices/power_status.h"

#include <gtest/gtest.h>

#include "devices/discovery/device_tables.h"

using namespace kavro::devices;

TEST(PowerStatus, LevelChargingWirelessAndPhoneByDeviceKind) {
  // Battery 80 %, on battery: text 80%, bar at 20.
  PowerView v = powerView({80, 2, 0, 0, 0, 0}, kTypeKeyboard, kRoleCommand);
  EXPECT_EQ(v.valueText, "80%");
  EXPECT_EQ(v.barValue, 20);
  EXPECT_TRUE(v.barVisible);
  EXPECT_EQ(v.statusImage, "file='power/power.png'");
  EXPECT_FALSE(v.phoneShown);  // a keyboard page never shows a phone
  EXPECT_FALSE(v.wirelessLogoTouched);

  // Charging: a wireless mouse hides the bar and shows the wireless charging image.
  v = powerView({50, 1, 0, 1, 0, 0}, kTypeMouse, kRoleCommand);
  EXPECT_FALSE(v.barVisible);
  EXPECT_EQ(v.statusImage, "file='power/wuxian_powering.png'");
  EXPECT_TRUE(v.wirelessLogoTouched);
  EXPECT_TRUE(v.wirelessLogoVisible);
  v = powerView({50, 1, 0, 0, 0, 0}, kTypeMouseLong, kRoleCommand);
  EXPECT_TRUE(v.barVisible);
  EXPECT_EQ(v.statusImage, "file='power/powering.png'");
  EXPECT_FALSE(v.wirelessLogoVisible);

  // A mousepad shows the phone on its charging pad.
  v = powerView({100, 0, 0, 0, 0, 2}, kTypeMousepad, kRoleCommand);
  EXPECT_EQ(v.statusImage, "file='power/powered.png'");
  EXPECT_TRUE(v.phoneShown);
  EXPECT_EQ(v.phoneText, "Phone_type_samsung");
  EXPECT_EQ(v.phoneImage, "file='power/Phone_type_samsung.png'");
  v = powerView({100, 0, 0, 0, 0, 9}, kTypeMousepad, kRoleCommand);
  EXPECT_EQ(v.phoneText, "Phone_type_no_device");
}
