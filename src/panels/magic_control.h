#pragma once
// CMagicControlUI: the headset's voice-changer panel - on/off and one of
// four voice effects. Like the voice panel it only shows state and reports
// clicks. Its layout is "XML/CustomControlXML/MagicControl.xml".
#include "devices/headset/headset_views.h"
#include "skin/container.h"

namespace kavro::skin {
class COptionUI;
}

namespace kavro::panels {

inline constexpr int kVoiceEffectCount = 4;

class CMagicControlUI : public skin::CHorizontalLayoutUI, public devices::IHeadsetMagicView {
  Q_OBJECT
 public:
  explicit CMagicControlUI(QWidget* parent = nullptr);
  QString GetClass() const override { return QStringLiteral("MagicControl"); }

  void setOn(bool on) override;
  void selectEffect(int effect) override;
  // What the panel shows.
  bool isOn() const;
  int selectedEffect() const { return effect_; }

 private:
  skin::COptionUI* option(const QString& name) const;
  void enableEffects(bool on);
  int effect_ = 0;
};

void registerMagicPanel();

}  // namespace kavro::panels
