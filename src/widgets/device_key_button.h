#pragma once
// CDeviceKeyButtonUI: one key of a device picture and, at the same time, one
// LED. Paints the key, then its light tinted with the LED colour and
// brightness, then the key-assignment mark; a double click sends "dbclick".
// A click sends "click"; a drag that starts on the key becomes the rubber
// band of the key panel (CSelectPanelUI) around it. The caption is fitted
// into the cap: one line, two lines, or a smaller font (caption_fit.h).
#include "skin/button.h"
#include "skin/skin_theme.h"
#include "widgets/caption_fit.h"
#include "widgets/key_light_layer.h"

namespace kavro::widgets {

class CSelectPanelUI;

// Caption measures with a font (its family and weight) at any pixel size.
CaptionMetrics captionMetrics(const QFont& font);

class CDeviceKeyButtonUI : public skin::CButtonUI {
  Q_OBJECT
 public:
  explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("DeviceKeyButton"); }

  // colorRef is red | green << 8 | blue << 16; brightness 0…255.
  void setLight(uint32_t colorRef, int brightness, bool shown);
  uint32_t getLightColor() const { return lightColor_; }
  int getLightBrightness() const { return lightBrightness_; }
  bool isLightShown() const { return lightShown_; }
  void setKeyMarkHidden(bool hidden);
  bool isKeyMarkHidden() const { return keyMarkHidden_; }
  void setSelectedByRubberBand(bool selected);
  bool isSelectedByRubberBand() const { return rubberSelected_; }

  void SetAttribute(const QString& name, const QString& value) override;
  void PaintStatusImage(QPainter& p) override;
  // The caption, fitted into the cap (see fitCaption).
  void PaintText(QPainter& p) override;
  // How the current caption is placed at the current size and font.
  CaptionLayout captionLayout() const;
  // Paints from two cached layers (the cap below the light, text and border
  // above it), so an animated light redraws only the tinted light.
  void DoPaint(QPainter& p) override;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  CSelectPanelUI* selectPanel() const;
  void paintLight(QPainter& p);
  void paintKeyMark(QPainter& p);
  void paintOverlays(QPainter& p);
  // What the cached layers depend on; a change rebuilds them. Compared
  // field by field on every paint, so it is built without any formatting.
  // The colours are the layout's; the theme decides how they are painted.
  struct LayerKey {
    QSize size;
    qreal dpr = 0, scale = 0;
    bool hot = false, pushed = false, enabled = false;
    uint32_t bkColor = 0, borderColor = 0;
    QString statusImage, text;
    skin::SkinTheme theme;
    bool operator==(const LayerKey&) const = default;
  };
  // What the light's coverage masks depend on.
  struct MaskKey {
    QString lightImage;
    QSize size;
    qreal dpr = 0, scale = 0;
    int radius = 0;
    bool operator==(const MaskKey&) const = default;
  };
  LayerKey layerKey() const;
  void rebuildLayers();
  // The light's coverage masks for the current size (redrawn when it changes).
  void updateLightMasks();

  QPixmap under_, over_;
  LayerKey layerKey_;
  bool layersValid_ = false;
  KeyLightLayer light_;
  MaskKey maskKey_;
  bool masksValid_ = false;

  QString lightImage_, keySetImage_;
  uint32_t lightColor_ = 255;
  int lightBrightness_ = 200;
  bool lightShown_ = false;
  bool keyMarkHidden_ = true;
  bool rubberSelected_ = false;
  // A drag from this key: where it was pressed, and the panel once the
  // drag has become its band.
  QPoint pressGlobal_;
  bool pressed_ = false;
  CSelectPanelUI* band_ = nullptr;
};

}  // namespace kavro::widgets
