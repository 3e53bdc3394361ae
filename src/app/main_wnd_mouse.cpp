// The mouse page's own controls (types 2 and 6): DPI stages, polling rate
// and settings tabs go to the mouse device, which stores and writes them.
// The pointer controls are stored in the mouse's profile here too and then
// left to the input settings handler, which applies them to the desktop.
#include "app/main_wnd.h"
#include "devices/device_manager.h"
#include "devices/mouse/mouse_device.h"

namespace kavro::app {

bool CMainWnd::handleMouseSettings(skin::TNotifyUI& msg) {
  if (!msg.pSender || !devices_) return false;
  auto* mouse = qobject_cast<devices::CHalvionMouseDevice*>(devices_->selectedDevice());
  return mouse && mouse->handlePageNotify(msg);
}

}  // namespace kavro::app
