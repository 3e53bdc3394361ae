#pragma once
// One HID interface: enumeration of the interfaces present (hidraw nodes and
// simulated interfaces), open by path, attributes and report capabilities,
// whole-report reads and writes bounded by a time-out and cut short by an
// abort event, and unpacking of input reports into usages and values.
//
// Paths carry the markers the discovery code reads:
//   /dev/hidraw3#vid_0c45&pid_7666&mi_01&col04
//   sim:<name>#vid_0c45&pid_7666&mi_01&col04
// An interface with one top-level collection has no "&col" marker; one with
// several gets one path per collection, numbered from 01 in descriptor order.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/event.h"
#include "platform/hid/report_descriptor.h"

namespace kavro::hid {

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
};

// The capability summary of the open collection.
struct HidCaps {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  uint16_t inputReportByteLength = 0;
  uint16_t outputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
  uint16_t numberLinkCollectionNodes = 0;
  uint16_t numberInputButtonCaps = 0, numberInputValueCaps = 0, numberInputDataIndices = 0;
  uint16_t numberOutputButtonCaps = 0, numberOutputValueCaps = 0, numberOutputDataIndices = 0;
  uint16_t numberFeatureButtonCaps = 0, numberFeatureValueCaps = 0, numberFeatureDataIndices = 0;
};

// One unpacked report element.
struct HidDataItem {
  bool isButton = false;
  uint8_t reserved = 0;
  uint16_t usagePage = 0;
  uint32_t status = 0;
  uint8_t reportId = 0;
  bool isDataSet = false;
  // button
  uint16_t usageMin = 0, usageMax = 0;
  uint32_t maxUsageLength = 0;
  std::vector<uint16_t> usages;  // maxUsageLength entries, zero-terminated when shorter
  // value
  uint16_t usage = 0;
  uint32_t value = 0;
  int32_t scaledValue = 0;
};

// Per report type: the receive buffer, the unpacked items and the capabilities.
struct HidReportSet {
  std::vector<uint8_t> report;
  std::vector<HidDataItem> data;
  std::vector<ButtonCaps> buttonCaps;
  std::vector<ValueCaps> valueCaps;
};

class HidDeviceInfo {
 public:
  HidDeviceInfo();  // init: all fields zero, events created
  ~HidDeviceInfo();  // destroy
  HidDeviceInfo(const HidDeviceInfo&) = delete;
  HidDeviceInfo& operator=(const HidDeviceInfo&) = delete;

  // Lists every present HID interface path (hidraw and simulated). The cursor
  // restarts at 0. False when the system could not be asked.
  bool enumerate();
  // The next path of the list, or nullptr when the list is empty or exhausted.
  const std::string* nextPath();
  void freePathList();

  bool open(const std::string& path, bool wantRead, bool wantWrite, bool overlapped, bool exclusive);
  // Aborts a pending transfer, then releases the capability data and the handle.
  void close();
  // close + freePathList.
  void destroy();

  // Reads one input report of the open collection into buffer (at most length
  // bytes; byte 0 the report id). True when a whole read completed in time.
  bool readReport(size_t length, size_t* bytesRead, uint8_t* buffer, int timeoutMs);
  bool writeReport(size_t length, size_t* bytesWritten, const uint8_t* buffer, int timeoutMs);

  // Sets the abort event: a waiting transfer (or the next one) ends at once.
  void abort() {
    abortPending_ = true;
    abortEvent.set();
  }
  // Forgets an abort that nothing waited for.
  void clearAbort() {
    abortPending_ = false;
    abortEvent.reset();
  }
  bool isOpen() const;

  // Which plug-in of its interface the open handle belongs to (0 when
  // closed or not known); the same number pathInstances lists for its path.
  uint64_t instance() const;
  // True once a transfer found the interface gone (hang-up, device removed);
  // the removal has then been noted for discovery (removals.h).
  bool interfaceGone() const;

  // Fields of the record.
  std::vector<std::string> pathList;
  std::vector<uint64_t> pathInstances;  // per path: its interface's instance (0 when not known)
  uint32_t pathCount = 0;
  uint32_t pathCursor = 0;
  bool wantRead = false, wantWrite = false, overlapped = false, exclusive = false;
  std::string devicePath;
  HidCaps caps;
  HidAttributes attributes;
  HidReportSet input, output, feature;
  uint32_t interfaceNumber = 0;
  uint32_t collectionNumber = 0;
  // Set to cut a pending wait short; an abort set while nothing waits stays
  // set and ends the next wait at once.
  Event abortEvent{Event::Reset::Auto};
  std::atomic<bool> readInProgress{false};
  std::atomic<bool> writeInProgress{false};

  // The parsed capabilities of the open collection (the "preparsed data").
  const CollectionCaps* preparsedData() const;

 private:
  struct Handle;
  std::shared_ptr<Handle> transferBegin(std::atomic<bool>& flag);
  static void noteGone(Handle& h);
  void transferEnd(std::atomic<bool>& flag);
  bool waitReady(int fd, bool forWrite, uint64_t deadline);
  void fillReportSet(ReportType type, HidReportSet& set);

  Event closing_{Event::Reset::Manual};  // set by close() to end a waiting transfer
  std::atomic<bool> closingFlag_{false};  // the same, cheap to test before a write
  std::atomic<bool> abortPending_{false};  // abort() was called; lets a write test it without a system call

  std::shared_ptr<Handle> handle_;
  std::mutex handleMutex_;  // guards handle_ against close while a transfer is starting
  std::condition_variable idle_;
  int activeTransfers_ = 0;
};

// The part of a path before its markers: "/dev/hidraw3", "sim:<name>".
std::string pathBase(const std::string& path);

// Reads a hexadecimal number that follows marker in path, case-insensitively;
// 0 when the marker is absent.
uint32_t pathMarkerValue(const std::string& path, const char* marker);

// Unpacks an input report into the items whose report id matches byte 0.
// False when a value item could not be read.
bool unpackReport(const uint8_t* report, size_t reportLength, ReportType type, std::vector<HidDataItem>& items,
                  const CollectionCaps& preparsed);

}  // namespace kavro::hid
