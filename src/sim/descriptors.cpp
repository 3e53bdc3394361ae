#include "sim/descriptors.h"

namespace kavro::sim {

namespace {

// Collection 1: system control keys.
constexpr uint8_t kSystemCollection[] = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x80,        // Usage (System Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x01,        //   Report ID (1)
    0x19, 0x81,        //   Usage Minimum (System Power Down)
    0x29, 0x83,        //   Usage Maximum (System Wake Up)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x03,        //   Report Count (3)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x05,        //   Report Count (5)
    0x81, 0x01,        //   Input (Constant): padding to a byte
    0xC0,              // End Collection
};

// Collection 2: n-key-rollover keyboard (macro playback, remapped keys).
constexpr uint8_t kKeyboardCollection[] = {
    0x05, 0x01,        // Usage Page (Generic Desktop)
    0x09, 0x06,        // Usage (Keyboard)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x02,        //   Report ID (2)
    0x05, 0x07,        //   Usage Page (Keyboard/Keypad)
    0x19, 0xE0,        //   Usage Minimum (Left Control)
    0x29, 0xE7,        //   Usage Maximum (Right GUI)
    0x15, 0x00,        //   Logical Minimum (0)
    0x25, 0x01,        //   Logical Maximum (1)
    0x75, 0x01,        //   Report Size (1)
    0x95, 0x08,        //   Report Count (8)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): modifier bits
    0x19, 0x00,        //   Usage Minimum (0)
    0x29, 0x77,        //   Usage Maximum (0x77)
    0x95, 0x78,        //   Report Count (120)
    0x81, 0x02,        //   Input (Data, Variable, Absolute): one bit per key usage
    0xC0,              // End Collection
};

// Collection 3: consumer control. Media keys and the device's notices travel as
// one 16-bit array field; logical minimum 1 makes 0 mean "no usage".
constexpr uint8_t kNotifyCollection[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x19, 0x01,        //   Usage Minimum (1)
    0x2A, 0xFF, 0x07,  //   Usage Maximum (0x7FF)
    0x15, 0x01,        //   Logical Minimum (1)
    0x26, 0xFF, 0x07,  //   Logical Maximum (0x7FF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
};

// Collection 4: the command channel, 63 bytes after the id in each direction.
constexpr uint8_t kCommandCollection[] = {
    0x06, 0x1C, 0xFF,  // Usage Page (Vendor 0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (0x01): answer bytes
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x02,        //   Usage (0x02): request bytes
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

template <size_t N>
void append(std::vector<uint8_t>& out, const uint8_t (&bytes)[N]) {
  out.insert(out.end(), bytes, bytes + N);
}

}  // namespace

std::vector<uint8_t> vendorInterfaceDescriptor() {
  std::vector<uint8_t> d;
  append(d, kSystemCollection);
  append(d, kKeyboardCollection);
  append(d, kNotifyCollection);
  append(d, kCommandCollection);
  return d;
}

}  // namespace kavro::sim
