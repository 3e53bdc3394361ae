#include "profiles/profile_paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace kavro::profiles {
namespace fs = std::filesystem;

std::string joinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

std::string userDataRoot() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base;
  // The XDG rules ignore relative values.
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
      const passwd* pw = ::getpwuid(::getuid());
      home = pw ? pw->pw_dir : "/tmp";
    }
    base = joinPath(home, ".local/share");
  }
  return joinPath(base, kProductFolderName);
}

std::string deviceProfileFolder(const std::string& typeName) { return joinPath(userDataRoot(), typeName); }

std::string defaultDataFolderFor(const std::string& exeDir) { return joinPath(exeDir, kDefaultDataFolderName); }

bool ensureFolder(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  fs::create_directories(fs::path(path), ec);
  return fs::is_directory(fs::path(path), ec);
}

bool isPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace kavro::profiles
