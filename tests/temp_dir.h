#pragma once
// A fresh folder under the system temporary folder for one test, removed
// with its content when the test ends.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kavro::test {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "kavro") {
    std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + "_XXXXXX")).string();
    if (::mkdtemp(tmpl.data()) != nullptr) path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace kavro::test
