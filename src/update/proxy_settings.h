#pragma once
// The desktop's proxy settings, the second try when a request cannot be sent
// directly (or through the proxy variables of the environment, which libcurl
// reads by itself). They are read from GSettings "org.gnome.system.proxy"
// through the `gsettings` command, so no desktop library is linked; without
// that command there is simply no second try.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kavro::update {

inline constexpr char kProxySchema[] = "org.gnome.system.proxy";
inline constexpr char kProxyHttpSchema[] = "org.gnome.system.proxy.http";
inline constexpr char kProxyHttpsSchema[] = "org.gnome.system.proxy.https";
inline constexpr char kProxySocksSchema[] = "org.gnome.system.proxy.socks";

// The proxy a transfer goes through: a libcurl proxy address
// ("http://host:port", "socks5h://host:port"), its bypass list in libcurl's
// form ("localhost,.example.org,10.0.0.0/8") and optional credentials.
struct ProxyChoice {
  std::string proxy;
  std::string noProxy;
  std::string user;
  std::string password;
  bool empty() const { return proxy.empty(); }
};

// The raw answers of `gsettings get SCHEMA KEY`, keyed "SCHEMA KEY".
using GSettingsValues = std::map<std::string, std::string>;

// GVariant text as gsettings prints it: "'text'" → text (backslash escapes
// undone); anything else → nullopt.
std::optional<std::string> parseGVariantString(const std::string& text);
// "['a', 'b']" or "@as []" → {a, b}; nullopt when it is not a string list.
std::optional<std::vector<std::string>> parseGVariantStringList(const std::string& text);
// "3128" or "uint32 3128"; nullopt when not a port number (1..65535).
std::optional<int> parseGVariantPort(const std::string& text);

// Turns the desktop's settings into the proxy for url. Only the "manual" mode
// gives a proxy: "none" has none, and "auto" names a script that would need a
// JavaScript engine to evaluate, so it is left out (debug line).
ProxyChoice desktopProxyFor(const GSettingsValues& values, const std::string& url);

// The GSettings keys desktopProxyFor reads, as (schema, key) pairs.
std::vector<std::pair<std::string, std::string>> desktopProxyKeys();

// Reads one value with the `gsettings` command; nullopt when the command is
// missing or fails (no schema, no desktop).
std::optional<std::string> readGSetting(const std::string& schema, const std::string& key);

// Reads every key through readGSetting and returns desktopProxyFor(url). Reading
// stops after the mode when the mode is not "manual", and at once when
// `gsettings` is missing.
ProxyChoice readDesktopProxy(const std::string& url);

// How the client finds the desktop's proxy; replaceable in tests.
using DesktopProxyReader = std::function<ProxyChoice(const std::string& url)>;

}  // namespace kavro::update
