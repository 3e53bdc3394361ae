// HidDeviceInfo: enumeration, open by path, report I/O bounded by a time-out
// and an abort event. The same poll/read/write code serves hidraw nodes and
// simulated interfaces.
#include "platform/hid/hid_device.h"

#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/debug.h"
#include "platform/hid/hid_backend.h"
#include "platform/hid/removals.h"
#include "platform/hid/sim_link.h"

namespace kavro::hid {

namespace {
constexpr char kPathSeparator = '#';
constexpr char kMarkerInterface[] = "&mi_";
constexpr char kMarkerCollection[] = "&col";
constexpr size_t kMinReadBufferSize = 4097;  // room for any short report plus a prepended id byte
constexpr size_t kMaxDataItems = 4096;       // bound on unpacked items per report type

std::string makePath(const detail::RawInterface& ri, size_t collection, size_t collections) {
  char ids[64];
  std::snprintf(ids, sizeof ids, "%cvid_%04x&pid_%04x&mi_%02x", kPathSeparator, ri.vendorId, ri.productId,
                ri.interfaceNumber);
  std::string p = ri.base + ids;
  if (collections > 1) {
    char col[24];
    std::snprintf(col, sizeof col, "&col%02zx", collection + 1);
    p += col;
  }
  return p;
}

bool isSimBase(const std::string& base) { return base.rfind(sim::kPathPrefix, 0) == 0; }

// True when a failed read or write (result n, error err) means the interface
// itself is gone, not merely busy: the simulated link hung up, or the hidraw
// node's device was removed.
bool meansGone(ssize_t n, int err, bool isSocket) {
  if (n == 0) return isSocket;  // end of the stream: the device end closed
  if (isSocket) return err == EPIPE || err == ECONNRESET || err == ENOTCONN || err == ESHUTDOWN;
  return err == ENODEV || err == EIO || err == ESHUTDOWN;
}
}  // namespace

struct HidDeviceInfo::Handle {
  int fd = -1;
  std::string base;               // for the removal notice
  uint64_t instance = 0;
  std::atomic<bool> gone{false};  // a transfer found the interface gone
  bool isSocket = false;         // simulated link: send without SIGPIPE
  bool prependReportId = false;  // hidraw drops the id byte when the device uses none
  DescriptorInfo descriptor;
  size_t collection = 0;
  ~Handle() {
    if (fd >= 0) ::close(fd);
  }
  const CollectionCaps& caps() const { return descriptor.collections[collection]; }
  bool acceptsInput(uint8_t id) const {
    const auto& ids = caps().input.reportIds;
    return std::find(ids.begin(), ids.end(), id) != ids.end();
  }
};

std::string pathBase(const std::string& path) { return path.substr(0, path.find(kPathSeparator)); }

uint32_t pathMarkerValue(const std::string& path, const char* marker) {
  const size_t n = std::strlen(marker);
  for (size_t i = 0; i + n <= path.size(); ++i) {
    if (strncasecmp(path.c_str() + i, marker, n) != 0) continue;
    unsigned v = 0;
    return std::sscanf(path.c_str() + i + n, "%x", &v) == 1 ? v : 0;
  }
  return 0;
}

HidDeviceInfo::HidDeviceInfo() = default;

HidDeviceInfo::~HidDeviceInfo() { destroy(); }

bool HidDeviceInfo::enumerate() {
  freePathList();
  std::vector<detail::RawInterface> raws;
  const bool systemOk = detail::listHidraw(raws);
  auto sims = detail::listSimulated();
  raws.insert(raws.end(), sims.begin(), sims.end());
  for (const auto& ri : raws) {
    DescriptorInfo info;
    size_t collections = 1;
    if (parseReportDescriptor(ri.descriptor.data(), ri.descriptor.size(), info) && !info.collections.empty()) {
      collections = info.collections.size();
    }
    for (size_t c = 0; c < collections; ++c) {
      pathList.push_back(makePath(ri, c, collections));
      pathInstances.push_back(ri.instance);
    }
  }
  pathCount = static_cast<uint32_t>(pathList.size());
  pathCursor = 0;
  return systemOk || !sims.empty();
}

const std::string* HidDeviceInfo::nextPath() {
  if (pathCursor >= pathCount || pathCursor >= pathList.size()) return nullptr;
  return &pathList[pathCursor++];
}

void HidDeviceInfo::freePathList() {
  pathList.clear();
  pathInstances.clear();
  pathCount = 0;
  pathCursor = 0;
}

bool HidDeviceInfo::open(const std::string& path, bool read, bool write, bool ovl, bool excl) {
  close();
  wantRead = read;
  wantWrite = write;
  overlapped = ovl;
  exclusive = excl;
  devicePath = path;
  const std::string base = pathBase(path);
  auto h = std::make_shared<Handle>();
  detail::RawInterface ri;
  h->fd = isSimBase(base) ? detail::openSimulated(base, ri) : detail::openHidraw(base, read, write, ri);
  if (h->fd < 0) return false;
  h->base = base;
  h->instance = ri.instance;
  std::string error;
  if (!parseReportDescriptor(ri.descriptor.data(), ri.descriptor.size(), h->descriptor, &error) ||
      h->descriptor.collections.empty()) {
    dbg::printf("hid: unusable report descriptor on %s: %s\n", base.c_str(), error.c_str());
    return false;
  }
  const uint32_t col = pathMarkerValue(path, kMarkerCollection);
  h->collection = col ? col - 1 : 0;
  if (h->collection >= h->descriptor.collections.size()) return false;
  h->isSocket = isSimBase(base);
  h->prependReportId = !h->isSocket && !h->descriptor.usesReportIds;
  attributes = {ri.vendorId, ri.productId, ri.version};
  interfaceNumber = pathMarkerValue(path, kMarkerInterface);
  collectionNumber = col;
  {
    std::lock_guard<std::mutex> lock(handleMutex_);
    handle_ = h;
  }
  const CollectionCaps& c = h->caps();
  caps.usage = c.usage;
  caps.usagePage = c.usagePage;
  caps.inputReportByteLength = c.input.byteLength;
  caps.outputReportByteLength = c.output.byteLength;
  caps.featureReportByteLength = c.feature.byteLength;
  caps.numberLinkCollectionNodes = c.linkCollectionNodes;
  fillReportSet(ReportType::Input, input);
  fillReportSet(ReportType::Output, output);
  fillReportSet(ReportType::Feature, feature);
  return true;
}

void HidDeviceInfo::fillReportSet(ReportType type, HidReportSet& set) {
  const CollectionCaps& c = *preparsedData();
  const ReportCaps& rc = c.report(type);
  set.report.assign(rc.byteLength, 0);
  set.buttonCaps = rc.buttons;
  set.valueCaps = rc.values;
  set.data.clear();
  uint16_t dataIndices = 0;
  for (const auto& b : rc.buttons) {
    if (set.data.size() >= kMaxDataItems) break;
    HidDataItem item;
    item.isButton = true;
    item.usagePage = b.usagePage;
    item.reportId = b.reportId;
    item.usageMin = b.usageMin;
    item.usageMax = b.usageMax;
    item.maxUsageLength = maxUsageListLength(c, type, b.usagePage);
    item.usages.assign(item.maxUsageLength, 0);
    set.data.push_back(std::move(item));
    dataIndices = static_cast<uint16_t>(dataIndices + (b.usageMax - b.usageMin + 1));
  }
  for (const auto& v : rc.values) {
    for (uint32_t u = v.usageMin; u <= v.usageMax && set.data.size() < kMaxDataItems; ++u) {
      HidDataItem item;
      item.usagePage = v.usagePage;
      item.reportId = v.reportId;
      item.usage = static_cast<uint16_t>(u);
      set.data.push_back(std::move(item));
      ++dataIndices;
    }
  }
  const auto nb = static_cast<uint16_t>(rc.buttons.size());
  const auto nv = static_cast<uint16_t>(rc.values.size());
  switch (type) {
    case ReportType::Input:
      caps.numberInputButtonCaps = nb, caps.numberInputValueCaps = nv, caps.numberInputDataIndices = dataIndices;
      break;
    case ReportType::Output:
      caps.numberOutputButtonCaps = nb, caps.numberOutputValueCaps = nv, caps.numberOutputDataIndices = dataIndices;
      break;
    case ReportType::Feature:
      caps.numberFeatureButtonCaps = nb, caps.numberFeatureValueCaps = nv;
      caps.numberFeatureDataIndices = dataIndices;
      break;
  }
}

const CollectionCaps* HidDeviceInfo::preparsedData() const {
  auto* self = const_cast<HidDeviceInfo*>(this);
  std::lock_guard<std::mutex> lock(self->handleMutex_);
  return handle_ ? &handle_->caps() : nullptr;
}

uint64_t HidDeviceInfo::instance() const {
  auto* self = const_cast<HidDeviceInfo*>(this);
  std::lock_guard<std::mutex> lock(self->handleMutex_);
  return handle_ ? handle_->instance : 0;
}

bool HidDeviceInfo::interfaceGone() const {
  auto* self = const_cast<HidDeviceInfo*>(this);
  std::lock_guard<std::mutex> lock(self->handleMutex_);
  return handle_ && handle_->gone.load();
}

// Notes the removal once per handle: the reader of a gone interface may try
// again and again until its owner closes it.
void HidDeviceInfo::noteGone(Handle& h) {
  if (h.gone.exchange(true)) return;
  dbg::printf("hid: %s is gone\n", h.base.c_str());
  noteRemoval({h.base, h.instance});
}

bool HidDeviceInfo::isOpen() const {
  auto* self = const_cast<HidDeviceInfo*>(this);
  std::lock_guard<std::mutex> lock(self->handleMutex_);
  return handle_ != nullptr;
}

void HidDeviceInfo::close() {
  std::shared_ptr<Handle> old;
  {
    std::unique_lock<std::mutex> lock(handleMutex_);
    if (activeTransfers_ > 0) {
      // Wake the waiting transfer and let it finish before the descriptor goes,
      // so it never reads from a closed (or reused) file descriptor.
      closingFlag_ = true;
      closing_.set();
      idle_.wait(lock, [this] { return activeTransfers_ == 0; });
      closing_.reset();
      closingFlag_ = false;
    }
    old.swap(handle_);
  }
  old.reset();
  caps = HidCaps{};
  input = output = feature = HidReportSet{};
}

void HidDeviceInfo::destroy() {
  close();
  freePathList();
}

std::shared_ptr<HidDeviceInfo::Handle> HidDeviceInfo::transferBegin(std::atomic<bool>& flag) {
  std::lock_guard<std::mutex> lock(handleMutex_);
  if (!handle_) return nullptr;
  ++activeTransfers_;
  flag = true;
  return handle_;
}

void HidDeviceInfo::transferEnd(std::atomic<bool>& flag) {
  std::lock_guard<std::mutex> lock(handleMutex_);
  flag = false;
  --activeTransfers_;
  idle_.notify_all();
}

// Waits for the descriptor (or abort/close) within the deadline: true when the
// descriptor is ready.
// Polls the three descriptors in place: this runs once per report, so it
// builds no list of waitables on the heap.
bool HidDeviceInfo::waitReady(int fd, bool forWrite, uint64_t deadline) {
  for (;;) {
    const uint64_t now = tickMs();
    const int remaining = now >= deadline ? 0 : static_cast<int>(deadline - now);
    pollfd fds[] = {{abortEvent.fd(), POLLIN, 0},
                    {closing_.fd(), POLLIN, 0},
                    {fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0}};
    const int r = ::poll(fds, std::size(fds), remaining);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    uint64_t count = 0;
    // The abort is an auto-reset event: it ends this wait only if this wait
    // takes it (another waiter may have been first).
    if (fds[0].revents && ::read(abortEvent.fd(), &count, sizeof count) == sizeof count) {
      abortPending_ = false;  // the abort was used up by this wait
      return false;
    }
    if (fds[1].revents || (fds[2].revents & POLLNVAL)) return false;
    if (fds[2].revents) return true;
  }
}

bool HidDeviceInfo::readReport(size_t length, size_t* bytesRead, uint8_t* buffer, int timeoutMs) {
  if (bytesRead) *bytesRead = 0;
  auto h = transferBegin(readInProgress);
  if (!h) return false;
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  // One receive buffer per thread: reads are frequent and reports mostly
  // small; it grows for a collection with longer reports.
  thread_local std::vector<uint8_t> tmp(kMinReadBufferSize);
  const size_t needed = static_cast<size_t>(h->caps().input.byteLength) + 1;
  if (tmp.size() < needed) tmp.resize(needed);
  bool ok = false;
  while (waitReady(h->fd, false, deadline)) {
    const size_t skip = h->prependReportId ? 1 : 0;
    ssize_t n = ::read(h->fd, tmp.data() + skip, tmp.size() - skip);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (n <= 0) {
      if (meansGone(n, errno, h->isSocket)) noteGone(*h);
      break;
    }
    if (skip) tmp[0] = 0;
    const size_t got = static_cast<size_t>(n) + skip;
    if (!h->acceptsInput(tmp[0])) continue;  // another collection's report
    const size_t copy = std::min(got, length);
    std::memcpy(buffer, tmp.data(), copy);
    if (bytesRead) *bytesRead = copy;
    ok = true;
    break;
  }
  transferEnd(readInProgress);
  return ok;
}

bool HidDeviceInfo::writeReport(size_t length, size_t* bytesWritten, const uint8_t* buffer, int timeoutMs) {
  if (bytesWritten) *bytesWritten = 0;
  auto h = transferBegin(writeInProgress);
  if (!h) return false;
  const uint64_t deadline = tickMs() + static_cast<uint64_t>(std::max(timeoutMs, 0));
  bool ok = false;
  // A pending abort ends the write before anything is sent.
  bool ready = !closingFlag_.load() && !(abortPending_.exchange(false) && abortEvent.isSet());
  while (ready) {
    ssize_t n = h->isSocket ? ::send(h->fd, buffer, length, MSG_NOSIGNAL | MSG_DONTWAIT) : ::write(h->fd, buffer, length);
    if (n == static_cast<ssize_t>(length)) {
      if (bytesWritten) *bytesWritten = length;
      ok = true;
      break;
    }
    const int err = n < 0 ? errno : 0;
    if (n < 0 && meansGone(n, err, h->isSocket)) noteGone(*h);
    if (n >= 0 || (err != EAGAIN && err != EINTR)) break;
    ready = waitReady(h->fd, true, deadline);
  }
  transferEnd(writeInProgress);
  return ok;
}

}  // namespace kavro::hid
