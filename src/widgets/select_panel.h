#pragma once
// CSelectPanelUI: the key layout area. Dragging with the left button over
// the panel draws a rubber band; on release every key button whose
// rectangle intersects it is marked selected (the others cleared) and
// "click_select_end" is sent. A press without movement selects nothing.
// A drag may also start on a key: the key hands it to the panel once the
// pointer has moved far enough (a shorter move stays a click on the key).
#include "skin/container.h"

namespace kavro::widgets {

class CDeviceKeyButtonUI;

class CSelectPanelUI : public skin::CVerticalLayoutUI {
  Q_OBJECT
 public:
  explicit CSelectPanelUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("SelectPanel"); }

  bool IsDragging() const { return dragging_; }
  // Current band in panel coordinates (empty when not dragging).
  QRect GetSelectionRect() const { return dragging_ ? band_ : QRect(); }
  // Key buttons of the panel (at any depth), in layout order.
  QList<CDeviceKeyButtonUI*> KeyButtons() const;
  // Clears the selected mark of every key.
  void ClearSelection();

  // The band driven from outside (a drag that began on a key), in panel
  // coordinates: begin at the press point, follow the pointer, end.
  void BeginBand(const QPoint& press);
  void MoveBand(const QPoint& pos);
  void EndBand();

  static constexpr uint32_t kBandFill = 0x460099FF;
  static constexpr uint32_t kBandFrame = 0xFF0099FF;

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  friend class SelectBandOverlay;
  void applySelection();

  QWidget* overlay_;
  bool armed_ = false;
  bool dragging_ = false;
  QPoint pressPos_;
  QRect band_;
};

}  // namespace kavro::widgets
