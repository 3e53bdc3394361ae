#pragma once
// A small two-collection simulated interface for the HID layer's tests:
// collection 1 consumer control (report id 3, one 16-bit usage),
// collection 2 vendor-defined 64-byte reports (report id 4) that it echoes.
#include <cstring>
#include <string>
#include <vector>

#include "platform/hid/sim_link.h"

namespace kavro::test {

inline std::vector<uint8_t> twoCollectionDescriptor() {
  return {
      0x05, 0x0C,        // Usage Page (Consumer)
      0x09, 0x01,        // Usage (Consumer Control)
      0xA1, 0x01,        // Collection (Application)
      0x85, 0x03,        //   Report ID 3
      0x15, 0x00,        //   Logical Minimum 0
      0x26, 0xFF, 0x07,  //   Logical Maximum 0x7FF
      0x19, 0x00,        //   Usage Minimum 0
      0x2A, 0xFF, 0x07,  //   Usage Maximum 0x7FF
      0x75, 0x10,        //   Report Size 16
      0x95, 0x01,        //   Report Count 1
      0x81, 0x00,        //   Input (Data, Array, Absolute)
      0xC0,              // End Collection
      0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
      0x09, 0x92,        // Usage 0x92
      0xA1, 0x01,        // Collection (Application)
      0x85, 0x04,        //   Report ID 4
      0x15, 0x00,        //   Logical Minimum 0
      0x26, 0xFF, 0x00,  //   Logical Maximum 255
      0x75, 0x08,        //   Report Size 8
      0x95, 0x3F,        //   Report Count 63
      0x09, 0x01,        //   Usage 1
      0x81, 0x02,        //   Input (Data, Variable, Absolute)
      0x09, 0x01,        //   Usage 1
      0x91, 0x02,        //   Output (Data, Variable, Absolute)
      0xC0,              // End Collection
  };
}

class EchoInterface : public hid::sim::SimInterface {
 public:
  explicit EchoInterface(const std::string& name, uint8_t iface = 1)
      : SimInterface({name, 0x0C45, 0x7666, iface, twoCollectionDescriptor()}) {}
  ~EchoInterface() override { stop(); }
  void onOutputReport(const uint8_t* data, size_t len) override {
    if (silent) return;
    sendInputReport(data, len);
  }
  void sendConsumer(uint16_t usage) {
    const uint8_t r[3] = {3, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
    sendInputReport(r, sizeof r);
  }
  bool silent = false;
};

}  // namespace kavro::test
