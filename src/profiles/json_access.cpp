#include "profiles/json_access.h"

#include <cmath>
#include <limits>

namespace kavro::profiles::json {
namespace {
const Json::Value& nullValue() {
  static const Json::Value kNull;
  return kNull;
}
}  // namespace

const Json::Value& member(const Json::Value& v, const char* key) {
  if (!v.isObject()) return nullValue();
  const Json::Value* found = v.find(key, key + std::char_traits<char>::length(key));
  return found ? *found : nullValue();
}

const Json::Value& element(const Json::Value& v, Json::ArrayIndex i) {
  if (!v.isArray() || i >= v.size()) return nullValue();
  return v[i];
}

Json::ArrayIndex arraySize(const Json::Value& v) { return v.isArray() ? v.size() : 0; }

bool has(const Json::Value& v, const char* key) { return !member(v, key).isNull(); }

std::int64_t toInt64(const Json::Value& v) {
  switch (v.type()) {
    case Json::intValue:
      return v.asInt64();
    case Json::uintValue:
      return static_cast<std::int64_t>(v.asUInt64());  // wraps above INT64_MAX, like a C cast
    case Json::realValue: {
      double d = v.asDouble();
      // 2^63 itself is not representable; stay strictly inside.
      if (!std::isfinite(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0) return 0;
      return static_cast<std::int64_t>(d);
    }
    case Json::booleanValue:
      return v.asBool() ? 1 : 0;
    default:
      return 0;
  }
}

int toInt(const Json::Value& v) {
  std::int64_t n = toInt64(v);
  if (n > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (n < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(n);
}

std::uint32_t toUInt32(const Json::Value& v) { return static_cast<std::uint32_t>(toInt64(v)); }
std::uint16_t toUInt16(const Json::Value& v) { return static_cast<std::uint16_t>(toInt64(v)); }
std::uint8_t toByte(const Json::Value& v) { return static_cast<std::uint8_t>(toInt64(v)); }

bool toBool(const Json::Value& v) {
  if (v.isBool()) return v.asBool();
  if (v.isDouble() && !v.isIntegral()) {
    double d = v.asDouble();
    return !std::isnan(d) && d != 0.0;
  }
  return toInt64(v) != 0;
}

std::string toString(const Json::Value& v) {
  if (!v.isString()) return {};
  const char* begin = nullptr;
  const char* end = nullptr;
  if (!v.getString(&begin, &end) || begin == nullptr) return {};
  return sanitizeUtf8(std::string(begin, end));
}

std::string sanitizeUtf8(const std::string& text) {
  static const char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    unsigned char c = s[i];
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    }
    bool ok = len != 0 && i + len <= n;
    for (std::size_t k = 1; ok && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    // Reject overlong forms, surrogates and code points past U+10FFFF.
    if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
               (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
      ok = false;
    }
    if (ok) {
      out.append(text, i, len);
      i += len;
    } else {
      out += kReplacement;
      ++i;
    }
  }
  return out;
}

Json::Value& slot(Json::Value& v, const char* key) {
  if (!v.isObject()) v = Json::Value(Json::objectValue);
  return v[key];
}

Json::Value& slot(Json::Value& v, Json::ArrayIndex i) {
  if (!v.isArray()) v = Json::Value(Json::arrayValue);
  return v[i];
}

}  // namespace kavro::profiles::json
