#pragma once
// The report descriptor shared by the keyboard, mouse and mousepad on their
// interface 1, and the report ids it defines. One top-level collection each:
//   col01  system control   (usage page 0x0001, usage 0x0080)  report id 1
//   col02  keyboard bitmap  (usage page 0x0001, usage 0x0006)  report id 2
//   col03  consumer control (usage page 0x000C, usage 0x0001)  report id 3: notify usages
//   col04  vendor           (usage page 0xFF1C, usage 0x0092)  report id 4: command reports
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavro::sim {

constexpr uint8_t kReportSystem = 1;     // 1 byte: power, sleep, wake bits
constexpr uint8_t kReportKeyboard = 2;   // 16 bytes: modifier bits + usage bitmap 0x00..0x77
constexpr uint8_t kReportNotify = 3;     // 2 bytes: one consumer usage 1..0x7FF (0 = none)
constexpr uint8_t kReportCommand = 4;    // 63 bytes each way: the command packet after its id byte

constexpr uint16_t kVendorUsagePage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x0092;
constexpr uint16_t kConsumerPage = 0x000C;
constexpr uint16_t kConsumerControl = 0x0001;

std::vector<uint8_t> vendorInterfaceDescriptor();

}  // namespace kavro::sim
