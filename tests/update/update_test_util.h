#pragma once
// Shared pieces of the update tests: a private folder, file helpers, and a
// certificate authority made once per test program.
#include <dirent.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "update/test_certificate.h"

namespace kavro::update::test {

// A private folder of the update tests, with the names of its files.
class TempFolder : public kavro::test::TempDir {
 public:
  TempFolder() : TempDir("kavro_update") {}
  // Names of the files in the folder.
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(path(), ec)) out.push_back(e.path().filename());
    return out;
  }
};

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

// The certificates of this test program, made on first use.
inline const TestAuthority& testAuthority() {
  static const TestAuthority authority = [] {
    TestAuthority a;
    std::string error;
    if (!makeTestAuthority(&a, &error)) std::abort();
    return a;
  }();
  return authority;
}

// Proxy variables of the caller's environment must not reroute loopback tests.
inline void clearProxyEnvironment() {
  for (const char* v : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    ::unsetenv(v);
  }
}

}  // namespace kavro::update::test
