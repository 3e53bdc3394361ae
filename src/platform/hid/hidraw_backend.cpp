// hidraw backend: enumeration through udev, identity from the HID and USB
// parents, the report descriptor from sysfs, and opening the node.
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/hid/hid_backend.h"
#include "platform/hid/sim_link.h"

namespace kavro::hid::detail {

namespace {
constexpr size_t kMaxDescriptorBytes = HID_MAX_DESCRIPTOR_SIZE;

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

unsigned long hexAttr(udev_device* dev, const char* name) {
  const char* v = dev ? udev_device_get_sysattr_value(dev, name) : nullptr;
  return v ? std::strtoul(v, nullptr, 16) : 0;
}

constexpr char kHidrawFolder[] = "/hidraw/";
constexpr size_t kHidNameColons = 2;        // "bus:vendor:product.instance"
constexpr size_t kMaxInstanceDigits = 16;   // fits 64 bits

// Fills vendor, product, interface and version from the node's parents.
// False when the node has no HID parent (not a HID device).
bool identityFromUdev(udev_device* raw, RawInterface& out) {
  udev_device* hidDev = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
  if (!hidDev) return false;
  const char* hidId = udev_device_get_property_value(hidDev, "HID_ID");
  unsigned bus = 0, vid = 0, pid = 0;
  if (!hidId || std::sscanf(hidId, "%x:%x:%x", &bus, &vid, &pid) != 3) return false;
  out.vendorId = static_cast<uint16_t>(vid);
  out.productId = static_cast<uint16_t>(pid);
  udev_device* usbIf = udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_interface");
  out.interfaceNumber = static_cast<uint8_t>(hexAttr(usbIf, "bInterfaceNumber"));
  udev_device* usbDev = udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_device");
  out.version = static_cast<uint16_t>(hexAttr(usbDev, "bcdDevice"));
  if (const char* name = udev_device_get_sysname(hidDev)) out.instance = hidInstanceFromName(name);
  // The report descriptor is world-readable in sysfs, unlike the node itself.
  std::string descPath = std::string(udev_device_get_syspath(hidDev)) + "/report_descriptor";
  std::ifstream f(descPath, std::ios::binary);
  out.descriptor.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  if (out.descriptor.size() > kMaxDescriptorBytes) out.descriptor.resize(kMaxDescriptorBytes);
  return true;
}
}  // namespace

uint64_t hidInstanceFromName(const std::string& name) {
  std::string hid = name;
  const size_t raw = hid.find(kHidrawFolder);
  if (raw != std::string::npos) hid.resize(raw);
  if (const size_t slash = hid.rfind('/'); slash != std::string::npos) hid.erase(0, slash + 1);
  if (static_cast<size_t>(std::count(hid.begin(), hid.end(), ':')) != kHidNameColons) return 0;
  const size_t dot = hid.rfind('.');
  if (dot == std::string::npos || hid.find(':', dot) != std::string::npos) return 0;
  const std::string digits = hid.substr(dot + 1);
  if (digits.empty() || digits.size() > kMaxInstanceDigits) return 0;
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c) != 0; })) return 0;
  return std::strtoull(digits.c_str(), nullptr, 16);
}

bool listHidraw(std::vector<RawInterface>& out) {
  UdevPtr<udev> u(udev_new());
  if (!u) return false;
  UdevPtr<udev_enumerate> e(udev_enumerate_new(u.get()));
  if (!e) return false;
  udev_enumerate_add_match_subsystem(e.get(), "hidraw");
  if (udev_enumerate_scan_devices(e.get()) < 0) return false;
  udev_list_entry* entry;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
    UdevPtr<udev_device> dev(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
    if (!dev) continue;
    const char* node = udev_device_get_devnode(dev.get());
    if (!node) continue;
    RawInterface ri;
    ri.base = node;
    if (identityFromUdev(dev.get(), ri)) out.push_back(std::move(ri));
  }
  return true;
}

int openHidraw(const std::string& node, bool wantRead, bool wantWrite, RawInterface& out) {
  int flags = O_CLOEXEC | O_NONBLOCK;
  flags |= (wantRead && wantWrite) ? O_RDWR : (wantWrite ? O_WRONLY : O_RDONLY);
  int fd = ::open(node.c_str(), flags);
  if (fd < 0) return -1;
  hidraw_devinfo info{};
  int descSize = 0;
  if (::ioctl(fd, HIDIOCGRAWINFO, &info) < 0 || ::ioctl(fd, HIDIOCGRDESCSIZE, &descSize) < 0 || descSize < 0 ||
      descSize > static_cast<int>(kMaxDescriptorBytes)) {
    ::close(fd);
    return -1;
  }
  auto desc = std::make_unique<hidraw_report_descriptor>();
  desc->size = static_cast<uint32_t>(descSize);
  if (::ioctl(fd, HIDIOCGRDESC, desc.get()) < 0) {
    ::close(fd);
    return -1;
  }
  out.base = node;
  out.vendorId = static_cast<uint16_t>(info.vendor);
  out.productId = static_cast<uint16_t>(info.product);
  out.descriptor.assign(desc->value, desc->value + desc->size);
  // The interface number and version come from udev, as in enumeration.
  struct stat st {};
  if (::fstat(fd, &st) == 0) {
    UdevPtr<udev> u(udev_new());
    UdevPtr<udev_device> dev(u ? udev_device_new_from_devnum(u.get(), 'c', st.st_rdev) : nullptr);
    if (dev) {
      RawInterface ids;
      if (identityFromUdev(dev.get(), ids)) {
        out.interfaceNumber = ids.interfaceNumber;
        out.version = ids.version;
        out.instance = ids.instance;
      }
    }
  }
  return fd;
}

std::vector<RawInterface> listSimulated() {
  std::vector<RawInterface> out;
  for (const auto& info : sim::listInterfaces()) {
    RawInterface ri;
    ri.base = std::string(sim::kPathPrefix) + info.name;
    ri.vendorId = info.vendorId;
    ri.productId = info.productId;
    ri.version = info.version;
    ri.interfaceNumber = info.interfaceNumber;
    ri.instance = info.instance;
    ri.descriptor = info.reportDescriptor;
    out.push_back(std::move(ri));
  }
  return out;
}

int openSimulated(const std::string& base, RawInterface& out) {
  sim::InterfaceInfo info;
  int fd = sim::connect(base.substr(std::char_traits<char>::length(sim::kPathPrefix)), info);
  if (fd < 0) return -1;
  int fl = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, fl | O_NONBLOCK);
  out.base = base;
  out.vendorId = info.vendorId;
  out.productId = info.productId;
  out.version = info.version;
  out.interfaceNumber = info.interfaceNumber;
  out.instance = info.instance;
  out.descriptor = info.reportDescriptor;
  return fd;
}

}  // namespace kavro::hid::detail
