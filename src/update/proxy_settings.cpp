#include "update/proxy_settings.h"

#include <cctype>
#include <cstdlib>

#include "platform/debug.h"
#include "update/process.h"

namespace kavro::update {

namespace {

constexpr int kGSettingsTimeoutMs = 2000;
constexpr char kModeManual[] = "manual";
constexpr char kModeAuto[] = "auto";
constexpr int kMaxPort = 65535;

std::string trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Reads one quoted GVariant string starting at text[pos]; advances pos past it.
std::optional<std::string> readQuoted(const std::string& text, size_t& pos) {
  if (pos >= text.size() || (text[pos] != '\'' && text[pos] != '"')) return std::nullopt;
  const char quote = text[pos++];
  std::string out;
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == quote) return out;
    if (c == '\\') {
      if (pos >= text.size()) return std::nullopt;
      out.push_back(text[pos++]);
    } else {
      out.push_back(c);
    }
  }
  return std::nullopt;
}

std::string key(const char* schema, const char* name) { return std::string(schema) + " " + name; }

std::string valueOf(const GSettingsValues& values, const char* schema, const char* name) {
  const auto it = values.find(key(schema, name));
  return it == values.end() ? std::string() : it->second;
}

std::string stringOf(const GSettingsValues& values, const char* schema, const char* name) {
  return parseGVariantString(valueOf(values, schema, name)).value_or("");
}

// A host name or address that can stand in a proxy URL as it is.
bool plainHost(const std::string& host) {
  if (host.empty()) return false;
  for (unsigned char c : host) {
    if (!std::isalnum(c) && c != '.' && c != '-' && c != '_' && c != ':') return false;
  }
  return true;
}

struct Endpoint {
  std::string host;
  int port = 0;
  const char* scheme = "http://";
  std::string schema = kProxyHttpSchema;
};

std::optional<Endpoint> endpointOf(const GSettingsValues& values, const char* schema, const char* scheme) {
  Endpoint e;
  e.host = stringOf(values, schema, "host");
  e.port = parseGVariantPort(valueOf(values, schema, "port")).value_or(0);
  e.scheme = scheme;
  e.schema = schema;
  if (!plainHost(e.host) || e.port == 0) return std::nullopt;
  return e;
}

// The desktop's proxy server for a URL of the given scheme.
std::optional<Endpoint> endpointFor(const GSettingsValues& values, bool https) {
  const bool sameProxy = valueOf(values, kProxySchema, "use-same-proxy") == "true";
  std::optional<Endpoint> e;
  if (https) e = endpointOf(values, kProxyHttpsSchema, "http://");
  if (!e && (!https || sameProxy)) e = endpointOf(values, kProxyHttpSchema, "http://");
  if (!e) e = endpointOf(values, kProxySocksSchema, "socks5h://");
  return e;
}

// GNOME's bypass patterns in libcurl's form: "*.example.org" → ".example.org".
std::string noProxyOf(const GSettingsValues& values) {
  const auto hosts = parseGVariantStringList(valueOf(values, kProxySchema, "ignore-hosts"));
  std::string out;
  if (!hosts) return out;
  for (std::string h : *hosts) {
    if (!h.empty() && h[0] == '*') h.erase(0, 1);
    if (h.empty() || h.find(',') != std::string::npos) continue;
    if (!out.empty()) out += ",";
    out += h;
  }
  return out;
}

}  // namespace

std::optional<std::string> parseGVariantString(const std::string& text) {
  const std::string t = trim(text);
  size_t pos = 0;
  auto s = readQuoted(t, pos);
  if (!s || pos != t.size()) return std::nullopt;
  return s;
}

std::optional<std::vector<std::string>> parseGVariantStringList(const std::string& text) {
  std::string t = trim(text);
  if (t.rfind("@as ", 0) == 0) t = trim(t.substr(4));
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return std::nullopt;
  std::vector<std::string> out;
  size_t pos = 1;
  const size_t end = t.size() - 1;
  auto skipSpace = [&] {
    while (pos < end && std::isspace(static_cast<unsigned char>(t[pos]))) ++pos;
  };
  skipSpace();
  while (pos < end) {
    auto item = readQuoted(t, pos);
    if (!item) return std::nullopt;
    out.push_back(*item);
    skipSpace();
    if (pos < end && t[pos] != ',') return std::nullopt;
    if (pos < end) ++pos;
    skipSpace();
  }
  return out;
}

std::optional<int> parseGVariantPort(const std::string& text) {
  std::string t = trim(text);
  const size_t space = t.find(' ');
  if (space != std::string::npos) t = t.substr(space + 1);  // "uint32 8080"
  if (t.empty() || t.size() > 5) return std::nullopt;
  for (unsigned char c : t) {
    if (!std::isdigit(c)) return std::nullopt;
  }
  const int port = std::atoi(t.c_str());
  if (port < 1 || port > kMaxPort) return std::nullopt;
  return port;
}

ProxyChoice desktopProxyFor(const GSettingsValues& values, const std::string& url) {
  const std::string mode = stringOf(values, kProxySchema, "mode");
  if (mode == kModeAuto) dbg::write("http: the desktop's automatic proxy script is not evaluated\n");
  if (mode != kModeManual) return {};
  const bool https = url.rfind("https://", 0) == 0;
  const auto e = endpointFor(values, https);
  if (!e) return {};
  ProxyChoice choice;
  const bool v6 = e->host.find(':') != std::string::npos;
  choice.proxy = std::string(e->scheme) + (v6 ? "[" + e->host + "]" : e->host) + ":" + std::to_string(e->port);
  choice.noProxy = noProxyOf(values);
  if (e->schema == kProxyHttpSchema && valueOf(values, kProxyHttpSchema, "use-authentication") == "true") {
    choice.user = stringOf(values, kProxyHttpSchema, "authentication-user");
    choice.password = stringOf(values, kProxyHttpSchema, "authentication-password");
  }
  return choice;
}

std::vector<std::pair<std::string, std::string>> desktopProxyKeys() {
  std::vector<std::pair<std::string, std::string>> keys = {
      {kProxySchema, "mode"}, {kProxySchema, "use-same-proxy"}, {kProxySchema, "ignore-hosts"}};
  for (const char* schema : {kProxyHttpsSchema, kProxyHttpSchema, kProxySocksSchema}) {
    keys.emplace_back(schema, "host");
    keys.emplace_back(schema, "port");
  }
  for (const char* name : {"use-authentication", "authentication-user", "authentication-password"}) {
    keys.emplace_back(kProxyHttpSchema, name);
  }
  return keys;
}

std::optional<std::string> readGSetting(const std::string& schema, const std::string& name) {
  std::string out;
  const ProcessResult r = runCapture({"gsettings", "get", schema, name}, &out, kGSettingsTimeoutMs);
  if (!r.succeeded()) return std::nullopt;
  return trim(out);
}

ProxyChoice readDesktopProxy(const std::string& url) {
  GSettingsValues values;
  const auto mode = readGSetting(kProxySchema, "mode");
  if (!mode) return {};  // no gsettings or no schema: no second try
  values[key(kProxySchema, "mode")] = *mode;
  if (parseGVariantString(*mode).value_or("") == kModeManual) {
    for (const auto& [schema, name] : desktopProxyKeys()) {
      if (name == "mode" && schema == kProxySchema) continue;
      if (auto v = readGSetting(schema, name)) values[schema + " " + name] = *v;
    }
  }
  return desktopProxyFor(values, url);
}

}  // namespace kavro::update
