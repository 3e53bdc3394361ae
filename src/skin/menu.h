#pragma once
// CMenuWnd: a pop-up menu built from a layout file:
//   <Menu><MenuElement name="exit" text="menu_exit"/><MenuElement line="true"/>
//         <MenuElement name="more" text="…"><MenuElement …/></MenuElement></Menu>
// The chosen item is reported to the owner window with the message
// WM_MENUCLICK (wParam 0, lParam = pointer to a MenuCmd valid during the call).
#include <QMenu>
#include <QPointer>
#include <QString>

#include "skin/skin_types.h"

class QXmlStreamReader;

namespace kavro::skin {

class CWindowWnd;

inline constexpr UINT WM_MENUCLICK = 1145;

struct MenuCmd {
  QString szName;
  QString szText;
  QString szUserData;
  bool bChecked = false;
};

class CMenuWnd : public QObject {
  Q_OBJECT
 public:
  explicit CMenuWnd(CWindowWnd* owner);
  ~CMenuWnd() override;

  // Builds the menu from a layout (resource name or path under the skin
  // folder). False, with a debug line, when the file is missing or broken.
  bool Init(const QString& xml);
  bool InitFromText(const QString& text);
  // Shows the menu at a global position without blocking.
  void Popup(const QPoint& globalPos);
  // Item by name (nested items included), or nullptr.
  QAction* FindItem(const QString& name) const;
  // Reports an item to the owner as if the user had chosen it.
  void Choose(QAction* action);
  QMenu* GetMenu() const { return menu_; }
  QString GetLastError() const { return error_; }

 private:
  bool build(QXmlStreamReader& xml);
  void onTriggered(QAction* action);

  QPointer<CWindowWnd> owner_;
  QMenu* menu_ = nullptr;
  QString error_;
};

}  // namespace kavro::skin
