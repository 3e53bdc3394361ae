// The tray icon and its menu, showing and hiding the window, bringing it to
// the front, fitting it to the screen, screen and power changes, and the
// no-device area.
#include <QCursor>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/app_messages.h"
#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/discovery/device_tables.h"
#include "platform/debug.h"
#include "platform/hid/hid_permission.h"
#include "skin/control.h"
#include "skin/menu.h"
#include "skin/resource_manager.h"

namespace kavro::app {

using namespace kavro::skin;

namespace {
constexpr char kTrayIcon[] = "image/tray_icon.png";
constexpr char kTrayMenu[] = "menu.xml";
constexpr char kPermissionText[] = "no_device_permission_text";
constexpr int kToolkitDpi = 96;

// Vendor and product of every supported interface row.
std::vector<std::pair<uint16_t, uint16_t>> supportedIds() {
  std::vector<std::pair<uint16_t, uint16_t>> ids;
  for (const auto& row : devices::interfaceMatchTable()) {
    if (row.vendorId == 0 && row.productId == 0) continue;
    const auto id = std::make_pair(row.vendorId, row.productId);
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  return ids;
}
}  // namespace

// ---- tray ----------------------------------------------------------------------------------

void CMainWnd::createTray() {
  const bool available = trayMode_ == TrayMode::Force ||
                         (trayMode_ == TrayMode::Auto && QSystemTrayIcon::isSystemTrayAvailable());
  const QIcon icon(CResourceManager::GetInstance().GetResourcePath() + QString::fromLatin1(kTrayIcon));
  setWindowIcon(icon);
  if (!available) {
    dbg::write("no system tray: closing the window minimises it\n");
    return;
  }
  tray_ = new QSystemTrayIcon(icon, this);
  tray_->setToolTip(QString::fromLatin1(kProductName));
  trayMenu_ = std::make_unique<CMenuWnd>(this);
  if (trayMenu_->Init(QString::fromLatin1(kTrayMenu))) tray_->setContextMenu(trayMenu_->GetMenu());
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) PostMessage(WM_TRAYNOTIFY, 0, WM_LBUTTONUP);
  });
  tray_->show();
}

void CMainWnd::showTrayMenu() {
  if (!trayMenu_) {
    trayMenu_ = std::make_unique<CMenuWnd>(this);
    if (!trayMenu_->Init(QString::fromLatin1(kTrayMenu))) return;
  }
  trayMenu_->Popup(QCursor::pos());
}

// Below the menu button, aligned with its right edge.
void CMainWnd::showTitleMenu() {
  if (!titleMenu_) {
    titleMenu_ = std::make_unique<CMenuWnd>(this);
    if (!titleMenu_->Init(QString::fromLatin1(kTitleMenuFile))) {
      titleMenu_.reset();
      return;
    }
  }
  CControlUI* button = FindControl(QString::fromLatin1(kTitleMenuButton));
  if (!button) return titleMenu_->Popup(QCursor::pos());
  const QSize menu = titleMenu_->GetMenu()->sizeHint();
  titleMenu_->Popup(button->mapToGlobal(QPoint(button->width() - menu.width(), button->height())));
}

void CMainWnd::toggleFromTray() {
  closeSettingsWindow();
  updateNoDeviceArea();
  const bool shown = isVisible() && !isMinimized();
  if (shown) {
    hide();
    return;
  }
  show();
  fitToScreen();
  HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  raise();
  activateWindow();
  update();
}

void CMainWnd::bringToFront(WPARAM wParam, LPARAM lParam) {
  dbg::printf("软件标示 %d，%xd%xd", registeredMessages().instance, static_cast<unsigned>(wParam),
              static_cast<unsigned>(lParam));
  updateNoDeviceArea();
  HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  // Raised above the other windows without staying on top of them.
  raise();
  activateWindow();
}

void CMainWnd::fitToScreen() {
  if (!firstShowReleased_) {
    // Not shown yet: only the size and place; the first show comes later.
    CPaintManagerUI::SetAllDPI(kToolkitDpi);
    ResizeClient(workingSize().width(), workingSize().height());
    CenterWindow();
    return;
  }
  const bool wasShown = isVisible() && !isMinimized();
  const bool wasMinimised = isVisible() && isMinimized();
  if (!wasShown) HandleMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  CPaintManagerUI::SetAllDPI(kToolkitDpi);
  const QSize size = workingSize();
  ResizeClient(size.width(), size.height());
  CenterWindow();
  // A minimised window goes back to the task bar, a hidden one to the tray:
  // without a tray a hidden window could not be found again.
  if (wasShown) show();
  else if (wasMinimised) showMinimized();
  else hide();
}

// A window larger than the screen could not be used: it gets what there is.
QSize CMainWnd::workingSize() const {
  int w = kMainWidth, h = kMainHeight;
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    const QRect free = s->availableGeometry();
    const double scale = pm_.GetScale();
    if (free.width() > 0 && free.height() > 0) {
      w = std::min(w, static_cast<int>(free.width() / scale));
      h = std::min(h, static_cast<int>(free.height() / scale));
    }
  }
  return {w, h};
}

// ---- no-device area --------------------------------------------------------------------

// "No_device_Link" stands while no device tab is shown. When a supported
// device is plugged in but its node refuses this user, the area says so.
void CMainWnd::updateNoDeviceArea() {
  const bool any = devices_ && devices_->isAnyDeviceConnected();
  if (CControlUI* area = FindControl(QString::fromLatin1(devices::kNoDeviceLink))) area->SetVisible(!any);
  CControlUI* hint = FindControl(QString::fromLatin1(kPermissionText));
  if (!hint) return;
  const std::vector<std::string> blocked = any ? std::vector<std::string>{} : hid::inaccessibleNodes(supportedIds());
  if (blocked.empty()) {
    hint->SetVisible(false);
    return;
  }
  QStringList nodes;
  for (const auto& n : blocked) nodes << QString::fromStdString(n);
  const QString text = CResourceManager::GetInstance().ResolveText(QString::fromLatin1(kPermissionText));
  hint->SetText(text.contains(QLatin1String("%1")) ? text.arg(nodes.join(QStringLiteral(", "))) : text);
  hint->SetVisible(true);
}

// ---- screens and power --------------------------------------------------------------------

void CMainWnd::watchScreens() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app) return;
  for (QScreen* s : QGuiApplication::screens()) watchScreen(s);
  connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
    watchScreen(s);
    PostMessage(WM_DISPLAYCHANGE);
  });
  connect(app, &QGuiApplication::screenRemoved, this, [this](QScreen*) { PostMessage(WM_DISPLAYCHANGE); });
}

void CMainWnd::watchScreen(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, [this] { PostMessage(WM_DISPLAYCHANGE); });
  connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { PostMessage(WM_DPICHANGED); });
}

void CMainWnd::onDisplayChanged() {
  dbg::write("显示器分辨率发生变化");
  fitToScreen();
}

// Qt scales the window for the screen itself; the toolkit stays at 96 and
// the window is placed and laid out again.
void CMainWnd::onDpiChanged() {
  dbg::write("界面 DPI 发生变化");
  CPaintManagerUI::SetAllDPI(kToolkitDpi);
  CenterWindow();
  update();
}

void CMainWnd::watchPower() {
  QDBusConnection bus = QDBusConnection::systemBus();
  const bool ok = bus.isConnected() &&
                  bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                              this, SLOT(onPrepareForSleep(bool)));
  if (!ok) dbg::write("no system bus: suspend and resume are not followed\n");
}

}  // namespace kavro::app
