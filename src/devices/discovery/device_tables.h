#pragma once
// The supported-device tables: which HID interfaces are which device, the
// device kinds with their pages, and the model list used by the update check.
#include <array>
#include <cstdint>
#include <string>

namespace kavro::devices {

// Device type numbers.
enum DeviceType : uint16_t {
  kTypeKeyboard = 1,
  kTypeMouse = 2,
  kTypeMousepad = 3,
  kTypeHeadsetPlain = 4,  // known to the panels; no shipped row uses it
  kTypeHub = 5,           // known to the panels; no shipped row uses it
  kTypeMouseLong = 6,     // a mouse whose channel runs with long time-outs
  kTypeHeadset = 7,       // headset with the audio chip
};

// Interface roles.
constexpr uint16_t kRoleCommand = 0;    // vendor command interface: the device's channel
constexpr uint16_t kRoleNotify = 255;   // consumer-control interface: the device's notify channel

// One row of the supported-interface table, with its live state.
struct DeviceInterfaceRow {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;  // from "&mi_"
  uint16_t collection = 0;       // from "&col"
  uint16_t type = 0;
  uint16_t role = 0;
  uint16_t connected = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t paired = 0;
  uint16_t pairedIndex = 0;
  std::string path;
  // Which plug-in of the interface behind path the row stands for (0 when
  // not known): the same path under another instance is a re-plugged device.
  uint64_t instance = 0;

  // Same interface identity (everything but the live state).
  bool sameInterface(const DeviceInterfaceRow& o) const {
    return vendorId == o.vendorId && productId == o.productId && interfaceNumber == o.interfaceNumber &&
           collection == o.collection && type == o.type && role == o.role && usagePage == o.usagePage &&
           usage == o.usage;
  }
  bool isFree() const { return connected == 0 && path.empty(); }
};

constexpr size_t kInterfaceRowCount = 7;
std::array<DeviceInterfaceRow, kInterfaceRowCount> interfaceMatchTable();

// Device kinds, in page-building order.
struct DeviceKindRow {
  const char* optionXml;
  const char* tabHeader;
  const char* powerContainer;
  const char* typeName;
  int kindIndex;
  uint16_t vendorId, productId, type, role;
};

struct DeviceXmlRow {
  int lightCount;
  int keyCount;
  int third;
  const char* pageXml;
  const char* lightFilePrefix;
};

struct ModelRow {
  int number1, number2, number3;
  const char* strings[5];
};

constexpr size_t kKindCount = 4;
extern const std::array<DeviceKindRow, kKindCount> kDeviceKinds;
extern const std::array<DeviceXmlRow, kKindCount> kDeviceXml;
extern const std::array<ModelRow, 4> kModels;

// Kind table index for a device type (mouse types 2 and 6 share a kind); -1 when none.
int kindIndexOfType(uint16_t type);

}  // namespace kavro::devices
