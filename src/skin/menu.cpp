#include "skin/menu.h"

#include <QFile>
#include <QXmlStreamReader>

#include "platform/debug.h"
#include "skin/attr_parse.h"
#include "skin/resource_manager.h"
#include "skin/window.h"

namespace kavro::skin {
namespace {

const char* kMenuStyle =
    "QMenu{background:#1C2027;border:1px solid #343A46;border-radius:6px;padding:4px;color:#E6E8EE;}"
    "QMenu::item{padding:6px 24px 6px 14px;border-radius:4px;}"
    "QMenu::item:selected{background:#2F8CFF;color:#FFFFFF;}"
    "QMenu::item:disabled{color:#6B7180;}"
    "QMenu::separator{height:1px;background:#343A46;margin:4px 8px;}";

}  // namespace

CMenuWnd::CMenuWnd(CWindowWnd* owner) : QObject(owner), owner_(owner) {}

CMenuWnd::~CMenuWnd() { delete menu_; }

bool CMenuWnd::Init(const QString& xml) {
  const QString path = CResourceManager::GetInstance().FindFile(xml);
  QFile file(path);
  if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    error_ = QStringLiteral("menu %1 not found").arg(xml);
    dbg::printf("skin: %s\n", qUtf8Printable(error_));
    return false;
  }
  QXmlStreamReader reader(&file);
  return build(reader);
}

bool CMenuWnd::InitFromText(const QString& text) {
  QXmlStreamReader reader(text);
  return build(reader);
}

bool CMenuWnd::build(QXmlStreamReader& xml) {
  auto* root = new QMenu(owner_);
  root->setStyleSheet(kMenuStyle);
  root->setAttribute(Qt::WA_TranslucentBackground);
  root->setWindowFlags(root->windowFlags() | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
  QList<QMenu*> stack{root};
  QList<bool> openedSubmenu;
  QList<QPair<QAction*, QMenu*>> pending;  // items that may turn into sub-menus
  auto& rm = CResourceManager::GetInstance();
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("MenuElement")) {
      if (!openedSubmenu.isEmpty() && openedSubmenu.takeLast()) stack.removeLast();
      continue;
    }
    if (token != QXmlStreamReader::StartElement || xml.name() != QLatin1String("MenuElement")) continue;
    const auto a = xml.attributes();
    QMenu* current = stack.last();
    if (parseBool(a.value("line").toString())) {
      current->addSeparator();
      openedSubmenu.append(false);
      continue;
    }
    const QString key = a.value("text").toString();
    const QString name = a.value("name").toString();
    // Every item gets a sub-menu to collect nested items; empty ones are
    // dropped at the end.
    QAction* action = current->addAction(rm.ResolveText(key));
    action->setObjectName(name);
    action->setProperty("textKey", key);
    action->setProperty("userdata", a.value("userdata").toString());
    if (a.hasAttribute("enabled")) action->setEnabled(parseBool(a.value("enabled").toString()));
    if (a.hasAttribute("checked")) {
      action->setCheckable(true);
      action->setChecked(parseBool(a.value("checked").toString()));
    }
    auto* sub = new QMenu(current);
    sub->setStyleSheet(kMenuStyle);
    sub->setTitle(action->text());
    sub->setObjectName(name);
    pending.append({action, sub});
    stack.append(sub);
    openedSubmenu.append(true);
  }
  if (xml.hasError()) {
    error_ = QStringLiteral("menu line %1: %2").arg(xml.lineNumber()).arg(xml.errorString());
    dbg::printf("skin: %s\n", qUtf8Printable(error_));
    delete root;
    return false;
  }
  // Attach the sub-menus that received items; drop the empty ones.
  for (const auto& [act, sub] : pending) {
    if (!sub->actions().isEmpty()) act->setMenu(sub);
    else delete sub;
  }
  delete menu_;
  menu_ = root;
  connect(menu_, &QMenu::triggered, this, &CMenuWnd::onTriggered);
  return true;
}

QAction* CMenuWnd::FindItem(const QString& name) const {
  if (!menu_) return nullptr;
  for (QAction* a : menu_->findChildren<QAction*>())
    if (a->objectName() == name && !a->isSeparator()) return a;
  return nullptr;
}

void CMenuWnd::Popup(const QPoint& globalPos) {
  if (menu_) menu_->popup(globalPos);
}

void CMenuWnd::Choose(QAction* action) { onTriggered(action); }

void CMenuWnd::onTriggered(QAction* action) {
  if (!action || action->menu() || !owner_) return;
  MenuCmd cmd;
  cmd.szName = action->objectName();
  cmd.szText = action->property("textKey").toString();
  cmd.szUserData = action->property("userdata").toString();
  cmd.bChecked = action->isChecked();
  owner_->SendMessage(WM_MENUCLICK, 0, reinterpret_cast<LPARAM>(&cmd));
}

}  // namespace kavro::skin
