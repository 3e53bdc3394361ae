#include "skin/control.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QPainter>
#include <QTimerEvent>

#include "skin/container.h"
#include "skin/paint_manager.h"
#include "skin/skin_theme.h"
#include "skin/render.h"
#include "skin/resource_manager.h"

namespace kavro::skin {

CControlUI::CControlUI(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover, false);
}

CControlUI::~CControlUI() {
  KillTimers();
  if (manager_) manager_->ControlDestroyed(this);
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
  manager_ = manager;
  parent_ = parent;
  if (manager_ && init && !inited_) {
    inited_ = true;
    DoInit();
  }
}

CControlUI* CControlUI::FindControlByName(const QString& name) {
  return (!name.isEmpty() && name_ == name) ? this : nullptr;
}

void CControlUI::SetText(const QString& text) {
  if (text_ == text) return;
  text_ = text;
  update();
}

QString CControlUI::GetDisplayText() const { return CResourceManager::GetInstance().ResolveText(text_, GetClass()); }

void CControlUI::SetToolTip(const QString& tip) {
  tooltip_ = tip;
  setToolTip(CResourceManager::GetInstance().ResolveText(tip, GetClass()));
}

void CControlUI::ReloadText() {
  if (!tooltip_.isEmpty()) setToolTip(CResourceManager::GetInstance().ResolveText(tooltip_, GetClass()));
  update();
}

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  QWidget::setVisible(visible);
  NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled) {
  enabled_ = enabled;
  QWidget::setEnabled(enabled);
  if (!enabled) hot_ = false;
  update();
}

void CControlUI::SetMouseEnabled(bool enabled) {
  mouseEnabled_ = enabled;
  setAttribute(Qt::WA_TransparentForMouseEvents, !enabled);
}

void CControlUI::SetBkColor(uint32_t argb) { bkColor_ = argb; update(); }
void CControlUI::SetBorderColor(uint32_t argb) { borderColor_ = argb; update(); }
void CControlUI::SetBorderSize(int size) { borderSize_ = size; update(); }
void CControlUI::SetBkImage(const QString& image) { bkImage_ = image; update(); }
void CControlUI::SetForeImage(const QString& image) { foreImage_ = image; update(); }

void CControlUI::SetFixedWidth(int w) {
  if (w < 0 || fixedWidth_ == w) return;
  fixedWidth_ = w;
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int h) {
  if (h < 0 || fixedHeight_ == h) return;
  fixedHeight_ = h;
  NeedParentUpdate();
}

void CControlUI::SetPadding(const Rect4& padding) { padding_ = padding; NeedParentUpdate(); }
void CControlUI::SetFloat(bool on) { float_ = on; NeedParentUpdate(); }

void CControlUI::SetFloatPos(const Rect4& pos) {
  floatPos_ = pos;
  NeedParentUpdate();
}

QRect CControlUI::GetPos() const {
  const QWidget* top = window();
  return QRect(top == this ? QPoint(0, 0) : mapTo(top, QPoint(0, 0)), size());
}

void CControlUI::NeedParentUpdate() {
  if (parent_) parent_->NeedUpdate();
}

double CControlUI::GetScale() const { return manager_ ? manager_->GetScale() : 1.0; }

void CControlUI::OnScaleChanged() { update(); }

QFont CControlUI::ScaledFont(int fontId) const { return CResourceManager::GetInstance().GetFont(fontId, GetScale()); }

void CControlUI::ApplyAttributeList(const QString& list) {
  for (const auto& [name, value] : parseAttributeList(list)) SetAttribute(name, value);
}

