// Idle cost of the program: the main window with one simulated keyboard,
// measured as process CPU time over 10 s, first with the window shown (the
// preview animates) and then hidden in the tray (nothing to show). The
// baseline is the same wait with the event loop alone, before the window
// exists.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "app/app_messages.h"
#include "app/control_registry.h"
#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/keyboard/keyboard_device.h"
#include "sim/emulator.h"

using namespace kavro;

namespace {

double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for ms milliseconds; returns the CPU seconds it took.
double spin(int ms) {
  const double c0 = cpuSeconds();
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  return cpuSeconds() - c0;
}

bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_DATA_HOME", "/tmp/kavro-bench-idle");
  QApplication qapp(argc, argv);
  constexpr int kMeasureMs = 10000;
  const double base = spin(kMeasureMs);

  app::registerControls(QApplication::applicationDirPath() + "/skin/");
  app::registerInstanceMessage();
  app::registerProgramMessages();
  auto keyboard = sim::makeEmulator(sim::DeviceKind::Keyboard, sim::inProcessPresence(), "idle-");
  keyboard->plug();
  auto window = std::make_unique<app::CMainWnd>();
  window->setTrayMode(app::CMainWnd::TrayMode::Force);
  window->Create(nullptr, "bench", skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572);
  window->ShowWindow(true);
  auto kb = [&] {
    auto* m = window->deviceManager();
    return m ? qobject_cast<devices::CHalvionKeyboardDevice*>(m->deviceOfKind(1)) : nullptr;
  };
  if (!waitFor([&] { return kb() && kb()->previewRunning(); }, 15000)) {
    std::printf("the keyboard did not connect\n");
    return 1;
  }
  spin(1000);
  const double shown = spin(kMeasureMs);
  window->hideOrMinimise();
  spin(1000);
  const double hidden = spin(kMeasureMs);
  const auto pct = [](double s) { return 100.0 * s / (kMeasureMs / 1000.0); };
  std::printf("event loop alone:              %6.3f s CPU in 10 s = %5.2f %% of one core\n", base, pct(base));
  std::printf("window shown, keyboard preview: %6.3f s CPU in 10 s = %5.2f %% of one core\n", shown, pct(shown));
  std::printf("window in the tray (idle):      %6.3f s CPU in 10 s = %5.2f %% of one core\n", hidden, pct(hidden));
  std::printf("idle / event loop alone: %.1f\n", base > 0 ? hidden / base : 0.0);
  window.reset();
  return 0;
}
