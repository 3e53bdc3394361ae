#include "macros/file_bytes.h"

#include "profiles/json_file.h"

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavro::macros {
namespace {

std::atomic<bool> g_failWrites{false};

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::optional<std::string> readFileBytes(const std::string& path, std::size_t maxBytes) {
  FdCloser f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (f.fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > maxBytes) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(f.fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;  // shrank or failed while reading
    got += static_cast<std::size_t>(n);
  }
  return bytes;
}

bool writeFileBytes(const std::string& path, const std::string& bytes) {
  if (path.empty() || g_failWrites.load()) return false;
  return profiles::replaceFileAtomically(path, bytes) == 0;
}

namespace testing {
void setByteWriteFailure(bool fail) { g_failWrites.store(fail); }
}  // namespace testing

}  // namespace kavro::macros
