#pragma once
// Helpers shared by the profile tests: a scratch folder and small file I/O.
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "temp_dir.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <json/json.h>

namespace kavro::profiles::test {

using kavro::test::TempDir;

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

// Runs fn as an unprivileged user (nobody), so that file permissions apply
// even when the tests run as root; in-process otherwise. False when fn
// returned false.
inline bool runAsUser(const std::function<bool()>& fn) {
  constexpr uid_t kNobody = 65534;
  if (::geteuid() != 0) return fn();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(fn() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline std::string resource(const std::string& name) { return std::string(KAVRO_RESOURCES_DIR) + "/DefaultData/" + name; }

}  // namespace kavro::profiles::test
