#pragma once
// CMainWnd: the program's main window. Until the device pages arrive it
// lists the HID interfaces found (hardware and simulated) and comes to the
// front when a second copy of the program starts.
#include "skin/window.h"

namespace kavro::app {

class CMainWnd : public skin::CWindowWnd {
  Q_OBJECT
 public:
  CMainWnd() = default;
  QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
  QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
  skin::CControlUI* CreateControl(const QString& className) override;
  void Notify(skin::TNotifyUI& msg) override;
  // Re-reads the interface list into "hid_interface_list".
  void RefreshInterfaces();

 protected:
  skin::LRESULT HandleCustomMessage(skin::UINT msg, skin::WPARAM wParam, skin::LPARAM lParam, bool& handled) override;

 private:
  void bringToFront(skin::WPARAM wParam, skin::LPARAM lParam);
};

}  // namespace kavro::app
