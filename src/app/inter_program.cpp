#include "app/inter_program.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include "app/app_messages.h"
#include "platform/debug.h"
#include "skin/window.h"

namespace kavro::app {

InterProgramBus::InterProgramBus(QObject* parent) : QObject(parent) {}

InterProgramBus::~InterProgramBus() {
  if (!connected_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(kDBusPath);
  if (ownsService_) bus.unregisterService(kDBusService);
}

bool InterProgramBus::start() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    dbg::printf("D-Bus session bus not available (%s); inter-program messages are off\n",
                qUtf8Printable(bus.lastError().message()));
    return false;
  }
  const auto exported = QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals;
  if (!bus.registerObject(kDBusPath, this, exported)) {
    dbg::printf("D-Bus: cannot register %s\n", kDBusPath);
    return false;
  }
  ownsService_ = bus.registerService(kDBusService);
  if (!ownsService_) dbg::printf("D-Bus: service name %s is taken\n", kDBusService);
  connected_ = true;
  return true;
}

bool InterProgramBus::announceLightingControl(qlonglong wParam, qlonglong lParam) {
  if (!connected_) return false;
  QDBusMessage signal = QDBusMessage::createSignal(kDBusPath, kDBusInterface, "LightingControl");
  signal << wParam << lParam;
  return QDBusConnection::sessionBus().send(signal);
}

void InterProgramBus::UpdateStatus(qlonglong wParam, qlonglong lParam) {
  if (target_) target_->PostMessage(registeredMessages().updateStatus, static_cast<skin::WPARAM>(wParam),
                                    static_cast<skin::LPARAM>(lParam));
}

void InterProgramBus::RequestLightingControl(qlonglong wParam, qlonglong lParam) {
  if (target_) target_->PostMessage(registeredMessages().lightRequest, static_cast<skin::WPARAM>(wParam),
                                    static_cast<skin::LPARAM>(lParam));
}

}  // namespace kavro::app
