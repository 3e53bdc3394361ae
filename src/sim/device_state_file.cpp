#include "sim/device_state_file.h"

#include <cstdint>

#include "profiles/json_file.h"

namespace kavro::sim {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr unsigned kNibbleBits = 4;
constexpr uint8_t kNibbleMask = 0x0F;

std::string hexOf(const std::vector<uint8_t>& bytes) {
  size_t used = bytes.size();
  while (used > 0 && bytes[used - 1] == 0) --used;
  std::string text;
  text.reserve(2 * used);
  for (size_t i = 0; i < used; ++i) {
    text.push_back(kHexDigits[bytes[i] >> kNibbleBits]);
    text.push_back(kHexDigits[bytes[i] & kNibbleMask]);
  }
  return text;
}

int nibble(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of a hex string, zero-padded to size; false when malformed or too long.
bool bytesOf(const Json::Value& value, size_t size, std::vector<uint8_t>& out) {
  if (!value.isString()) return false;
  const std::string text = value.asString();
  if (text.size() % 2 != 0 || text.size() / 2 > size) return false;
  std::vector<uint8_t> bytes(size, 0);
  for (size_t i = 0; i < text.size() / 2; ++i) {
    const int hi = nibble(text[2 * i]), lo = nibble(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = static_cast<uint8_t>(hi << kNibbleBits | lo);
  }
  out = std::move(bytes);
  return true;
}

}  // namespace

Json::Value stateDocument(const std::string& kind, const FirmwareState& state) {
  Json::Value doc(Json::objectValue);
  doc[kStateKind] = kind;
  doc[kStateSettings] = hexOf(state.settings);
  doc[kStateKeyTable] = hexOf(state.keyTable);
  doc[kStateColorBanks] = hexOf(state.colorBanks);
  doc[kStateMacro] = hexOf(state.macro);
  return doc;
}

bool stateFromDocument(const Json::Value& doc, const std::string& kind, const FirmwareState& sizes,
                       FirmwareState& out) {
  if (!doc.isObject() || !doc[kStateKind].isString() || doc[kStateKind].asString() != kind) return false;
  FirmwareState s;
  if (!bytesOf(doc[kStateSettings], sizes.settings.size(), s.settings) ||
      !bytesOf(doc[kStateKeyTable], sizes.keyTable.size(), s.keyTable) ||
      !bytesOf(doc[kStateColorBanks], sizes.colorBanks.size(), s.colorBanks) ||
      !bytesOf(doc[kStateMacro], sizes.macro.size(), s.macro)) {
    return false;
  }
  out = std::move(s);
  return true;
}

bool saveStateFile(const std::string& path, const std::string& kind, const FirmwareState& state) {
  return profiles::wirtejsonFile(path, stateDocument(kind, state)) == 0;
}

bool loadStateFile(const std::string& path, const std::string& kind, const FirmwareState& sizes, FirmwareState& out) {
  return stateFromDocument(profiles::readJsonDocument(path), kind, sizes, out);
}

}  // namespace kavro::sim
