// Reading the desktop's proxy settings as gsettings prints them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <functional>

#include "update/proxy_settings.h"
#include "update_test_util.h"

namespace kavro::update {
namespace {

GSettingsValues manual() {
  return {
      {"org.gnome.system.proxy mode", "'manual'"},
      {"org.gnome.system.proxy ignore-hosts", "['localhost', '127.0.0.0/8', '::1', '*.lan']"},
      {"org.gnome.system.proxy.http host", "'proxy.lan'"},
      {"org.gnome.system.proxy.http port", "3128"},
  };
}

TEST(ProxySettings, GVariantTexts) {
  EXPECT_EQ(parseGVariantString("'manual'\n"), "manual");
  EXPECT_EQ(parseGVariantString("\"it's\""), "it's");
  EXPECT_EQ(parseGVariantString("'a\\'b'"), "a'b");
  EXPECT_FALSE(parseGVariantString("manual"));
  EXPECT_FALSE(parseGVariantString("'open"));
  EXPECT_EQ(parseGVariantStringList("@as []"), std::vector<std::string>{});
  EXPECT_EQ(parseGVariantStringList("['a', 'b,c']"), (std::vector<std::string>{"a", "b,c"}));
  EXPECT_FALSE(parseGVariantStringList("['a' 'b']"));
  EXPECT_EQ(parseGVariantPort("8080"), 8080);
  EXPECT_EQ(parseGVariantPort("uint32 8080"), 8080);
  EXPECT_FALSE(parseGVariantPort("0"));
  EXPECT_FALSE(parseGVariantPort("70000"));
}

TEST(ProxySettings, ManualModeGivesTheProxyForTheScheme) {
  GSettingsValues v = manual();
  const ProxyChoice http = desktopProxyFor(v, "http://u.example/");
  EXPECT_EQ(http.proxy, "http://proxy.lan:3128");
  EXPECT_EQ(http.noProxy, "localhost,127.0.0.0/8,::1,.lan");
  // https uses its own server, or the http one only when told to use the same.
  EXPECT_TRUE(desktopProxyFor(v, "https://u.example/").empty());
  v["org.gnome.system.proxy use-same-proxy"] = "true";
  EXPECT_EQ(desktopProxyFor(v, "https://u.example/").proxy, "http://proxy.lan:3128");
  v["org.gnome.system.proxy.https host"] = "'secure.lan'";
  v["org.gnome.system.proxy.https port"] = "8443";
  EXPECT_EQ(desktopProxyFor(v, "https://u.example/").proxy, "http://secure.lan:8443");
  // Credentials of the http proxy.
  v["org.gnome.system.proxy.http use-authentication"] = "true";
  v["org.gnome.system.proxy.http authentication-user"] = "'me'";
  v["org.gnome.system.proxy.http authentication-password"] = "'pw'";
  const ProxyChoice withUser = desktopProxyFor(v, "http://u.example/");
  EXPECT_EQ(withUser.user, "me");
  EXPECT_EQ(withUser.password, "pw");
}

TEST(ProxySettings, NoProxyOutsideManualModeOrWithBadHosts) {
  GSettingsValues v = manual();
  v["org.gnome.system.proxy mode"] = "'none'";
  EXPECT_TRUE(desktopProxyFor(v, "http://u/").empty());
  v["org.gnome.system.proxy mode"] = "'auto'";
  EXPECT_TRUE(desktopProxyFor(v, "http://u/").empty());
  v = manual();
  v["org.gnome.system.proxy.http host"] = "'user@evil/x'";
  EXPECT_TRUE(desktopProxyFor(v, "http://u/").empty());
  v = manual();
  v.erase("org.gnome.system.proxy.http host");
  v["org.gnome.system.proxy.socks host"] = "'socks.lan'";
  v["org.gnome.system.proxy.socks port"] = "1080";
  EXPECT_EQ(desktopProxyFor(v, "https://u/").proxy, "socks5h://socks.lan:1080");
  EXPECT_TRUE(desktopProxyFor({}, "http://u/").empty());
}

// Runs f with PATH set to folder only, so a fake `gsettings` (or none) is found.
void withPath(const std::string& folder, const std::function<void()>& f) {
  const char* old = std::getenv("PATH");
  const std::string saved = old != nullptr ? old : "";
  ::setenv("PATH", folder.c_str(), 1);
  f();
  ::setenv("PATH", saved.c_str(), 1);
}

TEST(ProxySettings, ReadThroughTheGSettingsCommandWhenItExists) {
  test::TempFolder folder;
  withPath(folder.path(), [] { EXPECT_TRUE(readDesktopProxy("http://u/").empty()); });  // no gsettings: no try

  const std::string fake = folder.file("gsettings");
  test::writeBytes(fake,
                   "#!/bin/sh\n"
                   "case \"$2 $3\" in\n"
                   "  'org.gnome.system.proxy mode') echo \"'manual'\" ;;\n"
                   "  'org.gnome.system.proxy ignore-hosts') echo \"['localhost']\" ;;\n"
                   "  'org.gnome.system.proxy.http host') echo \"'proxy.lan'\" ;;\n"
                   "  'org.gnome.system.proxy.http port') echo 3128 ;;\n"
                   "  *) echo \"''\" ;;\n"
                   "esac\n");
  ::chmod(fake.c_str(), 0700);
  withPath(folder.path() + ":/bin:/usr/bin", [] {
    const ProxyChoice p = readDesktopProxy("http://u/");
    EXPECT_EQ(p.proxy, "http://proxy.lan:3128");
    EXPECT_EQ(p.noProxy, "localhost");
  });
}

}  // namespace
}  // namespace kavro::update
