#pragma once
// Helpers shared by the profile tests: a scratch folder and small file I/O.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <json/json.h>

namespace kavro::profiles::test {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kavro_profiles_XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline Json::Value parse(const std::string& text) {
  Json::Value v;
  Json::CharReaderBuilder b;
  std::string err;
  std::istringstream in(text);
  EXPECT_TRUE(Json::parseFromStream(b, in, &v, &err)) << err;
  return v;
}

inline std::string resource(const std::string& name) { return std::string(KAVRO_RESOURCES_DIR) + "/DefaultData/" + name; }

}  // namespace kavro::profiles::test
