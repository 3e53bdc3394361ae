#include "devices/keyboard/keyboard_exit_record.h"

#include <cstdio>

#include "profiles/json_file.h"
#include "profiles/profile_paths.h"

namespace kavro::keyboard {

namespace {
constexpr int kByteMax = 0xFF;
}  // namespace

std::string exitRecordPath(const std::string& userFolder) {
  return profiles::joinPath(userFolder, kExitRecordFileName);
}

std::optional<SettingsBlock> readExitRecord(const std::string& userFolder) {
  const Json::Value doc = profiles::readJsonDocument(exitRecordPath(userFolder));
  const Json::Value& bytes = doc.isObject() ? doc[kExitRecordBlockKey] : Json::Value::nullSingleton();
  if (!bytes.isArray() || bytes.size() != kSettingsBlockSize) return std::nullopt;
  SettingsBlock block{};
  for (Json::ArrayIndex i = 0; i < bytes.size(); ++i) {
    if (!bytes[i].isInt() || bytes[i].asInt() < 0 || bytes[i].asInt() > kByteMax) return std::nullopt;
    block[i] = static_cast<std::uint8_t>(bytes[i].asInt());
  }
  return block;
}

bool writeExitRecord(const std::string& userFolder, const SettingsBlock& block) {
  Json::Value doc(Json::objectValue);
  Json::Value& bytes = doc[kExitRecordBlockKey] = Json::Value(Json::arrayValue);
  for (std::uint8_t b : block) bytes.append(static_cast<int>(b));
  profiles::ensureFolder(userFolder);
  return profiles::wirtejsonFile(exitRecordPath(userFolder), doc) == 0;
}

void removeExitRecord(const std::string& userFolder) { std::remove(exitRecordPath(userFolder).c_str()); }

bool isOurExitBlock(const SettingsBlock& read, const std::optional<SettingsBlock>& remembered) {
  return remembered.has_value() && *remembered == read;
}

}  // namespace kavro::keyboard
