#pragma once
// The three inter-program messages on the D-Bus session bus, interface
// "com.kavro.Config" at object path "/com/kavro/Config":
//  - method UpdateStatus(x wParam, x lParam): update status, posted to the
//    main window as the registered update-status message;
//  - method RequestLightingControl(x wParam, x lParam): lighting-control
//    request from another program, posted as the registered request message;
//  - signal LightingControl(x wParam, x lParam): this program's lighting-
//    control announcement.
// Without a session bus the program runs on and says so once.
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

namespace kavro::skin {
class CWindowWnd;
}

namespace kavro::app {

inline constexpr const char* kDBusService = "com.kavro.Config";
inline constexpr const char* kDBusPath = "/com/kavro/Config";
inline constexpr const char* kDBusInterface = "com.kavro.Config";

class InterProgramBus : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.kavro.Config")
 public:
  explicit InterProgramBus(QObject* parent = nullptr);
  ~InterProgramBus() override;

  // Connects to the session bus and offers the interface. False (with one
  // debug line) when there is no bus.
  bool start();
  bool isConnected() const { return connected_; }
  void setTarget(skin::CWindowWnd* window) { target_ = window; }
  // Broadcasts the lighting-control announcement.
  bool announceLightingControl(qlonglong wParam, qlonglong lParam);

 public slots:
  Q_SCRIPTABLE void UpdateStatus(qlonglong wParam, qlonglong lParam);
  Q_SCRIPTABLE void RequestLightingControl(qlonglong wParam, qlonglong lParam);
  // The object paths of the connected devices (dbus_devices.h).
  Q_SCRIPTABLE QList<QDBusObjectPath> Devices() const { return deviceList_ ? deviceList_() : QList<QDBusObjectPath>(); }

 signals:
  Q_SCRIPTABLE void DeviceAdded(const QDBusObjectPath& path);
  Q_SCRIPTABLE void DeviceRemoved(const QDBusObjectPath& path);

 public:
  void setDeviceList(std::function<QList<QDBusObjectPath>()> list) { deviceList_ = std::move(list); }

 private:
  QPointer<skin::CWindowWnd> target_;
  bool connected_ = false;
  bool ownsService_ = false;
  std::function<QList<QDBusObjectPath>()> deviceList_;
};

}  // namespace kavro::app