void CControlUI::SetAttribute(const QString& name, const QString& value) {
  attrs_[name] = value;
  uint32_t c = 0;
  Rect4 r;
  int w = 0, h = 0;
  if (name == "name") SetName(value);
  else if (name == "themed") themed_ = parseBool(value);
  else if (name == "text") SetText(value);
  else if (name == "tooltip") SetToolTip(value);
  else if (name == "userdata") SetUserData(value);
  else if (name == "tag") SetTag(value.toULongLong());
  else if (name == "visible") SetVisible(parseBool(value));
  else if (name == "enabled") SetEnabled(parseBool(value));
  else if (name == "mouse") SetMouseEnabled(parseBool(value));
  else if (name == "keyboard") setFocusPolicy(parseBool(value) ? Qt::StrongFocus : Qt::NoFocus);
  else if (name == "float") SetFloat(parseBool(value));
  else if (name == "pos" && parseRect4(value, &r)) {
    floatPos_ = r;
    fixedWidth_ = qMax(0, r.width());
    fixedHeight_ = qMax(0, r.height());
    NeedParentUpdate();
  } else if (name == "width") SetFixedWidth(parseInt(value));
  else if (name == "height") SetFixedHeight(parseInt(value));
  else if (name == "minwidth") minWidth_ = parseInt(value);
  else if (name == "minheight") minHeight_ = parseInt(value);
  else if (name == "maxwidth") maxWidth_ = parseInt(value, 9999);
  else if (name == "maxheight") maxHeight_ = parseInt(value, 9999);
  else if (name == "padding" && parseRect4(value, &r)) SetPadding(r);
  else if ((name == "bkcolor" || name == "bkcolor1") && parseColor(value, &c)) SetBkColor(c);
  else if (name == "bkcolor2" && parseColor(value, &c)) bkColor2_ = c;
  else if (name == "bordercolor" && parseColor(value, &c)) SetBorderColor(c);
  else if (name == "hotbordercolor" && parseColor(value, &c)) hotBorderColor_ = c;
  else if (name == "focusbordercolor" && parseColor(value, &c)) focusBorderColor_ = c;
  else if (name == "bordersize") SetBorderSize(parseInt(value));
  else if (name == "borderround") borderRound_ = parseSize(value, &w, &h) ? w : parseInt(value);
  else if (name == "bkimage") SetBkImage(value);
  else if (name == "foreimage") SetForeImage(value);
  else if (name == "menu") contextMenu_ = parseBool(value);
  else if (name == "cursor") {
    bool ok = false;
    Qt::CursorShape shape = CursorShapeFromName(value, &ok);
    if (ok) setCursor(shape);
  } else if (name == "style") ApplyAttributeList(CResourceManager::GetInstance().GetStyle(value));
}

QString CControlUI::GetAttribute(const QString& name) const {
  if (name == "name") return name_;
  if (name == "text") return text_;
  if (name == "tooltip") return tooltip_;
  if (name == "userdata") return userData_;
  if (name == "tag") return QString::number(tag_);
  if (name == "visible") return visible_ ? "true" : "false";
  if (name == "enabled") return enabled_ ? "true" : "false";
  if (name == "width") return QString::number(fixedWidth_);
  if (name == "height") return QString::number(fixedHeight_);
  if (name == "bkcolor") return attrs_.contains(name) || bkColor_ ? colorToString(bkColor_) : QString();
  if (name == "bkimage") return bkImage_;
  if (name == "foreimage") return foreImage_;
  return attrs_.value(name);
}

bool CControlUI::SetTimer(int id, int elapseMs) {
  KillTimer(id);
  const int qtId = startTimer(qMax(1, elapseMs), elapseMs < 20 ? Qt::PreciseTimer : Qt::CoarseTimer);
  if (qtId == 0) return false;
  timers_.insert(id, qtId);
  return true;
}

void CControlUI::KillTimer(int id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  killTimer(it.value());
  timers_.erase(it);
}

void CControlUI::KillTimers() {
  for (int qtId : std::as_const(timers_)) killTimer(qtId);
  timers_.clear();
}

void CControlUI::timerEvent(QTimerEvent* e) {
  for (auto it = timers_.cbegin(); it != timers_.cend(); ++it) {
    if (it.value() == e->timerId()) {
      OnTimer(it.key());
      return;
    }
  }
  QWidget::timerEvent(e);
}

