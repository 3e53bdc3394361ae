// Running cost of the program: the main window with every kind of simulated
// device plugged in, measured as process CPU time over 10 s with each
// device page shown in turn (a page whose class does not exist yet shows no
// tab and is skipped), then with the window hidden in the tray. The
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
#include "devices/device_option.h"
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

constexpr int kMeasureMs = 10000;
constexpr int kSettleMs = 1000;
constexpr int kConnectWaitMs = 15000;
constexpr double kShownGoalPct = 2.0;
constexpr double kTrayGoalPct = 0.1;

double percentOfCore(double cpuSeconds) { return 100.0 * cpuSeconds / (kMeasureMs / 1000.0); }

bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// The page is up and its device has answered: connected, its arrival done,
// the page visible and (for the keyboard) its preview running.
bool pageReady(devices::CDeviceOptionUI* tab) {
  devices::CHalvionUSBDevice* d = tab->device();
  if (!d || !d->channel.isConnected() || d->arriving() || !d->isVisible()) return false;
  auto* kb = qobject_cast<devices::CHalvionKeyboardDevice*>(d);
  return !kb || kb->previewRunning();
}

const char* verdict(double pct, double goal) { return pct <= goal ? "met" : "NOT met"; }

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("XDG_DATA_HOME", "/tmp/kavro-bench-idle");
  QApplication qapp(argc, argv);
  const double base = spin(kMeasureMs);

  app::registerControls(QApplication::applicationDirPath() + "/skin/");
  app::registerInstanceMessage();
  app::registerProgramMessages();
  std::vector<std::unique_ptr<sim::Emulator>> emulators;
  for (sim::DeviceKind kind : {sim::DeviceKind::Keyboard, sim::DeviceKind::Mouse, sim::DeviceKind::Mousepad,
                               sim::DeviceKind::Headset}) {
    emulators.push_back(sim::makeEmulator(kind, sim::inProcessPresence(), "idle-"));
    emulators.back()->plug();
  }
  auto window = std::make_unique<app::CMainWnd>();
  window->setTrayMode(app::CMainWnd::TrayMode::Force);
  window->Create(nullptr, "bench", skin::UI_WNDSTYLE_FRAME, 0, 0, 800, 572);
  window->ShowWindow(true);
  if (!waitFor([&] { return window->firstShowReleased() && window->deviceManager(); }, kConnectWaitMs)) {
    std::printf("the window was never shown\n");
    return 1;
  }
  std::printf("event loop alone:                 %6.3f s CPU in 10 s = %5.2f %% of one core\n", base,
              percentOfCore(base));
  int pages = 0;
  for (devices::CDeviceOptionUI* tab : window->deviceManager()->tabs()) {
    if (!tab->IsVisible() || !tab->device()) continue;  // no such device plugged in, or no page for it
    window->deviceManager()->selectTab(tab);
    const QString name = tab->device()->GetClass();
    if (!waitFor([&] { return pageReady(tab); }, kConnectWaitMs)) {
      std::printf("%-32s did not come up\n", qPrintable(name));
      continue;
    }
    spin(kSettleMs);
    const double pct = percentOfCore(spin(kMeasureMs));
    std::printf("page shown: %-21s %5.2f %% of one core (goal <= %.1f %%): %s\n", qPrintable(name), pct,
                kShownGoalPct, verdict(pct, kShownGoalPct));
    ++pages;
  }
  window->hideOrMinimise();
  spin(kSettleMs);
  const double tray = spin(kMeasureMs);
  std::printf("window in the tray, %d device page(s): %5.2f %% of one core (goal <= %.1f %% with all four): %s\n",
              pages, percentOfCore(tray), kTrayGoalPct, verdict(percentOfCore(tray), kTrayGoalPct));
  std::printf("tray / event loop alone: %.1f\n", base > 0 ? tray / base : 0.0);
  window.reset();
  emulators.clear();
  return 0;
}
