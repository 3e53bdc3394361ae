#include "skin/combo.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>

#include "skin/render.h"
#include "skin/resource_manager.h"

namespace kavro::skin {

CComboUI::CComboUI(QWidget* parent) : CContainerUI(parent) {
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::PointingHandCursor);
}

CComboUI::~CComboUI() { delete popup_; }

bool CComboUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  control->QWidget::setVisible(false);  // items live in the pop-up, not in the box
  if (IListItemUI* item = itemAt(ItemIndex(control))) {
    item->SetOwner(this);
    const int at = ItemIndex(control);
    if (curSel_ >= 0 && at <= curSel_) ++curSel_;
    if (item->IsSelected()) {  // selected="true" in the layout
      item->SetSelectedState(false);
      SelectItem(at, false, false);
    }
  }
  if (popup_) popup_->update();
  return true;
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
  if (IListItemUI* item = itemAt(index)) item->SetOwner(nullptr);
  if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
  if (index == curSel_) curSel_ = -1;
  else if (index < curSel_) --curSel_;
  update();
  return true;
}

void CComboUI::RemoveAll() {
  curSel_ = -1;
  CContainerUI::RemoveAll();
  update();
}

bool CComboUI::SelectItem(int index, bool, bool triggerEvent) {
  if (index == curSel_) return true;
  const int old = curSel_;
  if (IListItemUI* prev = itemAt(curSel_)) prev->SetSelectedState(false);
  if (index < 0 || index >= GetCount()) {
    curSel_ = -1;
    update();
    return false;
  }
  IListItemUI* item = itemAt(index);
  if (!item || !item->AsControl()->IsEnabled()) return false;
  item->SetSelectedState(true);
  curSel_ = index;
  update();
  if (triggerEvent) SendNotify(DUI_MSGTYPE_ITEMSELECT, static_cast<WPARAM>(index), static_cast<LPARAM>(old));
  return true;
}

bool CComboUI::UnSelectItem(int index) {
  if (index != curSel_ || index < 0) return false;
  if (IListItemUI* item = itemAt(index)) item->SetSelectedState(false);
  curSel_ = -1;
  update();
  return true;
}

QString CComboUI::GetText() const {
  CControlUI* c = GetItemAt(curSel_);
  return c ? c->GetText() : QString();
}

void CComboUI::ShowDropDown(bool show) {
  if (!show) {
    if (popup_) popup_->hide();
    return;
  }
  if (!IsEnabled() || GetCount() == 0) return;
  if (!popup_) popup_ = new ComboPopup(this);
  popup_->open();
}

bool CComboUI::IsDropDownShown() const { return popup_ && popup_->isVisible(); }

void CComboUI::SetAttribute(const QString& name, const QString& value) {
  if (info_.setAttribute(name, value)) {
    attrs_[name] = value;
    return;
  }
  uint32_t c = 0;
  int w = 0, h = 0;
  Rect4 r;
  if (name == "dropboxsize" && parseSize(value, &w, &h)) dropHeight_ = h;
  else if (name == "textcolor" && parseColor(value, &c)) textColor_ = c;
  else if (name == "hotbkcolor" && parseColor(value, &c)) hotBkColor_ = c;
  else if (name == "font") font_ = parseInt(value, -1);
  else if (name == "textpadding" && parseRect4(value, &r)) textPadding_ = r;
  else if (name == "normalimage") normalImage_ = value;
  else if (name == "hotimage") hotImage_ = value;
  else if (name == "pushedimage") pushedImage_ = value;
  else if (name == "disabledimage") disabledImage_ = value;
  CContainerUI::SetAttribute(name, value);
}

QString CComboUI::GetAttribute(const QString& name) const {
  if (name == "cursel") return QString::number(curSel_);
  return CContainerUI::GetAttribute(name);
}

