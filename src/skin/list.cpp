#include "skin/list.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "skin/render.h"

namespace kavro::skin {

IListItemUI* asListItem(CControlUI* control) {
  if (auto* e = qobject_cast<CListElementUI*>(control)) return e;
  if (auto* e = qobject_cast<CListContainerElementUI*>(control)) return e;
  return nullptr;
}

bool TListInfoUI::setAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  Rect4 r;
  if (name == "itemfont") font = parseInt(value, -1);
  else if (name == "itemalign") {
    textStyle &= ~(DT_CENTER | DT_RIGHT);
    if (value == "center") textStyle |= DT_CENTER;
    else if (value == "right") textStyle |= DT_RIGHT;
  } else if (name == "itemtextpadding" && parseRect4(value, &r)) textPadding = r;
  else if (name == "itemtextcolor" && parseColor(value, &c)) textColor = c;
  else if (name == "itembkcolor" && parseColor(value, &c)) bkColor = c;
  else if (name == "itemselectedtextcolor" && parseColor(value, &c)) selectedTextColor = c;
  else if (name == "itemselectedbkcolor" && parseColor(value, &c)) selectedBkColor = c;
  else if (name == "itemhottextcolor" && parseColor(value, &c)) hotTextColor = c;
  else if (name == "itemhotbkcolor" && parseColor(value, &c)) hotBkColor = c;
  else if (name == "itemdisabledtextcolor" && parseColor(value, &c)) disabledTextColor = c;
  else if (name == "itemlinecolor" && parseColor(value, &c)) lineColor = c;
  else if (name == "itemhotbordercolor" && parseColor(value, &c)) hotBorderColor = c;
  else if (name == "itemheight") itemHeight = parseInt(value, 28);
  else return false;
  return true;
}

int IListItemUI::GetIndex() const {
  return owner_ ? owner_->ItemIndex(const_cast<IListItemUI*>(this)->AsControl()) : -1;
}

bool IListItemUI::Select(bool select, bool triggerEvent) {
  if (!owner_) return false;
  if (select) return owner_->SelectItem(GetIndex(), false, triggerEvent);
  return owner_->UnSelectItem(GetIndex());
}

void ListItemInput::press(IListItemUI* item, Qt::KeyboardModifiers mods) {
  IListOwnerUI* owner = item->GetOwner();
  if (!owner) return;
  if ((mods & Qt::ControlModifier) && owner->IsMultiSelect()) owner->SelectMultiItem(item->GetIndex());
  else owner->SelectItem(item->GetIndex(), true);
}

void ListItemInput::release(IListItemUI* item) { item->AsControl()->SendNotify(DUI_MSGTYPE_ITEMCLICK); }

void ListItemInput::doubleClick(IListItemUI* item) { item->AsControl()->Activate(); }

bool ListItemInput::key(IListItemUI* item, int key) {
  if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  QPointer<CControlUI> c(item->AsControl());
  if (c->Activate() && c) c->SendNotify(DUI_MSGTYPE_RETURN);
  return true;
}

namespace {

uint32_t itemBkColor(const TListInfoUI* info, bool selected, bool hot, uint32_t own) {
  if (!info) return own;
  if (selected && info->selectedBkColor) return info->selectedBkColor;
  if (hot && info->hotBkColor) return info->hotBkColor;
  return own ? own : info->bkColor;
}

void paintItemBk(CControlUI* c, QPainter& p, const TListInfoUI* info, bool selected, bool hot, uint32_t own) {
  const uint32_t color = itemBkColor(info, selected, hot, own);
  if (color) fillRounded(p, QRectF(c->rect()), argbColor(color), c->BorderRadius());
  if (info && info->lineColor) {
    p.save();
    p.setPen(argbColor(info->lineColor));
    p.drawLine(c->rect().bottomLeft(), c->rect().bottomRight());
    p.restore();
  }
}

}  // namespace

// ---- CListElementUI ----

CListElementUI::CListElementUI(QWidget* parent) : CControlUI(parent) { SetFixedHeight(28); }

void CListElementUI::SetSelectedState(bool selected) {
  IListItemUI::SetSelectedState(selected);
  update();
}

bool CListElementUI::Activate() {
  if (!CControlUI::Activate()) return false;
  SendNotify(DUI_MSGTYPE_ITEMACTIVATE);
  return true;
}

