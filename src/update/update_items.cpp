#include "update/update_items.h"

#include <cctype>
#include <cstdlib>

#include "platform/debug.h"

#ifndef KAVRO_UPDATE_URL
#define KAVRO_UPDATE_URL ""
#endif

namespace kavro::update {

namespace {

constexpr uint16_t kAppModelType = 0;
constexpr uint16_t kMouseType = 2;
constexpr uint16_t kLongTimeoutMouseType = 6;
constexpr char kUrlVariable[] = "KAVRO_UPDATE_URL";

AppKeyPieces keyOf(const ModelEntry& m) {
  AppKeyPieces k;
  k.series = m.strings[kModelSeries];
  k.number = m.type;
  k.model = m.strings[kModelCode];
  k.family = m.strings[kModelFamily];
  k.number2 = m.keyNumber;
  k.present = !k.series.empty() && !k.model.empty();
  return k;
}

UpdateItem itemOf(const ModelEntry& m) {
  UpdateItem item;
  item.name = m.strings[kModelCode];
  item.displayName = m.strings[kModelDisplay];
  item.key = keyOf(m);
  return item;
}

const ModelEntry* modelFor(const std::vector<ModelEntry>& models, const AttachedDevice& d) {
  const uint16_t type = modelTypeOf(d.type);
  for (const auto& m : models) {
    if (m.type != type || type == kAppModelType) continue;
    if (d.model.empty() || m.strings[kModelCode] == d.model) return &m;
  }
  return nullptr;
}

// Form encoding (application/x-www-form-urlencoded) of one value.
std::string formEncode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0x0F]);
    }
  }
  return out;
}

}  // namespace

uint16_t modelTypeOf(uint16_t deviceType) {
  return deviceType == kLongTimeoutMouseType ? kMouseType : deviceType;
}

int appVersionNumber(const std::string& versionText) {
  size_t i = 0;
  while (i < versionText.size() && !std::isdigit(static_cast<unsigned char>(versionText[i]))) {
    if (versionText[i] == '.') return 0;
    ++i;
  }
  int value = 0;
  for (; i < versionText.size() && std::isdigit(static_cast<unsigned char>(versionText[i])); ++i) {
    if (value > 100000000) return 0;  // not a version number
    value = value * 10 + (versionText[i] - '0');
  }
  return value;
}

std::vector<UpdateItem> buildUpdateItems(const std::vector<ModelEntry>& models,
                                         const std::vector<AttachedDevice>& devices) {
  std::vector<UpdateItem> items;
  for (const auto& m : models) {
    if (m.strings[kModelCode] != kAppItemName) continue;
    UpdateItem app = itemOf(m);
    app.installedText = m.strings[kModelVersion];
    app.installedVersion = appVersionNumber(app.installedText);
    items.push_back(app);
    break;
  }
  for (const auto& d : devices) {
    const ModelEntry* m = modelFor(models, d);
    if (m == nullptr) continue;
    UpdateItem item = itemOf(*m);
    item.hexVersion = true;
    item.installedVersion = d.version;
    item.installedText = currentVersionText(item);
    items.push_back(item);
  }
  return items;
}

std::string appKey(const AppKeyPieces& key) {
  if (!key.present) return kNoAppKey;
  return dbg::format("%s_%d_%s_%s_%d", key.series.c_str(), key.number, key.model.c_str(), key.family.c_str(),
                     key.number2);
}

std::string currentVersionText(const UpdateItem& item) {
  return item.hexVersion ? dbg::format("V%04x", static_cast<unsigned>(item.installedVersion))
                         : dbg::format("V%d", item.installedVersion);
}

std::string rowName(const UpdateItem& item) { return item.isApp() ? kAppRowName : item.name; }

std::string queryBody(const UpdateItem& item) {
  const std::string version = item.hexVersion ? dbg::format("%x", static_cast<unsigned>(item.installedVersion))
                                              : dbg::format("%d", item.installedVersion);
  return "app_key=" + formEncode(appKey(item.key)) + "&version=" + version;
}

std::string queryUrl(const std::string& base) {
  if (base.empty() || base.back() == '/') return base + kUpdatesPath;
  return base + "/" + kUpdatesPath;
}

std::string updateServiceBase() {
  const char* env = std::getenv(kUrlVariable);
  if (env != nullptr && env[0] != '\0') return env;
  return KAVRO_UPDATE_URL;
}

}  // namespace kavro::update
