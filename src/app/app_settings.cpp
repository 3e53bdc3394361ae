#include "app/app_settings.h"

#include <QDir>
#include <QSettings>

#include "app/app_messages.h"
#include "hook/input_hook.h"
#include "platform/debug.h"

namespace kavro::app {

namespace {

QString configHome() {
  const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return xdg;
  return QDir::homePath() + QStringLiteral("/.config");
}

bool writeValue(const char* key, const QString& value) {
  QSettings s(settingsFilePath(), QSettings::IniFormat);
  s.setValue(QLatin1String(key), value);
  s.sync();
  return s.status() == QSettings::NoError;
}

QString readValue(const char* key) {
  QSettings s(settingsFilePath(), QSettings::IniFormat);
  return s.value(QLatin1String(key)).toString();
}

}  // namespace

QString settingsFilePath() {
  return configHome() + QLatin1Char('/') + QString::fromUtf8(kProductName) + QStringLiteral("/settings.ini");
}

std::optional<int> storedLanguageId() {
  bool ok = false;
  const int id = readValue(kLanguageKey).trimmed().toInt(&ok, 10);
  if (!ok) return std::nullopt;
  return id;
}

bool storeLanguageId(int id) {
  const bool ok = writeValue(kLanguageKey, QString::number(id));
  if (ok) dbg::write("写成功！\n");
  return ok;
}

skin::SkinTheme storedSkinTheme() {
  skin::SkinTheme theme;
  theme.tone = skin::skinToneFromName(readValue(kSkinToneKey));
  uint32_t accent = 0;
  if (skin::parseAccentText(readValue(kSkinAccentKey), &accent)) theme.accent = accent;
  return theme;
}

bool storeSkinTheme(const skin::SkinTheme& theme) {
  const QString accent = QStringLiteral("#%1").arg(theme.accent & 0xFFFFFFu, 6, 16, QLatin1Char('0')).toUpper();
  return writeValue(kSkinToneKey, skin::skinToneName(theme.tone)) && writeValue(kSkinAccentKey, accent);
}

namespace {
constexpr char kWindowGrabValue[] = "grab";
}  // namespace

bool storedSystemWideCapture() {
  return hook::captureSourceFromSetting(readValue(hook::kCaptureSourceSetting)) == hook::CaptureSource::KernelDevices;
}

bool storeSystemWideCapture(bool on) {
  return writeValue(hook::kCaptureSourceSetting,
                    QString::fromLatin1(on ? hook::kCaptureSourceKernelDevices : kWindowGrabValue));
}

}  // namespace kavro::app