void CComboUI::PaintStatusImage(QPainter& p) {
  if (isHot() && hotBkColor_) fillRounded(p, QRectF(rect()), argbColor(hotBkColor_), BorderRadius());
  QString img = normalImage_;
  if (!IsEnabled() && !disabledImage_.isEmpty()) img = disabledImage_;
  else if (IsDropDownShown() && !pushedImage_.isEmpty()) img = pushedImage_;
  else if (isHot() && !hotImage_.isEmpty()) img = hotImage_;
  DrawImage(p, img);
  const qreal s = GetScale();
  QRectF arrow(width() - 20 * s, (height() - 8 * s) / 2, 8 * s, 8 * s);
  drawGlyph(p, IsDropDownShown() ? Glyph::ArrowUp : Glyph::ArrowDown, arrow,
            argbColor(IsEnabled() ? 0xFFAEB4C0 : 0xFF5A606C), 1.5 * s);
}

void CComboUI::PaintText(QPainter& p) {
  CControlUI* item = GetItemAt(curSel_);
  if (!item) return;
  const QString text = item->GetDisplayText();
  const double s = GetScale();
  const QRect rc = rect().adjusted(qRound(textPadding_.l * s), qRound(textPadding_.t * s), -qRound(textPadding_.r * s),
                                   -qRound(textPadding_.b * s));
  p.save();
  p.setFont(ScaledFont(font_));
  p.setPen(argbColor(IsEnabled() ? textColor_ : info_.disabledTextColor));
  p.drawText(rc, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
             p.fontMetrics().elidedText(text, Qt::ElideRight, rc.width()));
  p.restore();
}

void CComboUI::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !IsEnabled()) return CContainerUI::mousePressEvent(e);
  e->accept();
  if (IsDropDownShown()) return ShowDropDown(false);
  ShowDropDown(true);
  // The release of this press reaches the open list; it must not close it.
  if (popup_ && popup_->isVisible()) popup_->openingPress_ = true;
}

std::vector<int> CComboUI::shownItems() const {
  std::vector<int> shown;
  for (int i = 0; i < GetCount(); ++i) {
    if (GetItemAt(i)->IsVisible()) shown.push_back(i);
  }
  return shown;
}

// The next shown item before (step -1) or after (step 1) an item, or -1.
int CComboUI::nextShownItem(int from, int step) const {
  for (int i = from + step; i >= 0 && i < GetCount(); i += step) {
    if (GetItemAt(i)->IsVisible()) return i;
  }
  return -1;
}

void CComboUI::keyPressEvent(QKeyEvent* e) {
  if (!IsEnabled()) return CContainerUI::keyPressEvent(e);
  const int up = nextShownItem(curSel_, -1), down = nextShownItem(curSel_, 1);
  if (e->key() == Qt::Key_Up && up >= 0) SelectItem(up);
  else if (e->key() == Qt::Key_Down && down >= 0) SelectItem(down);
  else if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return) ShowDropDown(true);
  else CContainerUI::keyPressEvent(e);
}

void CComboUI::wheelEvent(QWheelEvent* e) { e->ignore(); }  // no accidental changes while scrolling a page

// ---- ComboPopup ----

ComboPopup::ComboPopup(CComboUI* owner) : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), owner_(owner) {
  setMouseTracking(true);
  setAttribute(Qt::WA_TranslucentBackground);
}

int ComboPopup::RowHeight() const {
  return qRound(owner_->GetListInfo()->itemHeight * owner_->GetScale());
}

// Hidden items are not offered: the rows are the shown items in order.
void ComboPopup::open() {
  rows_ = owner_->shownItems();
  const int rowH = RowHeight();
  const int pad = qRound(4 * owner_->GetScale());
  const int contentH = rowH * static_cast<int>(rows_.size()) + 2 * pad;
  const int h = qMin(contentH, qRound(owner_->dropHeight_ * owner_->GetScale()));
  QPoint pos = owner_->mapToGlobal(QPoint(0, owner_->height() + qRound(2 * owner_->GetScale())));
  if (QScreen* sc = owner_->screen()) {
    const QRect avail = sc->availableGeometry();
    if (pos.y() + h > avail.bottom()) pos.setY(owner_->mapToGlobal(QPoint(0, 0)).y() - h - 2);
  }
  setGeometry(QRect(pos, QSize(owner_->width(), h)));
  hot_ = owner_->GetCurSel();
  scroll_ = 0;
  openingPress_ = false;
  const int hotRow = rowOf(hot_);
  if (hotRow >= 0) scroll_ = qBound(0, hotRow * rowH - (h - rowH) / 2, qMax(0, contentH - h));
  show();
  setFocus();
  owner_->update();
}

