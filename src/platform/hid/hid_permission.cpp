#include "platform/hid/hid_permission.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/hid/hid_backend.h"

namespace kavro::hid {

NodeAccess checkNodeAccess(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return NodeAccess::Ok;
  }
  switch (errno) {
    case EACCES:
    case EPERM: return NodeAccess::NoPermission;
    case ENOENT:
    case ENODEV:
    case ENXIO: return NodeAccess::Missing;
    default: return NodeAccess::Failed;
  }
}

std::vector<std::string> inaccessibleNodes(const std::vector<std::pair<uint16_t, uint16_t>>& ids) {
  std::vector<detail::RawInterface> all;
  std::vector<std::string> out;
  if (!detail::listHidraw(all)) return out;
  for (const auto& ri : all) {
    const bool supported = std::find(ids.begin(), ids.end(), std::make_pair(ri.vendorId, ri.productId)) != ids.end();
    if (supported && checkNodeAccess(ri.base) == NodeAccess::NoPermission) out.push_back(ri.base);
  }
  return out;
}

}  // namespace kavro::hid
