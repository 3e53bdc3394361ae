#include "skin/container.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "skin/paint_manager.h"

namespace kavro::skin {
namespace {

BoxAlign alignFromName(const QString& v) {
  const QString s = v.trimmed().toLower();
  if (s == "center" || s == "vcenter") return BoxAlign::Center;
  if (s == "right" || s == "bottom") return BoxAlign::End;
  return BoxAlign::Start;
}

QString alignName(BoxAlign a, bool vertical) {
  if (a == BoxAlign::Center) return vertical ? "vcenter" : "center";
  if (a == BoxAlign::End) return vertical ? "bottom" : "right";
  return vertical ? "top" : "left";
}

QMargins margins(const Rect4& r, double scale) {
  return QMargins(qRound(r.l * scale), qRound(r.t * scale), qRound(r.r * scale), qRound(r.b * scale));
}

constexpr int kScrollBarWidth = 6;

}  // namespace

// A slim scroll bar that matches the dark skin.
const char* const kScrollBarStyle =
    "QScrollBar:vertical{background:transparent;width:6px;margin:0;border:none;}"
    "QScrollBar::handle:vertical{background:#3A404C;border-radius:3px;min-height:24px;}"
    "QScrollBar::handle:vertical:hover{background:#4A5160;}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0;border:none;background:transparent;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;}";

namespace {

}  // namespace

CContainerUI::CContainerUI(QWidget* parent) : CControlUI(parent) {}

CContainerUI::~CContainerUI() {
  // Children are QWidget children and go with us; forget them first so that
  // no relayout runs on a half-destroyed list.
  items_.clear();
}

void CContainerUI::attachChild(CControlUI* control) {
  control->setParent(this);
  if (vscroll_) vscroll_->raise();
  control->SetManager(GetManager(), this, true);
  if (control->IsVisible()) control->QWidget::setVisible(true);
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
  if (!control || items_.contains(control)) return false;
  if (index < 0 || index > items_.size()) index = static_cast<int>(items_.size());
  items_.insert(index, control);
  attachChild(control);
  OnItemsChanged();
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
  const int index = items_.indexOf(control);
  if (index < 0) return false;
  return RemoveAt(index, doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
  if (index < 0 || index >= items_.size()) return false;
  CControlUI* c = items_.takeAt(index);
  if (doNotDestroy) {
    c->hide();
    c->setParent(nullptr);
    c->SetManager(nullptr, nullptr, false);
  } else {
    c->hide();
    c->deleteLater();
    c->setParent(nullptr);
    c->SetManager(nullptr, nullptr, false);
  }
  OnItemsChanged();
  NeedUpdate();
  return true;
}

void CContainerUI::RemoveAll() {
  while (!items_.isEmpty()) RemoveAt(static_cast<int>(items_.size()) - 1);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  return (index >= 0 && index < items_.size()) ? items_[index] : nullptr;
}

bool CContainerUI::SetItemIndex(CControlUI* control, int newIndex) {
  const int old = items_.indexOf(control);
  if (old < 0 || newIndex < 0 || newIndex >= items_.size()) return false;
  items_.move(old, newIndex);
  OnItemsChanged();
  NeedUpdate();
  return true;
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
  for (CControlUI* c : std::as_const(items_)) c->SetManager(manager, this, init);
  CControlUI::SetManager(manager, parent, init);
}

CControlUI* CContainerUI::FindControlByName(const QString& name) {
  if (CControlUI* self = CControlUI::FindControlByName(name)) return self;
  for (CControlUI* c : std::as_const(items_))
    if (CControlUI* found = c->FindControlByName(name)) return found;
  return nullptr;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& fn) {
  fn(this);
  const auto copy = items_;
  for (CControlUI* c : copy) c->ForEach(fn);
}

void CContainerUI::ReloadText() {
  CControlUI::ReloadText();
  for (CControlUI* c : std::as_const(items_)) c->ReloadText();
}

void CContainerUI::OnScaleChanged() {
  CControlUI::OnScaleChanged();
  for (CControlUI* c : std::as_const(items_)) c->OnScaleChanged();
  NeedUpdate();
}

void CContainerUI::SetAttribute(const QString& name, const QString& value) {
  Rect4 r;
  if (name == "inset" && parseRect4(value, &r)) SetInset(r);
  else if (name == "childpadding") SetChildPadding(parseInt(value));
  else if (name == "childalign") { crossAlign_ = alignFromName(value); if (LayoutKind() == BoxKind::Horizontal) mainAlign_ = crossAlign_; }
  else if (name == "childvalign") { mainAlign_ = alignFromName(value); if (LayoutKind() == BoxKind::Horizontal) crossAlign_ = mainAlign_; }
  else if (name == "vscrollbar") { vscrollEnabled_ = parseBool(value); NeedUpdate(); }
  CControlUI::SetAttribute(name, value);
  // In a horizontal box "childalign" is along the axis and "childvalign" across it.
  if (LayoutKind() == BoxKind::Horizontal) {
    if (attrs_.contains("childalign")) mainAlign_ = alignFromName(attrs_["childalign"]);
    if (attrs_.contains("childvalign")) crossAlign_ = alignFromName(attrs_["childvalign"]);
  }
}

QString CContainerUI::GetAttribute(const QString& name) const {
  if (name == "childpadding") return QString::number(childPadding_);
  if (name == "inset") return QString("%1,%2,%3,%4").arg(inset_.l).arg(inset_.t).arg(inset_.r).arg(inset_.b);
  if (name == "childalign" && !attrs_.contains(name)) return alignName(crossAlign_, false);
  return CControlUI::GetAttribute(name);
}

LayoutItem CContainerUI::layoutItemFor(CControlUI* c) const {
  const double s = GetScale();
  LayoutItem it;
  it.visible = c->IsVisible();
  it.floating = c->IsFloat();
  const Rect4 fp = c->GetFloatPos();
  it.floatRect = QRect(qRound(fp.l * s), qRound(fp.t * s), qRound(fp.width() * s), qRound(fp.height() * s));
  it.fixedWidth = qRound(c->GetFixedWidth() * s);
  it.fixedHeight = qRound(c->GetFixedHeight() * s);
  it.minWidth = qRound(c->GetMinWidth() * s);
  it.minHeight = qRound(c->GetMinHeight() * s);
  it.maxWidth = c->GetMaxWidth() >= 9999 ? INT_MAX : qRound(c->GetMaxWidth() * s);
  it.maxHeight = c->GetMaxHeight() >= 9999 ? INT_MAX : qRound(c->GetMaxHeight() * s);
  it.padding = margins(c->GetPadding(), s);
  return it;
}

void CContainerUI::SetPosChildren() {
  std::vector<LayoutItem> items;
  items.reserve(items_.size());
  for (CControlUI* c : std::as_const(items_)) items.push_back(layoutItemFor(c));
  LayoutParams params;
  params.kind = LayoutKind();
  params.inset = margins(inset_, GetScale());
  params.childPadding = Scaled(childPadding_);
  params.mainAlign = mainAlign_;
  params.crossAlign = crossAlign_;
  const QRect area = rect();
  LayoutResult r = computeLayout(area, params, items);
  if (vscrollEnabled_) {
    const int viewH = area.height() - params.inset.top() - params.inset.bottom();
    const bool need = r.contentHeight > viewH;
    if (need) {
      if (!vscroll_) {
        vscroll_ = new QScrollBar(Qt::Vertical, this);
        vscroll_->setObjectName("skin_vscroll");
        vscroll_->setStyleSheet(kScrollBarStyle);
        connect(vscroll_, &QScrollBar::valueChanged, this, [this] { NeedUpdate(); });
      }
      const int sbw = Scaled(kScrollBarWidth);
      params.inset.setRight(params.inset.right() + sbw + Scaled(2));
      LayoutResult probe = computeLayout(area, params, items);
      QSignalBlocker block(vscroll_);
      vscroll_->setRange(0, qMax(0, probe.contentHeight - viewH));
      vscroll_->setPageStep(viewH);
      vscroll_->setSingleStep(Scaled(30));
      params.scrollY = vscroll_->value();
      r = computeLayout(area, params, items);
      vscroll_->setGeometry(area.right() + 1 - sbw - Scaled(1), area.top() + params.inset.top(), sbw, viewH);
      vscroll_->show();
      vscroll_->raise();
    } else if (vscroll_) {
      QSignalBlocker block(vscroll_);
      vscroll_->setValue(0);
      vscroll_->hide();
    }
  }
  for (int i = 0; i < items_.size(); ++i) {
    if (!items[i].visible) continue;
    items_[i]->setGeometry(r.rects[i]);
  }
}

void CContainerUI::NeedUpdate() {
  if (inLayout_) return;
  inLayout_ = true;
  SetPosChildren();
  inLayout_ = false;
  update();
}

void CContainerUI::resizeEvent(QResizeEvent* e) {
  CControlUI::resizeEvent(e);
  NeedUpdate();
}

void CContainerUI::wheelEvent(QWheelEvent* e) {
  if (vscroll_ && vscroll_->isVisible()) {
    vscroll_->setValue(vscroll_->value() - e->angleDelta().y() * vscroll_->singleStep() / 120);
    e->accept();
    return;
  }
  CControlUI::wheelEvent(e);
}

int CContainerUI::GetScrollPos() const { return vscroll_ && vscroll_->isVisible() ? vscroll_->value() : 0; }
int CContainerUI::GetScrollRange() const { return vscroll_ && vscroll_->isVisible() ? vscroll_->maximum() : 0; }
void CContainerUI::SetScrollPos(int pos) {
  if (vscroll_) vscroll_->setValue(pos);
}

// ---- CTabLayoutUI ----

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  const int at = GetItemIndex(control);
  if (wantSel_ >= 0) {
    if (at == wantSel_) { curSel_ = at; wantSel_ = -1; }
  } else if (curSel_ < 0) {
    curSel_ = at;
  } else if (at <= curSel_) {
    ++curSel_;
  }
  control->SetVisible(at == curSel_);
  return true;
}

bool CTabLayoutUI::RemoveAt(int index, bool doNotDestroy) {
  if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
  if (index < curSel_) --curSel_;
  else if (index == curSel_) {
    curSel_ = -1;
    if (GetCount() > 0) SelectItem(qMin(index, GetCount() - 1));
  }
  return true;
}

void CTabLayoutUI::RemoveAll() {
  curSel_ = -1;
  CContainerUI::RemoveAll();
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  curSel_ = index;
  for (int i = 0; i < GetCount(); ++i) GetItemAt(i)->SetVisible(i == index);
  NeedUpdate();
  return true;
}

void CTabLayoutUI::SetAttribute(const QString& name, const QString& value) {
  if (name == "selectedid") {
    const int id = parseInt(value, 0);
    if (!SelectItem(id)) wantSel_ = id;  // children come later; applied as they arrive
  }
  CContainerUI::SetAttribute(name, value);
}

QString CTabLayoutUI::GetAttribute(const QString& name) const {
  if (name == "selectedid") return QString::number(curSel_);
  return CContainerUI::GetAttribute(name);
}

}  // namespace kavro::skin
