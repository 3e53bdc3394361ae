#include "devices/discovery/device_tables.h"

namespace kavro::devices {

namespace {
constexpr char kOptionXml[] = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr char kTabHeader[] = "tab_header_device";
constexpr char kPowerContainer[] = "device_power_switch";
constexpr uint16_t kVendorPage = 0xFF1C;     // vendor-defined command collection
constexpr uint16_t kVendorUsage = 0x0092;
constexpr uint16_t kConsumerPage = 0x000C;   // consumer control: device notifications
constexpr uint16_t kConsumerUsage = 0x0001;

DeviceInterfaceRow row(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t type, uint16_t role,
                       uint16_t page, uint16_t usage) {
  DeviceInterfaceRow r;
  r.vendorId = vid, r.productId = pid, r.interfaceNumber = mi, r.collection = col;
  r.type = type, r.role = role, r.usagePage = page, r.usage = usage;
  return r;
}
}  // namespace

std::array<DeviceInterfaceRow, kInterfaceRowCount> interfaceMatchTable() {
  return {
      row(0x0C45, 0x7666, 1, 4, kTypeKeyboard, kRoleCommand, kVendorPage, kVendorUsage),
      row(0x0C45, 0x7666, 1, 3, kTypeKeyboard, kRoleNotify, kConsumerPage, kConsumerUsage),
      row(0x0000, 0x0000, 1, 4, kTypeMouse, kRoleCommand, kVendorPage, kVendorUsage),
      row(0x0000, 0x0000, 1, 3, kTypeMouse, kRoleNotify, kConsumerPage, kConsumerUsage),
      row(0x0C45, 0x6627, 1, 4, kTypeMousepad, kRoleCommand, kVendorPage, kVendorUsage),
      row(0x0C45, 0x6627, 1, 3, kTypeMousepad, kRoleNotify, kConsumerPage, kConsumerUsage),
      row(0x0D8C, 0x01DA, 3, 0, kTypeHeadset, kRoleCommand, kConsumerPage, kConsumerUsage),
  };
}

const std::array<DeviceKindRow, kKindCount> kDeviceKinds = {{
    {kOptionXml, kTabHeader, kPowerContainer, "mouse", 1, 0x0000, 0x0000, kTypeMouse, kRoleCommand},
    {kOptionXml, kTabHeader, kPowerContainer, "keyboard", 0, 0x0C45, 0x7666, kTypeKeyboard, kRoleCommand},
    {kOptionXml, kTabHeader, kPowerContainer, "MousePad", 2, 0x0C45, 0x6627, kTypeMousepad, kRoleCommand},
    {kOptionXml, kTabHeader, kPowerContainer, "HD", 3, 0x0D8C, 0x01DA, kTypeHeadset, kRoleCommand},
}};

const std::array<DeviceXmlRow, kKindCount> kDeviceXml = {{
    {6, 7, 0, "XML\\DeviceXml\\mousedevice.xml", "vexor_light"},
    {126, 126, 0, "XML\\DeviceXml\\keyboarddevice.xml", "vexor_light"},
    {15, 0, 0, "XML\\DeviceXml\\mousepaddevice.xml", "vexor_light"},
    {13, 0, 0, "XML\\DeviceXml\\hs6533device.xml", "vexor_light"},
}};

const std::array<ModelRow, 4> kModels = {{
    {1, 1, 0, {"TR-P40", "QP22R13B", "LM2", "LM2", ""}},
    {1, 1, 0, {"TR-P40", "QP22R12B", "TR-P40", "TR-P40", ""}},
    {2, 1, 0, {"TR-P40", "QP22R05B_1", "RX7", "RX7", ""}},
    {0, 1, 0, {"TR-P40", "ALL", "RX7_LM2_LM1", "AP", "V1000.02"}},
}};

int kindIndexOfType(uint16_t type) {
  const uint16_t t = type == kTypeMouseLong ? kTypeMouse : type;
  for (size_t i = 0; i < kDeviceKinds.size(); ++i) {
    if (kDeviceKinds[i].type == t) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace kavro::devices
