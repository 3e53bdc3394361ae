#pragma once
// CLabelUI (one line or wrapped text with alignment, font and colours) and
// CTextUI (a label whose text wraps by default).
#include "skin/control.h"

namespace kavro::skin {

class CLabelUI : public CControlUI {
  Q_OBJECT
 public:
  explicit CLabelUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Label"); }

  // DT_ flags (skin_types.h).
  UINT GetTextStyle() const { return textStyle_; }
  void SetTextStyle(UINT style) { textStyle_ = style; update(); }
  uint32_t GetTextColor() const { return textColor_; }
  void SetTextColor(uint32_t argb) { textColor_ = argb; update(); }
  uint32_t GetDisabledTextColor() const { return disabledTextColor_; }
  int GetFont() const { return font_; }
  void SetFont(int index) { font_ = index; update(); }
  Rect4 GetTextPadding() const { return textPadding_; }
  void SetTextPadding(const Rect4& r) { textPadding_ = r; update(); }
  bool IsShowHtml() const { return showHtml_; }
  void SetShowHtml(bool on) { showHtml_ = on; update(); }

  void SetAttribute(const QString& name, const QString& value) override;
  QString GetAttribute(const QString& name) const override;
  void PaintText(QPainter& p) override;

 protected:
  // Draws text in rc with the label's font, style and the given colour.
  void drawText(QPainter& p, const QString& text, const QRect& rc, uint32_t color);
  QRect textRect() const;
  virtual uint32_t currentTextColor() const;

  UINT textStyle_ = DT_VCENTER | DT_SINGLELINE;
  uint32_t textColor_ = 0;
  uint32_t disabledTextColor_ = 0;
  int font_ = -1;
  Rect4 textPadding_;
  bool showHtml_ = false;
};

class CTextUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CTextUI(QWidget* parent = nullptr) : CLabelUI(parent) { textStyle_ = DT_WORDBREAK; }
  QString GetClass() const override { return QStringLiteral("Text"); }
};

}  // namespace kavro::skin