void CListElementUI::SetAttribute(const QString& name, const QString& value) {
  // Before the element has an owner the flag is kept; the owner selects the
  // element when it is added.
  if (name == "selected") {
    if (owner_) Select(parseBool(value), false);
    else selected_ = parseBool(value);
  }
  CControlUI::SetAttribute(name, value);
}

void CListElementUI::PaintBkColor(QPainter& p) {
  paintItemBk(this, p, owner_ ? owner_->GetListInfo() : nullptr, selected_, isHot(), bkColor_);
}

void CListElementUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    ListItemInput::press(this, e->modifiers());
    e->accept();
    return;
  }
  CControlUI::mousePressEvent(e);
}

void CListElementUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    e->accept();
    ListItemInput::release(this);
    return;
  }
  CControlUI::mouseReleaseEvent(e);
}

void CListElementUI::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    e->accept();
    ListItemInput::doubleClick(this);
    return;
  }
  CControlUI::mouseDoubleClickEvent(e);
}

void CListElementUI::keyPressEvent(QKeyEvent* e) {
  if (IsEnabled() && ListItemInput::key(this, e->key())) return;
  CControlUI::keyPressEvent(e);
}

// ---- CListLabelElementUI ----

void CListLabelElementUI::PaintText(QPainter& p) {
  const QString text = GetDisplayText();
  if (text.isEmpty()) return;
  TListInfoUI fallback;
  const TListInfoUI* info = owner_ ? owner_->GetListInfo() : &fallback;
  uint32_t color = info->textColor;
  if (!IsEnabled()) color = info->disabledTextColor;
  else if (selected_) color = info->selectedTextColor;
  else if (isHot()) color = info->hotTextColor;
  const double s = GetScale();
  const QRect rc = rect().adjusted(qRound(info->textPadding.l * s), qRound(info->textPadding.t * s),
                                   -qRound(info->textPadding.r * s), -qRound(info->textPadding.b * s));
  p.save();
  p.setFont(ScaledFont(info->font));
  p.setPen(argbColor(color));
  int flags = Qt::TextSingleLine | Qt::AlignVCenter;
  flags |= (info->textStyle & DT_CENTER) ? Qt::AlignHCenter : (info->textStyle & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  p.drawText(rc, flags, p.fontMetrics().elidedText(text, Qt::ElideRight, rc.width()));
  p.restore();
}

// ---- CListContainerElementUI ----

CListContainerElementUI::CListContainerElementUI(QWidget* parent) : CHorizontalLayoutUI(parent) { SetFixedHeight(28); }

void CListContainerElementUI::SetSelectedState(bool selected) {
  IListItemUI::SetSelectedState(selected);
  update();
}

bool CListContainerElementUI::Activate() {
  if (!CControlUI::Activate()) return false;
  SendNotify(DUI_MSGTYPE_ITEMACTIVATE);
  return true;
}

void CListContainerElementUI::PaintBkColor(QPainter& p) {
  paintItemBk(this, p, owner_ ? owner_->GetListInfo() : nullptr, selected_, isHot(), bkColor_);
}

void CListContainerElementUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    ListItemInput::press(this, e->modifiers());
    e->accept();
    return;
  }
  CHorizontalLayoutUI::mousePressEvent(e);
}

void CListContainerElementUI::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    e->accept();
    ListItemInput::release(this);
    return;
  }
  CHorizontalLayoutUI::mouseReleaseEvent(e);
}

void CListContainerElementUI::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && IsEnabled()) {
    e->accept();
    ListItemInput::doubleClick(this);
    return;
  }
  CHorizontalLayoutUI::mouseDoubleClickEvent(e);
}

void CListContainerElementUI::keyPressEvent(QKeyEvent* e) {
  if (IsEnabled() && ListItemInput::key(this, e->key())) return;
  CHorizontalLayoutUI::keyPressEvent(e);
}

// ---- CListUI ----

CListUI::CListUI(QWidget* parent) : CVerticalLayoutUI(parent) {
  setFocusPolicy(Qt::ClickFocus);
  CContainerUI::SetAttribute("vscrollbar", "true");
}

IListItemUI* CListUI::itemAt(int index) const { return asListItem(GetItemAt(index)); }

