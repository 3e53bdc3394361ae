#include "skin/option.h"

#include <QPainter>

#include "skin/paint_manager.h"

namespace kavro::skin {

void COptionUI::SetGroup(const QString& group) { group_ = group; }

void COptionUI::Selected(bool selected, bool triggerEvent) {
  if (selected_ == selected) return;
  selected_ = selected;
  update();
  if (selected_ && !group_.isEmpty() && GetManager()) {
    // Deselect the other members of the group in this window.
    if (CControlUI* root = GetManager()->GetRoot()) {
      root->ForEach([this, triggerEvent](CControlUI* c) {
        auto* o = qobject_cast<COptionUI*>(c);
        if (o && o != this && o->selected_ && o->group_ == group_) o->Selected(false, triggerEvent);
      });
    }
  }
  if (triggerEvent) SendNotify(DUI_MSGTYPE_SELECTCHANGED, selected_ ? 1 : 0);
}

bool COptionUI::Activate() {
  if (!CControlUI::Activate()) return false;
  QPointer<COptionUI> self(this);
  SendNotify(DUI_MSGTYPE_CLICK);
  if (!self) return true;
  if (!group_.isEmpty()) Selected(true);
  else Selected(!selected_);
  return true;
}

void COptionUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  if (name == "group") SetGroup(value);
  else if (name == "selected") Selected(parseBool(value), false);
  else if (name == "selectedimage") selectedImage_ = value;
  else if (name == "selectedhotimage") selectedHotImage_ = value;
  else if (name == "selectedforeimage") selectedForeImage_ = value;
  else if (name == "selecteddisabledimage") selectedDisabledImage_ = value;
  else if (name == "selectedbkcolor" && parseColor(value, &c)) selectedBkColor_ = c;
  else if (name == "selectedhotbkcolor" && parseColor(value, &c)) selectedHotBkColor_ = c;
  else if (name == "selectedtextcolor" && parseColor(value, &c)) selectedTextColor_ = c;
  else if (name == "selectedbordercolor" && parseColor(value, &c)) selectedBorderColor_ = c;
  CButtonUI::SetAttribute(name, value);
}

QString COptionUI::GetAttribute(const QString& name) const {
  if (name == "selected") return selected_ ? "true" : "false";
  if (name == "group") return group_;
  return CButtonUI::GetAttribute(name);
}

QString COptionUI::currentStatusImage() const {
  if (!selected_) return CButtonUI::currentStatusImage();
  if (!IsEnabled() && !selectedDisabledImage_.isEmpty()) return selectedDisabledImage_;
  if (isHot() && !selectedHotImage_.isEmpty()) return selectedHotImage_;
  if (!selectedImage_.isEmpty()) return selectedImage_;
  return CButtonUI::currentStatusImage();
}

uint32_t COptionUI::currentBkColor() const {
  if (selected_ && IsEnabled()) {
    if (isHot() && selectedHotBkColor_) return selectedHotBkColor_;
    if (selectedBkColor_) return selectedBkColor_;
  }
  return CButtonUI::currentBkColor();
}

uint32_t COptionUI::currentTextColor() const {
  if (selected_ && IsEnabled() && selectedTextColor_) return selectedTextColor_;
  return CButtonUI::currentTextColor();
}

void COptionUI::PaintStatusImage(QPainter& p) {
  CButtonUI::PaintStatusImage(p);
  if (selected_) DrawImage(p, selectedForeImage_);
  if (selected_ && selectedBorderColor_) {
    frameRounded(p, QRectF(rect()), argbColor(selectedBorderColor_), qMax<qreal>(1.0, GetScale() * qMax(1, GetBorderSize())),
                 BorderRadius());
  }
}

// ---- CCheckBoxUI ----

CCheckBoxUI::CCheckBoxUI(QWidget* parent) : COptionUI(parent) {
  textStyle_ = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
}

void CCheckBoxUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  if (name == "checkcolor" && parseColor(value, &c)) checkColor_ = c;
  COptionUI::SetAttribute(name, value);
}

void CCheckBoxUI::PaintStatusImage(QPainter& p) {
  if (!drawBox()) return COptionUI::PaintStatusImage(p);
  const qreal s = GetScale();
  const qreal box = 16 * s;
  QRectF rc(2 * s, (height() - box) / 2.0, box, box);
  const QColor accent = argbColor(IsEnabled() ? checkColor_ : 0xFF3A3F4B);
  if (selected_) {
    fillRounded(p, rc, accent, 4 * s);
    drawGlyph(p, Glyph::Check, rc.adjusted(4 * s, 4 * s, -4 * s, -4 * s), QColor(255, 255, 255), 1.8 * s);
  } else {
    fillRounded(p, rc, QColor(0x1F, 0x23, 0x2B), 4 * s);
    frameRounded(p, rc, isHot() ? accent : QColor(0x4A, 0x50, 0x5E), 1.2 * s, 4 * s);
  }
}

void CCheckBoxUI::PaintText(QPainter& p) {
  const QString text = GetDisplayText();
  if (text.isEmpty()) return;
  QRect rc = textRect();
  if (drawBox()) rc.setLeft(rc.left() + Scaled(26));
  drawText(p, text, rc, currentTextColor());
}

}  // namespace kavro::skin
