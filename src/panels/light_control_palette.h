#pragma once
// CColorPaletteUI: a colour picker of the lighting panel. A square shows the
// saturation (left to right) and brightness (top to bottom) of one hue, a bar
// beside it the hues. Dragging in either moves the choice; releasing the
// button sends "colorchanged" with the colour (0xAARRGGBB, alpha 255) in
// wParam.
#include <QRect>

#include "skin/control.h"

namespace kavro::panels {

class CColorPaletteUI : public skin::CControlUI {
  Q_OBJECT
 public:
  explicit CColorPaletteUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("ColorPalette"); }

  // The chosen colour, 0xFFRRGGBB.
  uint32_t GetSelectColor() const;
  // Shows a colour (sends nothing). Greys keep the current hue.
  void SetSelectColor(uint32_t argb);

  void SetAttribute(const QString& name, const QString& value) override;
  void DoPaint(QPainter& p) override;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  enum class Drag { None, Square, Bar };
  QRect squareRect() const;
  QRect barRect() const;
  void pick(const QPoint& pt);

  uint32_t color_ = 0xFFFF0000u;
  int hue_ = 0;    // 0..359
  int sat_ = 255;  // 0..255
  int val_ = 255;  // 0..255
  int barWidth_ = 14;
  int gap_ = 10;
  Drag drag_ = Drag::None;
};

}  // namespace kavro::panels
