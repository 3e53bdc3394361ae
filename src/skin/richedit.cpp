#include "skin/richedit.h"

#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextEdit>

#include "skin/container.h"
#include "skin/render.h"

namespace kavro::skin {

CRichEditUI::CRichEditUI(QWidget* parent) : CLabelUI(parent), edit_(new QTextEdit(this)) {
  edit_->setFrameShape(QFrame::NoFrame);
  edit_->setAcceptRichText(false);
  edit_->installEventFilter(this);
  edit_->viewport()->setAutoFillBackground(false);
  edit_->verticalScrollBar()->setStyleSheet(kScrollBarStyle);
  connect(edit_, &QTextEdit::textChanged, this, &CRichEditUI::onChanged);
  updateStyle();
}

QString CRichEditUI::GetText() const { return rich_ ? edit_->toHtml() : edit_->toPlainText(); }

void CRichEditUI::SetText(const QString& text) {
  text_ = text;
  settingText_ = true;
  if (rich_) edit_->setHtml(text);
  else edit_->setPlainText(text);
  settingText_ = false;
}

void CRichEditUI::AppendText(const QString& text) {
  settingText_ = true;
  QTextCursor c(edit_->document());
  c.movePosition(QTextCursor::End);
  c.insertText(text);
  settingText_ = false;
}

void CRichEditUI::SetReadOnly(bool on) {
  readOnly_ = on;
  edit_->setReadOnly(on);
}

void CRichEditUI::onChanged() {
  if (settingText_) return;
  if (limit_ > 0 && edit_->toPlainText().size() > limit_) {
    // Cut what goes beyond the limit, keeping the caret at the end.
    settingText_ = true;
    QTextCursor c(edit_->document());
    c.setPosition(limit_);
    c.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    edit_->moveCursor(QTextCursor::End);
    settingText_ = false;
  }
  SendNotify(DUI_MSGTYPE_TEXTCHANGED);
}

void CRichEditUI::updateStyle() {
  edit_->setStyleSheet(QStringLiteral("QTextEdit{background:transparent;border:none;color:%1;"
                                      "selection-background-color:#2F8CFF;}")
                           .arg(argbColor(IsEnabled() ? textColor_ : disabledTextColor_).name(QColor::HexArgb)));
  edit_->setFont(ScaledFont(font_));
}

void CRichEditUI::SetAttribute(const QString& name, const QString& value) {
  CLabelUI::SetAttribute(name, value);
  if (name == "readonly") SetReadOnly(parseBool(value));
  else if (name == "rich") {
    rich_ = parseBool(value);
    edit_->setAcceptRichText(rich_);
  } else if (name == "wantreturn") wantReturn_ = parseBool(value);
  else if (name == "multiline") {
    if (!parseBool(value)) wantReturn_ = false;
  } else if (name == "maxchar" || name == "limittext") limit_ = parseInt(value);
  else if (name == "vscrollbar") edit_->setVerticalScrollBarPolicy(parseBool(value) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  else if (name == "hscrollbar") edit_->setHorizontalScrollBarPolicy(parseBool(value) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  else if (name == "text") SetText(value);
  updateStyle();
}

QString CRichEditUI::GetAttribute(const QString& name) const {
  if (name == "text") return GetText();
  return CLabelUI::GetAttribute(name);
}

void CRichEditUI::OnScaleChanged() {
  CLabelUI::OnScaleChanged();
  updateStyle();
}

void CRichEditUI::resizeEvent(QResizeEvent* e) {
  CLabelUI::resizeEvent(e);
  QRect rc = textRect();
  if (textPadding_.isNull()) rc.adjust(Scaled(6), Scaled(4), -Scaled(4), -Scaled(4));
  edit_->setGeometry(rc);
}

bool CRichEditUI::eventFilter(QObject* obj, QEvent* e) {
  if (obj == edit_) {
    if (e->type() == QEvent::KeyPress && !wantReturn_) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        SendNotify(DUI_MSGTYPE_RETURN);
        return true;
      }
    } else if (e->type() == QEvent::FocusIn) {
      update();
      SendNotify(DUI_MSGTYPE_SETFOCUS);
    } else if (e->type() == QEvent::FocusOut) {
      update();
      SendNotify(DUI_MSGTYPE_KILLFOCUS);
    }
  }
  return CLabelUI::eventFilter(obj, e);
}

}  // namespace kavro::skin
