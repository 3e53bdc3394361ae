#include "profiles/json_file.h"

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug.h"

namespace kavro::profiles {
namespace {

std::atomic<testing::WriteFault> g_fault{testing::WriteFault::None};

bool faultAt(testing::WriteFault step) { return g_fault.load() == step; }

// Closes a descriptor when it goes out of scope.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Reads the whole file when it is a regular file within the size limit.
std::string readWhole(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};
  if (st.st_size <= 0 || static_cast<std::size_t>(st.st_size) > kMaxJsonFileBytes) return {};
  std::string text(static_cast<std::size_t>(st.st_size), '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  // A file that shrank or grew while being read is not taken half-read.
  if (got != text.size()) return {};
  return text;
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
  std::string tmpl = path + ".tmp-XXXXXX";
  if (faultAt(testing::WriteFault::Create)) return EACCES;
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return errno;
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
  // Make the rename itself durable.
  std::string dir = target.parent_path().string();
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return 0;
}


std::string readjsonFile(const std::string& path) {
  // Non-blocking, so that a FIFO in place of a data file cannot hang the
  // reader; such a file is then refused as not regular.
  Descriptor f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  dbg::printf("readjsonFile 错误吗：：%d\n", f.fd < 0 ? errno : 0);
  if (f.fd < 0) return {};
  return readWhole(f.fd);
}

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
}  // namespace testing

}  // namespace kavro::profiles