void CControlUI::OnTimer(int id) { SendNotify(DUI_MSGTYPE_TIMER, static_cast<WPARAM>(id)); }

void CControlUI::SendNotify(const QString& type, WPARAM wParam, LPARAM lParam) {
  if (manager_) manager_->SendNotify(this, type, wParam, lParam);
}

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

void CControlUI::setHot(bool hot) {
  if (hot_ == hot) return;
  hot_ = hot;
  update();
}

void CControlUI::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  if (!IsEnabled()) return;
  setHot(true);
  OnMouseEnter();
}

void CControlUI::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  const bool wasHot = hot_;
  setHot(false);
  if (wasHot) OnMouseLeave();
}

void CControlUI::contextMenuEvent(QContextMenuEvent* e) {
  if (contextMenu_ && IsEnabled()) {
    SendNotify(DUI_MSGTYPE_MENU, static_cast<WPARAM>(e->globalPos().x()), static_cast<LPARAM>(e->globalPos().y()));
    e->accept();
    return;
  }
  QWidget::contextMenuEvent(e);
}

qreal CControlUI::BorderRadius() const { return borderRound_ * GetScale() / 2.0; }

bool CControlUI::DrawImage(QPainter& p, const QString& image, const QRect& dest) {
  if (image.isEmpty()) return false;
  return drawImageString(p, image, dest.isNull() ? rect() : dest, GetScale());
}

void CControlUI::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  DoPaint(p);
}

void CControlUI::DoPaint(QPainter& p) {
  const RawColorScope raw(!themed_);
  PaintBkColor(p);
  PaintBkImage(p);
  PaintStatusImage(p);
  PaintText(p);
  PaintBorder(p);
}

void CControlUI::PaintBkColor(QPainter& p) {
  if (bkColor_ == 0) return;
  if (bkColor2_ != 0) fillRoundedGradient(p, QRectF(rect()), argbColor(bkColor_), argbColor(bkColor2_), BorderRadius());
  else fillRounded(p, QRectF(rect()), argbColor(bkColor_), BorderRadius());
}

void CControlUI::PaintBkImage(QPainter& p) { DrawImage(p, bkImage_); }
void CControlUI::PaintStatusImage(QPainter& p) { DrawImage(p, foreImage_); }
void CControlUI::PaintText(QPainter&) {}

void CControlUI::PaintBorder(QPainter& p) {
  uint32_t color = borderColor_;
  const QWidget* fw = QApplication::focusWidget();
  const bool focused = fw && (fw == this || isAncestorOf(fw));
  if (focused && focusBorderColor_) color = focusBorderColor_;
  else if (hot_ && hotBorderColor_) color = hotBorderColor_;
  const int size = borderSize_ > 0 ? borderSize_ : 0;
  if (size == 0 || color == 0) return;
  frameRounded(p, QRectF(rect()), argbColor(color), qMax<qreal>(1.0, size * GetScale()), BorderRadius());
}

Qt::CursorShape CControlUI::CursorShapeFromName(const QString& name, bool* ok) {
  static const QHash<QString, Qt::CursorShape> shapes = {
      {"arrow", Qt::ArrowCursor},         {"ibeam", Qt::IBeamCursor},      {"wait", Qt::WaitCursor},
      {"cross", Qt::CrossCursor},         {"uparrow", Qt::UpArrowCursor},  {"size", Qt::SizeAllCursor},
      {"icon", Qt::ArrowCursor},          {"sizenwse", Qt::SizeFDiagCursor}, {"sizenesw", Qt::SizeBDiagCursor},
      {"sizewe", Qt::SizeHorCursor},      {"sizens", Qt::SizeVerCursor},   {"sizeall", Qt::SizeAllCursor},
      {"hand", Qt::PointingHandCursor}};
  auto it = shapes.constFind(name.trimmed().toLower());
  if (ok) *ok = it != shapes.constEnd();
  return it != shapes.constEnd() ? it.value() : Qt::ArrowCursor;
}

}  // namespace kavro::skin
