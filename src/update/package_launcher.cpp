#include "update/package_launcher.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/debug.h"
#include "update/process.h"
#include "update/update_rules.h"

namespace kavro::update {

namespace {

constexpr mode_t kOwnerExecutable = S_IRUSR | S_IWUSR | S_IXUSR;

LaunchOutcome outcomeOf(const ProcessResult& r, const std::string& what) {
  switch (r.kind) {
    case ProcessResult::Kind::Exited:
      if (r.code == 0) return {LaunchOutcome::Kind::Done, what + " finished"};
      return {LaunchOutcome::Kind::Failed, what + " exited with " + std::to_string(r.code)};
    case ProcessResult::Kind::Signalled:
      return {LaunchOutcome::Kind::Failed, what + " killed by signal " + std::to_string(r.code)};
    case ProcessResult::Kind::NotStarted:
      return {LaunchOutcome::Kind::Failed, what + " could not start: " + std::strerror(r.code)};
    case ProcessResult::Kind::Running:
    case ProcessResult::Kind::TimedOut:
      break;
  }
  return {LaunchOutcome::Kind::StillRunning, what + " still running"};
}

// Only a regular file of ours is made executable (never what a link points to).
bool makeExecutable(const std::string& file, std::string* detail) {
  struct stat st {};
  if (::lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    *detail = "not a regular file: " + file;
    return false;
  }
  if (::chmod(file.c_str(), kOwnerExecutable) != 0) {
    *detail = "cannot make executable: " + std::string(std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace

LaunchOutcome launchPackage(const std::string& file, int deviceId, Event* stop, const LaunchSettings& settings) {
  LaunchOutcome out;
  if (deviceId == kAppPackageDeviceId) {
    out = outcomeOf(runAndWait({settings.opener, file}, stop), settings.opener);
  } else if (makeExecutable(file, &out.detail)) {
    out = outcomeOf(runAndWait({file}, stop), "firmware package");
  }
  dbg::printf("update: %s: %s\n", file.c_str(), out.detail.c_str());
  return out;
}

}  // namespace kavro::update
