#pragma once
// One QApplication for all Qt tests of a test program, created on first use,
// with the skin folder of the source tree as resource folder.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

#include "skin/resource_manager.h"

namespace kavro::test {

inline QApplication* qtApp() {
  static int argc = 1;
  static char name[] = "kavro-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    auto* a = new QApplication(argc, argv);
    auto& rm = skin::CResourceManager::GetInstance();
    rm.SetResourcePath(QStringLiteral(KAVRO_RESOURCES_DIR) + "/skin/");
    rm.LoadResource("res.xml");
    return a;
  }();
  return app;
}

struct AppGuard {
  AppGuard() { qtApp(); }
};

// Runs the event loop until done() holds or the limit passes.
inline bool waitFor(const std::function<bool()>& done, int limitMs = 3000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Deletes the objects whose deleteLater is pending.
inline void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

}  // namespace kavro::test