bool CListUI::AddAt(CControlUI* control, int index) {
  if (!CVerticalLayoutUI::AddAt(control, index)) return false;
  if (IListItemUI* item = asListItem(control)) {
    item->SetOwner(this);
    const int at = ItemIndex(control);
    if (curSel_ >= 0 && at <= curSel_) ++curSel_;
    if (item->IsSelected()) {
      item->SetSelectedState(false);
      if (multiSelect_) SelectMultiItem(at);
      else SelectItem(at, false, false);
    }
  }
  return true;
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
  IListItemUI* item = itemAt(index);
  if (item) item->SetOwner(nullptr);
  if (!CVerticalLayoutUI::RemoveAt(index, doNotDestroy)) return false;
  if (index == curSel_) curSel_ = -1;
  else if (index < curSel_) --curSel_;
  return true;
}

void CListUI::RemoveAll() {
  curSel_ = -1;
  CVerticalLayoutUI::RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
  if (index == curSel_ && (!multiSelect_ || GetSelectedItems().size() <= 1)) return true;
  const int old = curSel_;
  for (int i = 0; i < GetCount(); ++i)
    if (IListItemUI* it = itemAt(i); it && it->IsSelected() && i != index) it->SetSelectedState(false);
  if (index < 0) {
    curSel_ = -1;
    return false;
  }
  IListItemUI* item = itemAt(index);
  if (!item || !item->AsControl()->IsVisible() || !item->AsControl()->IsEnabled()) {
    curSel_ = -1;
    return false;
  }
  item->SetSelectedState(true);
  curSel_ = index;
  EnsureVisible(index);
  if (takeFocus) setFocus(Qt::MouseFocusReason);
  if (triggerEvent) SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  return true;
}

bool CListUI::SelectMultiItem(int index, bool takeFocus) {
  if (!multiSelect_) return SelectItem(index, takeFocus);
  IListItemUI* item = itemAt(index);
  if (!item || !item->AsControl()->IsEnabled()) return false;
  if (item->IsSelected()) return UnSelectItem(index);
  const int old = curSel_;
  item->SetSelectedState(true);
  curSel_ = index;
  SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  return true;
}

bool CListUI::UnSelectItem(int index) {
  IListItemUI* item = itemAt(index);
  if (!item || !item->IsSelected()) return false;
  item->SetSelectedState(false);
  if (curSel_ == index) {
    const QList<int> rest = GetSelectedItems();
    curSel_ = rest.isEmpty() ? -1 : rest.last();
  }
  return true;
}

void CListUI::SelectAllItems(bool select) {
  for (int i = 0; i < GetCount(); ++i)
    if (IListItemUI* it = itemAt(i)) it->SetSelectedState(select && (multiSelect_ || i == 0));
  curSel_ = select && GetCount() > 0 ? (multiSelect_ ? GetCount() - 1 : 0) : -1;
}

QList<int> CListUI::GetSelectedItems() const {
  QList<int> out;
  for (int i = 0; i < GetCount(); ++i)
    if (IListItemUI* it = itemAt(i); it && it->IsSelected()) out.append(i);
  return out;
}

void CListUI::EnsureVisible(int index) {
  CControlUI* c = GetItemAt(index);
  if (!c || GetScrollRange() == 0) return;
  const QRect view = rect();
  const QRect item = c->geometry();
  if (item.top() < view.top()) SetScrollPos(GetScrollPos() - (view.top() - item.top()));
  else if (item.bottom() > view.bottom()) SetScrollPos(GetScrollPos() + (item.bottom() - view.bottom()));
}

void CListUI::SetAttribute(const QString& name, const QString& value) {
  if (info_.setAttribute(name, value)) {
    attrs_[name] = value;
    update();
    return;
  }
  if (name == "multiselect") multiSelect_ = parseBool(value);
  CVerticalLayoutUI::SetAttribute(name, value);
}

QString CListUI::GetAttribute(const QString& name) const {
  if (name == "cursel") return QString::number(curSel_);
  return CVerticalLayoutUI::GetAttribute(name);
}

void CListUI::keyPressEvent(QKeyEvent* e) {
  int next = curSel_;
  if (e->key() == Qt::Key_Up) next = qMax(0, curSel_ - 1);
  else if (e->key() == Qt::Key_Down) next = qMin(GetCount() - 1, curSel_ + 1);
  else if (e->key() == Qt::Key_Home) next = 0;
  else if (e->key() == Qt::Key_End) next = GetCount() - 1;
  else if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && curSel_ >= 0) {
    if (IListItemUI* it = itemAt(curSel_)) ListItemInput::key(it, e->key());
    return;
  } else return CVerticalLayoutUI::keyPressEvent(e);
  if (next != curSel_ && next >= 0) SelectItem(next);
}

}  // namespace kavro::skin
