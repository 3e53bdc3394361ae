#pragma once
// The connected devices on the session bus: one object per device at
// /com/kavro/Config/devices/<kind>, interface com.kavro.Config.Device (see
// com.kavro.Config.Device.xml beside this file). Properties are read from
// the device when asked; a change of any of them (battery polls, a sync
// from the device, a profile switch in the window, a script) is announced
// with org.freedesktop.DBus.Properties.PropertiesChanged. Methods run on the
// window thread through DeviceScriptService and answer (a delayed reply)
// once the device has carried them out. The service object announces
// arrivals and removals (DeviceAdded / DeviceRemoved) and lists the objects
// (Devices).
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include <map>
#include <memory>
#include <string>

#include "app/cli_run.h"

namespace kavro::app {

class DeviceScriptService;
class InterProgramBus;

inline constexpr char kDeviceInterface[] = "com.kavro.Config.Device";
inline constexpr char kDevicePathPrefix[] = "/com/kavro/Config/devices/";
// The standard interface of the properties and their change signal.
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
// How often arrivals, removals and property changes are looked for.
inline constexpr int kBusSyncMs = 250;

// The bus properties of a device record, by property name.
QVariantMap busProperties(const cli::DeviceRecord& record);
// The properties whose values differ between two maps (new values).
QVariantMap changedProperties(const QVariantMap& before, const QVariantMap& after);

class DeviceBusObject : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.kavro.Config.Device")
  Q_PROPERTY(QString Kind READ kind)
  Q_PROPERTY(QString Name READ name)
  Q_PROPERTY(QString Path READ path)
  Q_PROPERTY(QString Firmware READ firmware)
  Q_PROPERTY(int Battery READ battery)
  Q_PROPERTY(bool Charging READ charging)
  Q_PROPERTY(bool Connected READ connected)
  Q_PROPERTY(QString Profile READ profile)
  Q_PROPERTY(QStringList Profiles READ profiles)
  Q_PROPERTY(int Effect READ effect)
  Q_PROPERTY(QStringList Effects READ effects)
  Q_PROPERTY(int Brightness READ brightness)
  Q_PROPERTY(int Speed READ speed)
  Q_PROPERTY(int Direction READ direction)
  Q_PROPERTY(uint Colour READ colour)
 public:
  DeviceBusObject(std::string kind, DeviceScriptService* service, QObject* parent = nullptr);
  QString objectPath() const;
  // Reads the device again; sends PropertiesChanged for what changed.
  void refresh();

  QString kind() const { return value("Kind").toString(); }
  QString name() const { return value("Name").toString(); }
  QString path() const { return value("Path").toString(); }
  QString firmware() const { return value("Firmware").toString(); }
  int battery() const { return value("Battery").toInt(); }
  bool charging() const { return value("Charging").toBool(); }
  bool connected() const { return value("Connected").toBool(); }
  QString profile() const { return value("Profile").toString(); }
  QStringList profiles() const { return value("Profiles").toStringList(); }
  int effect() const { return value("Effect").toInt(); }
  QStringList effects() const { return value("Effects").toStringList(); }
  int brightness() const { return value("Brightness").toInt(); }
  int speed() const { return value("Speed").toInt(); }
  int direction() const { return value("Direction").toInt(); }
  uint colour() const { return value("Colour").toUInt(); }

 public slots:
  Q_SCRIPTABLE void ApplyProfile(const QString& name);
  // Negative numbers keep a value, as does the colour 0xFFFFFFFF.
  Q_SCRIPTABLE void SetLighting(int effect, int brightness, int speed, int direction, uint rgb);
  Q_SCRIPTABLE void SetDpiStage(int stage);
  Q_SCRIPTABLE void SetEqualiserPreset(int preset);

 private:
  QVariant value(const char* property) const;
  // Takes over the reply of the current call; it is sent when the work is done.
  std::function<void(const cli::CallResult&)> delayedAnswer();

  std::string kind_;
  QPointer<DeviceScriptService> service_;
  QVariantMap last_;  // the values last announced
};

class DeviceBusRegistry : public QObject {
  Q_OBJECT
 public:
  DeviceBusRegistry(DeviceScriptService* service, InterProgramBus* bus, QObject* parent = nullptr);
  ~DeviceBusRegistry() override;
  // Adds and removes objects for arrived and gone devices; refreshes the rest.
  void sync();
  QList<QDBusObjectPath> devicePaths() const;

 private:
  QPointer<DeviceScriptService> service_;
  QPointer<InterProgramBus> bus_;
  std::map<std::string, std::unique_ptr<DeviceBusObject>> objects_;
  QTimer timer_;
};

}  // namespace kavro::app
