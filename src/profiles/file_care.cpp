#include "profiles/file_care.h"

#include <cerrno>
#include <cstdio>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug.h"
#include "profiles/json_file.h"

namespace kavro::profiles {
namespace {

bool isLetterOrDigit(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

bool pathTaken(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

// The first free copy name, or the last one when every name is taken.
std::string freeDamagedName(const std::string& path) {
  for (int n = 1; n < kMaxDamagedCopies; ++n) {
    std::string name = damagedCopyName(path, n);
    if (!pathTaken(name)) return name;
  }
  return damagedCopyName(path, kMaxDamagedCopies);
}

// Removes one stale temporary; true when it was removed.
bool removeIfStale(int dirFd, const char* name, std::time_t cutoff) {
  struct stat st {};
  if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISREG(st.st_mode) || st.st_mtime > cutoff) return false;
  const int fd = ::openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return false;
  struct stat opened {};
  bool removed = false;
  // The same file as looked at, and no save holds it.
  if (::fstat(fd, &opened) == 0 && opened.st_ino == st.st_ino && opened.st_dev == st.st_dev &&
      ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    removed = ::unlinkat(dirFd, name, 0) == 0;
  }
  ::close(fd);
  return removed;
}

}  // namespace

std::string damagedCopyName(const std::string& path, int n) {
  std::string name = path + kDamagedSuffix;
  if (n > 1) name += "-" + std::to_string(n);
  return name;
}

std::string keepDamagedCopy(const std::string& path, const std::string& bytes) {
  if (path.empty()) return {};
  const std::string copy = freeDamagedName(path);
  const int err = bytes.empty() ? (::rename(path.c_str(), copy.c_str()) == 0 ? 0 : errno)
                                : replaceFileAtomically(copy, bytes);
  if (err != 0) {
    dbg::printf("damaged copy failed: %d\n", err);
    return {};
  }
  dbg::write("damaged file kept as " + copy + "\n");
  return copy;
}

bool isTemporaryFileName(std::string_view name) {
  const std::string_view infix(kTemporaryInfix);
  const std::size_t tail = infix.size() + kTemporarySuffixLength;
  if (name.size() <= tail) return false;  // a file name must come first
  const std::size_t at = name.size() - tail;
  if (name.substr(at, infix.size()) != infix) return false;
  for (std::size_t i = at + infix.size(); i < name.size(); ++i) {
    if (!isLetterOrDigit(name[i])) return false;
  }
  return true;
}

int removeStaleTemporaries(const std::string& folder, int minAgeSeconds) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return 0;
  const std::time_t cutoff = std::time(nullptr) - minAgeSeconds;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    if (isTemporaryFileName(entry->d_name) && removeIfStale(::dirfd(dir), entry->d_name, cutoff)) ++removed;
  }
  ::closedir(dir);
  if (removed > 0) dbg::printf("stale temporaries removed: %d\n", removed);
  return removed;
}

}  // namespace kavro::profiles
