#pragma once
// CSkinFrame: the small frame that "skinbtn" opens: the dark or the light
// tone and an accent colour. A choice is applied to every open window at
// once (through the skin's colour theme) and stored with the other settings.
#include <array>

#include "skin/option.h"
#include "skin/skin_theme.h"
#include "skin/window.h"

namespace kavro::app {

struct AccentChoice {
  const char* name;  // option name in the layout
  uint32_t color;    // ARGB
};
// The accents offered, the layout's own blue first.
inline constexpr std::array<AccentChoice, 6> kAccentChoices = {{
    {"skin_accent_0", skin::kLayoutAccent},
    {"skin_accent_1", 0xFF1FB5A5},
    {"skin_accent_2", 0xFF8A5CFF},
    {"skin_accent_3", 0xFFE8456A},
    {"skin_accent_4", 0xFFFF8A2F},
    {"skin_accent_5", 0xFF3CBF5C},
}};

// An option drawn as a round swatch of its own colour, which the theme
// leaves as it is.
class CAccentSwatchUI : public skin::COptionUI {
  Q_OBJECT
 public:
  explicit CAccentSwatchUI(QWidget* parent = nullptr) : COptionUI(parent) {}
  QString GetClass() const override { return QStringLiteral("AccentSwatch"); }
  void setSwatch(uint32_t argb) { swatch_ = argb; update(); }
  void PaintBkColor(QPainter& p) override;
  void PaintBorder(QPainter& p) override;

 private:
  uint32_t swatch_ = skin::kLayoutAccent;
};

class CSkinFrame : public skin::CWindowWnd {
  Q_OBJECT
 public:
  CSkinFrame() = default;
  QString GetWindowClassName() const override { return QStringLiteral("SkinFrame"); }
  QString GetSkinFile() const override { return QStringLiteral("skin_frame.xml"); }
  skin::CControlUI* CreateControl(const QString& className) override;

  // A choice as the frame's options make it: applied at once and stored.
  void chooseTone(skin::SkinTone tone);
  void chooseAccent(uint32_t accent);

 protected:
  void InitWindow() override;
  void Notify(skin::TNotifyUI& msg) override;
  void changeEvent(QEvent* e) override;

 private:
  void apply(const skin::SkinTheme& theme);
  void showSelection();
};

}  // namespace kavro::app