QRect ComboPopup::RowRect(int row) const {
  const int pad = qRound(4 * owner_->GetScale());
  return QRect(pad, pad + row * RowHeight() - scroll_, width() - 2 * pad, RowHeight());
}

int ComboPopup::RowAt(const QPoint& pt) const {
  for (size_t row = 0; row < rows_.size(); ++row)
    if (RowRect(static_cast<int>(row)).contains(pt)) return rows_[row];
  return -1;
}

int ComboPopup::rowOf(int item) const {
  const auto it = std::find(rows_.begin(), rows_.end(), item);
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void ComboPopup::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = owner_->GetScale();
  fillRounded(p, QRectF(rect()), QColor(0x1C, 0x20, 0x27), 6 * s);
  frameRounded(p, QRectF(rect()), QColor(0x34, 0x3A, 0x46), 1, 6 * s);
  const TListInfoUI* info = owner_->GetListInfo();
  p.setFont(owner_->ScaledFont(info->font));
  p.setClipRect(rect().adjusted(1, 1, -1, -1));
  for (size_t row = 0; row < rows_.size(); ++row) {
    const int i = rows_[row];
    const QRect rc = RowRect(static_cast<int>(row));
    CControlUI* item = owner_->GetItemAt(i);
    if (!item || !rc.intersects(rect())) continue;
    const bool selected = i == owner_->GetCurSel();
    uint32_t bk = 0, fg = info->textColor;
    if (!item->IsEnabled()) fg = info->disabledTextColor;
    else if (i == hot_) { bk = info->hotBkColor; fg = info->hotTextColor; }
    if (selected && item->IsEnabled()) fg = info->selectedTextColor;
    if (selected) bk = i == hot_ ? info->selectedBkColor : (info->selectedBkColor & 0x00FFFFFF) | 0xB0000000;
    if (bk) fillRounded(p, QRectF(rc), argbColor(bk), 4 * s);
    p.setPen(argbColor(fg));
    const QRect trc = rc.adjusted(qRound(info->textPadding.l * s), 0, -qRound(info->textPadding.r * s), 0);
    p.drawText(trc, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(item->GetDisplayText(), Qt::ElideRight, trc.width()));
  }
}

void ComboPopup::mouseMoveEvent(QMouseEvent* e) {
  const int index = RowAt(e->position().toPoint());
  if (index != hot_) {
    hot_ = index;
    update();
  }
}

void ComboPopup::mouseReleaseEvent(QMouseEvent* e) {
  const int index = RowAt(e->position().toPoint());
  const bool fromOpeningPress = openingPress_;
  openingPress_ = false;
  if (!rect().contains(e->position().toPoint())) {
    // The release of the click that opened the list (over the box) leaves
    // it open; any other release outside closes it.
    const QPoint onBox = owner_->mapFromGlobal(e->globalPosition().toPoint());
    if (!(fromOpeningPress && owner_->rect().contains(onBox))) hide();
    return;
  }
  CControlUI* item = owner_->GetItemAt(index);
  if (!item || !item->IsEnabled()) return;
  QPointer<CComboUI> owner(owner_);
  hide();
  owner->SelectItem(index);
}

void ComboPopup::wheelEvent(QWheelEvent* e) {
  const int contentH = RowHeight() * static_cast<int>(rows_.size()) + qRound(8 * owner_->GetScale());
  scroll_ = qBound(0, scroll_ - e->angleDelta().y() * RowHeight() / 120, qMax(0, contentH - height()));
  update();
}

void ComboPopup::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape) hide();
  else if (e->key() == Qt::Key_Down || e->key() == Qt::Key_Up) {
    const int row = rowOf(hot_) + (e->key() == Qt::Key_Down ? 1 : -1);
    if (row >= 0 && row < static_cast<int>(rows_.size())) hot_ = rows_[static_cast<size_t>(row)];
    else if (hot_ < 0 && !rows_.empty()) hot_ = rows_.front();
    update();
  }
  else if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && hot_ >= 0) {
    QPointer<CComboUI> owner(owner_);
    const int row = hot_;
    hide();
    if (owner) owner->SelectItem(row);
  } else QWidget::keyPressEvent(e);
}

void ComboPopup::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  owner_->update();
}

}  // namespace kavro::skin
