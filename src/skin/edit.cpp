#include "skin/edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpressionValidator>

#include "skin/render.h"
#include "skin/resource_manager.h"

namespace kavro::skin {

QString clampNumberText(const QString& text, bool hasMin, int min, bool hasMax, int max) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok);
  if (!ok) return hasMin ? QString::number(min) : (hasMax && !text.trimmed().isEmpty() ? QString::number(max) : text);
  qlonglong r = v;
  if (hasMin && r < min) r = min;
  if (hasMax && r > max) r = max;
  return r == v ? text.trimmed() : QString::number(r);
}

CEditUI::CEditUI(QWidget* parent) : CLabelUI(parent), edit_(new QLineEdit(this)) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::IBeamCursor);
  edit_->setFrame(false);
  edit_->setMaxLength(maxChar_);
  edit_->installEventFilter(this);
  edit_->setContextMenuPolicy(Qt::NoContextMenu);
  connect(edit_, &QLineEdit::textEdited, this, [this] { SendNotify(DUI_MSGTYPE_TEXTCHANGED); });
  connect(edit_, &QLineEdit::returnPressed, this, [this] {
    QPointer<CEditUI> self(this);
    CommitValue();
    if (self) SendNotify(DUI_MSGTYPE_RETURN);
  });
  updateStyle();
}

QString CEditUI::GetText() const { return edit_->text(); }

void CEditUI::SetText(const QString& text) {
  text_ = text;
  edit_->setText(text);
}

void CEditUI::SetReadOnly(bool on) {
  readOnly_ = on;
  edit_->setReadOnly(on);
}

void CEditUI::SetNumberOnly(bool on) {
  numberOnly_ = on;
  updateValidator();
}

void CEditUI::SetMaxChar(int n) {
  maxChar_ = n > 0 ? n : 32767;
  edit_->setMaxLength(maxChar_);
}

void CEditUI::SetMinValue(int v) {
  hasMin_ = true;
  minValue_ = v;
  updateValidator();
}

void CEditUI::SetMaxValue(int v) {
  hasMax_ = true;
  maxValue_ = v;
  updateValidator();
}

void CEditUI::SetPasswordMode(bool on) {
  password_ = on;
  edit_->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetPromptText(const QString& text) {
  prompt_ = text;
  edit_->setPlaceholderText(CResourceManager::GetInstance().ResolveText(text, GetClass()));
}

void CEditUI::SetSel(int start, int end) {
  if (end < 0) end = edit_->text().size();
  edit_->setSelection(start, end - start);
}

void CEditUI::SetSelAll() { edit_->selectAll(); }

void CEditUI::updateValidator() {
  if (!numberOnly_) {
    edit_->setValidator(nullptr);
    return;
  }
  // Digits only; a leading minus only where negative values are allowed.
  const bool negative = hasMin_ && minValue_ < 0;
  auto* v = new QRegularExpressionValidator(QRegularExpression(negative ? "-?[0-9]*" : "[0-9]*"), edit_);
  edit_->setValidator(v);
}

void CEditUI::CommitValue() {
  if (!numberOnly_ || (!hasMin_ && !hasMax_)) return;
  const QString clamped = clampNumberText(edit_->text(), hasMin_, minValue_, hasMax_, maxValue_);
  if (clamped == edit_->text()) return;
  edit_->setText(clamped);
  SendNotify(DUI_MSGTYPE_TEXTCHANGED);
}

void CEditUI::updateStyle() {
  const uint32_t color = IsEnabled() ? textColor_ : disabledTextColor_;
  edit_->setStyleSheet(QStringLiteral("QLineEdit{background:transparent;border:none;color:%1;"
                                      "selection-background-color:#2F8CFF;selection-color:#FFFFFF;}")
                           .arg(argbColor(color).name(QColor::HexArgb)));
  QPalette pal = edit_->palette();
  pal.setColor(QPalette::PlaceholderText, argbColor(promptColor_));
  edit_->setPalette(pal);
  edit_->setFont(ScaledFont(font_));
  const int flags = (textStyle_ & DT_CENTER) ? Qt::AlignHCenter : (textStyle_ & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  edit_->setAlignment(Qt::Alignment(flags) | Qt::AlignVCenter);
}

void CEditUI::SetAttribute(const QString& name, const QString& value) {
  uint32_t c = 0;
  CLabelUI::SetAttribute(name, value);
  if (name == "readonly") SetReadOnly(parseBool(value));
  else if (name == "numberonly") SetNumberOnly(parseBool(value));
  else if (name == "maxchar") SetMaxChar(parseInt(value, 255));
  else if (name == "minvalue") SetMinValue(parseInt(value));
  else if (name == "maxvalue") SetMaxValue(parseInt(value));
  else if (name == "password") SetPasswordMode(parseBool(value));
  else if (name == "prompttext") SetPromptText(value);
  else if (name == "prompttextcolor" && parseColor(value, &c)) promptColor_ = c;
  else if (name == "text") edit_->setText(value);
  updateStyle();
}

QString CEditUI::GetAttribute(const QString& name) const {
  if (name == "text") return GetText();
  if (name == "maxchar") return QString::number(maxChar_);
  if (name == "numberonly") return numberOnly_ ? "true" : "false";
  if (name == "readonly") return readOnly_ ? "true" : "false";
  return CLabelUI::GetAttribute(name);
}

void CEditUI::ReloadText() {
  CLabelUI::ReloadText();
  if (!prompt_.isEmpty()) SetPromptText(prompt_);
}

void CEditUI::OnScaleChanged() {
  CLabelUI::OnScaleChanged();
  updateStyle();
  edit_->setGeometry(textRect());
}

void CEditUI::resizeEvent(QResizeEvent* e) {
  CLabelUI::resizeEvent(e);
  QRect rc = textRect();
  if (textPadding_.isNull()) rc.adjust(Scaled(8), 0, -Scaled(8), 0);
  edit_->setGeometry(rc);
}

void CEditUI::mousePressEvent(QMouseEvent* e) {
  edit_->setFocus(Qt::MouseFocusReason);
  CLabelUI::mousePressEvent(e);
}

bool CEditUI::eventFilter(QObject* obj, QEvent* e) {
  if (obj == edit_) {
    if (e->type() == QEvent::FocusIn) {
      update();
      SendNotify(DUI_MSGTYPE_SETFOCUS);
    } else if (e->type() == QEvent::FocusOut) {
      update();
      QPointer<CEditUI> self(this);
      CommitValue();
      if (self) SendNotify(DUI_MSGTYPE_KILLFOCUS);
    } else if (e->type() == QEvent::EnabledChange) {
      updateStyle();
    }
  }
  return CLabelUI::eventFilter(obj, e);
}

}  // namespace kavro::skin
