#include "profiles/json_file.h"

#include <atomic>
#include <cstdint>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug.h"

namespace kavro::profiles {
namespace {

std::atomic<testing::WriteFault> g_fault{testing::WriteFault::None};

bool faultAt(testing::WriteFault step) { return g_fault.load() == step; }

std::atomic<int> g_crashCountdown{0};
std::atomic<bool> g_crashAfterRename{false};

// The crash point of tests: true when this replacement is the one to die in.
bool crashDue() { return g_crashCountdown.load() > 0 && g_crashCountdown.fetch_sub(1) == 1; }
void crashIf(bool due, bool afterRename) {
  if (due && g_crashAfterRename.load() == afterRename) ::_exit(testing::kCrashExitCode);
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Reads the whole open file when it is a regular file within the size limit.
void readWhole(int fd, std::size_t maxBytes, FileRead& r) {
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    r.state = FileState::Unreadable;
    r.error = errno;
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    r.state = FileState::NotRegular;
    return;
  }
  if (st.st_size <= 0) {
    r.state = FileState::Empty;
    return;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    r.state = FileState::TooLarge;
    return;
  }
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) r.error = errno;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  // A file that shrank or grew while being read is not taken half-read.
  if (got != text.size()) {
    r.state = FileState::Unreadable;
    if (r.error == 0) r.error = EIO;
    return;
  }
  r.state = FileState::Ok;
  r.bytes = std::move(text);
}

// The state of a path that could not be looked at or opened.
FileState stateOfError(int error) {
  return (error == ENOENT || error == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
}

bool writeAll(int fd, const std::string& text) {
  if (faultAt(testing::WriteFault::Write)) {
    errno = ENOSPC;
    return false;
  }
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

// Writes text to a fresh temporary file beside path and renames it over
// path. Returns the errno of the failing step, 0 on success.
int replaceFileAtomically(const std::string& path, const std::string& text) {
  std::filesystem::path target(path);
  const bool crash = crashDue();
  std::string tmpl = path + kTemporaryInfix + std::string(kTemporarySuffixLength, 'X');
  if (faultAt(testing::WriteFault::Create)) return EACCES;
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  // Held until the descriptor closes: the clean-up of stale temporaries
  // leaves a locked file alone. Should the lock fail, that clean-up's age
  // rule still keeps it away from a file being written.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) dbg::printf("temporary lock: %d\n", errno);
  // Keep the mode of the file being replaced; new files get the usual 0644.
  struct stat st {};
  mode_t mode = (::stat(path.c_str(), &st) == 0) ? (st.st_mode & 07777) : 0644;
  ::fchmod(fd, mode);
  int err = 0;
  if (!writeAll(fd, text)) {
    err = errno ? errno : EIO;
  } else if (faultAt(testing::WriteFault::Sync) || ::fsync(fd) != 0) {
    err = errno ? errno : EIO;
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  crashIf(crash && err == 0, false);
  if (err == 0) {
    if (faultAt(testing::WriteFault::Rename)) {
      err = EXDEV;
    } else if (::rename(tmpl.c_str(), path.c_str()) != 0) {
      err = errno;
    }
  }
  if (err != 0) {
    ::unlink(tmpl.c_str());
    return err;
  }
  crashIf(crash, true);
  // Make the rename itself durable.
  std::string dir = target.parent_path().string();
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}


FileRead readFileChecked(const std::string& path, std::size_t maxBytes) {
  FileRead r;
  // Looked at before opening: a FIFO or device in place of a data file is
  // never opened, and an oversized file is refused without reading it.
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    r.error = errno;
    r.state = stateOfError(r.error);
  } else if (!S_ISREG(st.st_mode)) {
    r.state = FileState::NotRegular;
  } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    r.state = FileState::TooLarge;
  } else {
    // Non-blocking in case the path was replaced by a FIFO since the look.
    Descriptor f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (f.fd < 0) {
      r.error = errno;
      r.state = stateOfError(r.error);
    } else {
      readWhole(f.fd, maxBytes, r);
    }
  }
  dbg::printf("readjsonFile 错误吗：：%d\n", r.error);
  return r;
}

std::string readjsonFile(const std::string& path) { return readFileChecked(path).bytes; }

Json::Value parseJsonText(const std::string& text) {
  if (text.empty() || text.size() > kMaxJsonFileBytes) return Json::Value();
  try {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowComments"] = true;
    builder["stackLimit"] = static_cast<int>(kMaxJsonNesting);
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    const char* begin = text.data();
    // Files saved by some editors start with a UTF-8 byte order mark.
    if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) begin += 3;
    if (!reader->parse(begin, text.data() + text.size(), &root, &errors)) return Json::Value();
    return root;
  } catch (const std::exception&) {
    // The reader throws when the nesting limit is passed.
    return Json::Value();
  }
}

DocumentRead readJsonDocumentChecked(const std::string& path, std::size_t maxBytes) {
  DocumentRead r;
  r.file = readFileChecked(path, maxBytes);
  if (r.file.state == FileState::Missing) return r;
  if (r.file.state == FileState::Ok) r.document = parseJsonText(r.file.bytes);
  r.state = r.document.isNull() ? DocumentState::Unusable : DocumentState::Ok;
  return r;
}

Json::Value readJsonDocument(const std::string& path) {
  std::string text = readjsonFile(path);
  if (text.empty()) {
    dbg::write(path + "\n");
    return Json::Value();
  }
  return parseJsonText(text);
}

std::string styledJsonText(const Json::Value& document) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  Json::StyledWriter writer;
  std::string text = writer.write(document);
#pragma GCC diagnostic pop
  // The writer ends the text with a newline already; keep exactly one.
  while (!text.empty() && text.back() == '\n') text.pop_back();
  text += '\n';
  return text;
}

int wirtejsonFile(const std::string& path, const Json::Value& document) {
  std::string text;
  try {
    text = styledJsonText(document);
  } catch (const std::exception&) {
    dbg::printf("wirtejsonFile 错误吗：：%d\n", EINVAL);
    return 1;
  }
  int err = path.empty() ? ENOENT : replaceFileAtomically(path, text);
  dbg::printf("wirtejsonFile 错误吗：：%d\n", err);
  return err == 0 ? 0 : 1;
}

namespace testing {
void setWriteFault(WriteFault fault) { g_fault.store(fault); }
void crashAtWrite(int n, bool afterRename) {
  g_crashAfterRename.store(afterRename);
  g_crashCountdown.store(n);
}
}  // namespace testing

}  // namespace kavro::profiles
