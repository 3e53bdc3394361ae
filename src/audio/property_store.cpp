#include "audio/property_store.h"

#include <cmath>
#include <filesystem>

#include "platform/debug.h"
#include "profiles/json_file.h"
#include "profiles/profile_paths.h"

namespace kavro::audio {
namespace {

constexpr char kCardsKey[] = "Cards";
constexpr char kVersionKey[] = "Version";
constexpr int kStateVersion = 1;
constexpr char kStateFolder[] = "SDK";
constexpr char kStateFile[] = "osConfLib.json";
constexpr char kSimStateFile[] = "osConfLib-sim.json";

std::string key(std::string_view s) { return std::string(s); }

}  // namespace

PropertyStore::PropertyStore(std::string path) : path_(std::move(path)) {}

void PropertyStore::load() {
  if (path_.empty()) return;
  Json::Value doc = profiles::readJsonDocument(path_);
  doc_ = doc.isObject() && doc[kCardsKey].isObject() ? doc : Json::Value();
}

std::optional<double> PropertyStore::get(std::string_view card, std::string_view section,
                                         std::string_view name) const {
  const Json::Value* cards = doc_.find(kCardsKey, kCardsKey + sizeof kCardsKey - 1);
  if (cards == nullptr || !cards->isObject()) return std::nullopt;
  const Json::Value& c = (*cards)[key(card)];
  if (!c.isObject() || !c[key(section)].isObject()) return std::nullopt;
  const Json::Value& v = c[key(section)][key(name)];
  if (!v.isNumeric() || !std::isfinite(v.asDouble())) return std::nullopt;
  return v.asDouble();
}

double PropertyStore::getOr(std::string_view card, std::string_view section, std::string_view name,
                            double fallback) const {
  return get(card, section, name).value_or(fallback);
}

bool PropertyStore::set(std::string_view card, std::string_view section, std::string_view name, double value) {
  doc_[kVersionKey] = kStateVersion;
  Json::Value& slot = doc_[kCardsKey][key(card)][key(section)][key(name)];
  if (value == std::floor(value) && std::fabs(value) < 1e9) {
    slot = static_cast<Json::Int>(value);
  } else {
    slot = value;
  }
  if (path_.empty()) return true;
  const std::string folder = std::filesystem::path(path_).parent_path().string();
  if (!profiles::ensureFolder(folder) || profiles::wirtejsonFile(path_, doc_) != 0) {
    dbg::write("osConfLib: state file not written: " + path_ + "\n");
    return false;
  }
  return true;
}

std::string stateFilePath(bool simulated) {
  const std::string folder = profiles::joinPath(profiles::userDataRoot(), kStateFolder);
  return profiles::joinPath(folder, simulated ? kSimStateFile : kStateFile);
}

}  // namespace kavro::audio
