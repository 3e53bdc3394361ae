#pragma once
// CButtonUI: a label that reacts to the pointer with hot and pushed looks
// and sends "click" when released over itself (or on Space/Enter with focus).
#include "skin/label.h"
#include "skin/render.h"

namespace kavro::skin {

class CButtonUI : public CLabelUI {
  Q_OBJECT
 public:
  explicit CButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("Button"); }

  bool Activate() override;
  bool IsPushed() const { return pushed_; }
  void SetPushed(bool pushed) { pushed_ = pushed; update(); }
  bool IsCaptured() const { return captured_; }
  void SetCaptured(bool captured) { captured_ = captured; }

  QString GetNormalImage() const { return normalImage_; }
  void SetNormalImage(const QString& s) { normalImage_ = s; update(); }
  QString GetHotImage() const { return hotImage_; }
  void SetHotImage(const QString& s) { hotImage_ = s; update(); }
  QString GetPushedImage() const { return pushedImage_; }
  void SetPushedImage(const QString& s) { pushedImage_ = s; update(); }
  QString GetDisabledImage() const { return disabledImage_; }
  void SetDisabledImage(const QString& s) { disabledImage_ = s; update(); }

  void SetAttribute(const QString& name, const QString& value) override;
  void PaintBkColor(QPainter& p) override;
  void PaintStatusImage(QPainter& p) override;
  void PaintText(QPainter& p) override;

 protected:
  uint32_t currentTextColor() const override;
  // The state image to draw now (normal/hot/pushed/disabled).
  virtual QString currentStatusImage() const;
  virtual uint32_t currentBkColor() const;
  void paintGlyph(QPainter& p);
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

  QString normalImage_, hotImage_, pushedImage_, focusedImage_, disabledImage_;
  QString hotForeImage_, pushedForeImage_;
  uint32_t hotBkColor_ = 0, pushedBkColor_ = 0, disabledBkColor_ = 0;
  uint32_t hotTextColor_ = 0, pushedTextColor_ = 0;
  Glyph glyph_ = Glyph::None;
  uint32_t glyphColor_ = 0xFFC9CED8, hotGlyphColor_ = 0;
  int glyphSize_ = 10;
  bool pushed_ = false;
  bool captured_ = false;
};

}  // namespace kavro::skin
