// The lighting panel against a device that records what the panel asks of
// it: the apply sequence of every handler, colour edit commits, palette and
// presets, showing a setting, the layout rule on the real layout, the
// keyboard's custom colours, and a rendered picture of the panel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>

#include <string>
#include <vector>

#include "panels/light_control.h"
#include "panels/light_control_names.h"
#include "panels/light_control_palette.h"
#include "panels/light_control_values.h"
#include "panels/light_layout_rules.h"
#include "widgets/device_key_button.h"
#include "skin/controls.h"
#include "skin/qt_app.h"
#include "skin/window.h"

using namespace kavro;
using namespace kavro::panels;
using skin::CControlUI;

namespace {

// Records the device operations the panel calls, in order.
class RecordingDevice : public devices::CHalvionUSBDevice, public ILightCustomColors {
 public:
  std::vector<std::string> calls;
  std::vector<int> flagAtSet;  // channel.stateFlag when setLightParams ran
  std::vector<std::array<std::uint8_t, 3>> keys = std::vector<std::array<std::uint8_t, 3>>(126, {9, 9, 9});
  std::vector<int> stored, groupIndex, shown;

  void setLightParams(const devices::DeviceLightParams& p) override {
    calls.push_back("setLightParams");
    flagAtSet.push_back(channel.stateFlag.load());
    CHalvionUSBDevice::setLightParams(p);
  }
  void saveProfileData() override { calls.push_back("saveProfileData"); }
  void applyLightState() override { calls.push_back("applyLightState"); }
  int writeLightSettings() override {
    calls.push_back("writeLightSettings");
    return 1;
  }

  int customColorKeyCount() const override { return static_cast<int>(keys.size()); }
  void setCustomKeyColor(int p, std::uint8_t r, std::uint8_t g, std::uint8_t b) override {
    keys[static_cast<size_t>(p)] = {r, g, b};
  }
  void refreshCustomPreview() override { calls.push_back("refreshCustomPreview"); }
  void storeCustomColors(int group) override {
    calls.push_back("storeCustomColors");
    stored.push_back(group);
  }
  void setCustomGroupIndex(int group) override {
    calls.push_back("setCustomGroupIndex");
    groupIndex.push_back(group);
    currentGroup = group;
  }
  int customGroupIndex() const override { return currentGroup; }
  int currentGroup = 1;
  void showCustomGroup(int group) override {
    calls.push_back("showCustomGroup");
    shown.push_back(group);
  }
};

const std::vector<std::string> kApplySequence = {"setLightParams", "saveProfileData", "applyLightState",
                                                 "writeLightSettings"};

std::vector<QString> keyboardEffectNames() {
  std::vector<QString> names;
  for (int i = 0; i < 29; ++i) names.push_back(QStringLiteral("Effect %1").arg(i));
  return names;
}

struct PanelRig {
  test::AppGuard app;
  RecordingDevice device;
  CLightControlUI panel;

  explicit PanelRig(int type = kLightKeyboard) {
    panel.setDeviceType(type);
    panel.setDevice(&device);
    panel.initLightPanel(keyboardEffectNames(), std::vector<int>(29, 1), 4, 4);
    panel.setSecondZoneNames({"Rose", "Amber", "Lime", "Aqua"});
    devices::DeviceLightParams p;
    p.light = {6, 2, 1, 0, 1, 10, 20, 30};
    device.setLightParams(p);
    device.calls.clear();
    device.flagAtSet.clear();
    device.channel.stateFlag.store(1);  // taking part in synchronised lighting
  }

  CControlUI* c(const char* name) { return panel.FindControlByName(QString::fromLatin1(name)); }
  template <class T>
  T* get(const char* name) {
    return qobject_cast<T*>(c(name));
  }
  bool notify(const char* type, const char* name) {
    skin::TNotifyUI msg;
    msg.sType = QString::fromLatin1(type);
    msg.pSender = c(name);
    EXPECT_NE(msg.pSender, nullptr) << name;
    return panel.onNotify(msg);
  }
  lighting::LightParams light() const { return device.getLightParams().light; }
  // The device ran the whole apply sequence once and left synchronisation first.
  void expectApplied() {
    EXPECT_EQ(device.calls, kApplySequence);
    ASSERT_EQ(device.flagAtSet.size(), 1u);
    EXPECT_EQ(device.flagAtSet[0], 0);
    device.calls.clear();
    device.flagAtSet.clear();
    device.channel.stateFlag.store(1);
  }
};

}  // namespace

TEST(LightPanel, EveryHandlerRunsTheApplySequence) {
  PanelRig rig;
  rig.get<skin::CComboUI>("light_combo_modeSelect")->SelectItem(5, false, false);
  EXPECT_TRUE(rig.notify("itemselect", "light_combo_modeSelect"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().mode, 5);

  rig.get<skin::CSliderUI>("deng_light_slider")->SetValue(4);
  EXPECT_TRUE(rig.notify("valuechanged", "deng_light_slider"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().brightnessLevel, 4);
  EXPECT_EQ(rig.get<skin::CLabelUI>("deng_light_value")->GetText(), "4");

  rig.get<skin::CSliderUI>("deng_speed_slider")->SetValue(3);
  EXPECT_TRUE(rig.notify("valuechanged", "deng_speed_slider"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().speedLevel, 3);

  rig.get<skin::COptionUI>("deng_FXL_check")->Selected(true, false);
  EXPECT_TRUE(rig.notify("selectchanged", "deng_FXL_check"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().direction, 1);
  EXPECT_FALSE(rig.get<skin::COptionUI>("deng_FXR_check")->IsSelected());

  rig.get<skin::COptionUI>("deng_FXR_check")->Selected(true, false);
  EXPECT_TRUE(rig.notify("selectchanged", "deng_FXR_check"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().direction, 0);
  EXPECT_EQ(rig.panel.getDirection(), 0);

  rig.get<skin::COptionUI>("deng_7color_check")->Selected(false, false);
  EXPECT_TRUE(rig.notify("selectchanged", "deng_7color_check"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().colorful, 0);

  rig.get<skin::CComboUI>("light_combo_ZZCCmodeSelect")->SelectItem(2, false, false);
  EXPECT_TRUE(rig.notify("itemselect", "light_combo_ZZCCmodeSelect"));
  rig.expectApplied();
  EXPECT_EQ(areaEffectOf(rig.device.getLightParams().param3), 2);

  // Sliders report while dragging too; only the final value is applied.
  EXPECT_FALSE(rig.notify("movevaluechanged", "deng_light_slider"));
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST(LightPanel, TheDeselectedDirectionOptionChangesNothing) {
  PanelRig rig;
  rig.get<skin::COptionUI>("deng_FXR_check")->Selected(false, false);
  EXPECT_TRUE(rig.notify("selectchanged", "deng_FXR_check"));
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST(LightPanel, ColourEditsClampAndClearMultiColour) {
  PanelRig rig;
  auto* g = rig.get<skin::CEditUI>("deng_edit_G");
  g->SetText("300");
  EXPECT_TRUE(rig.notify("killfocus", "deng_edit_G"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().green, 255);
  EXPECT_EQ(g->GetText(), "255");
  EXPECT_EQ(rig.light().colorful, 0);
  EXPECT_EQ(rig.panel.getMultiColor(), 0);
  EXPECT_EQ(rig.panel.getPaletteColor(), 0xFF0AFF1Eu);
  EXPECT_EQ(rig.c("deng_colordp_btn")->GetBkColor(), 0xFF0AFF1Eu);

  g->SetText("");
  EXPECT_TRUE(rig.notify("killfocus", "deng_edit_G"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().green, 0);
  EXPECT_EQ(g->GetText(), "0");

  rig.get<skin::CEditUI>("deng_edit_B")->SetText("77");
  EXPECT_TRUE(rig.notify("killfocus", "deng_edit_B"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().blue, 77);
  EXPECT_EQ(rig.light().red, 10);
}

TEST(LightPanel, CommitColorTextCases) {
  struct Case {
    const char* typed;
    int value;
    const char* text;
    bool rewrite;
  } cases[] = {{"0", 0, "0", false},      {"255", 255, "255", false}, {"256", 255, "255", true},
               {"300", 255, "255", true}, {"", 0, "0", true},         {"  ", 0, "0", true},
               {"-4", 0, "0", true},      {"12x", 0, "0", true},      {"0000000000000000000099", 99, "99", false},
               {"99999999999999999999", 255, "255", true}};
  for (const Case& c : cases) {
    const ColorCommit r = commitColorText(c.typed);
    EXPECT_EQ(r.value, c.value) << c.typed;
    EXPECT_EQ(r.rewrite, c.rewrite) << c.typed;
    if (r.rewrite) {
      EXPECT_EQ(r.text, c.text) << c.typed;
    }
  }
}

TEST(LightPanel, PaletteAndPresetsSetTheColour) {
  PanelRig rig;
  rig.get<CColorPaletteUI>("deng_Color_Pallet")->SetSelectColor(0xFF123456);
  EXPECT_TRUE(rig.notify("colorchanged", "deng_Color_Pallet"));
  rig.expectApplied();
  EXPECT_EQ(rig.light().red, 0x12);
  EXPECT_EQ(rig.light().green, 0x34);
  EXPECT_EQ(rig.light().blue, 0x56);
  EXPECT_EQ(rig.light().colorful, 0);
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Red), "18");
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Blue), "86");

  rig.panel.setMultiColor(1);
  const std::uint32_t preset = rig.panel.getPresetColor(6);
  ASSERT_NE(preset, 0u);
  EXPECT_TRUE(rig.notify("click", "color_option_6"));
  rig.expectApplied();
  EXPECT_EQ(makeArgb({rig.light().red, rig.light().green, rig.light().blue}), preset);
  EXPECT_EQ(rig.panel.getMultiColor(), 0);
  EXPECT_EQ(rig.panel.getPaletteColor(), preset);
  EXPECT_EQ(rig.panel.getPresetColor(999), 0u);
}

TEST(LightPanel, ShowLightSettingFillsEveryControl) {
  PanelRig rig;
  // effect 12, brightness 3, speed 2, direction 1; multi 1, colour 200/100/50; zone 3.
  rig.panel.showLightSetting(12u | 3u << 8 | 2u << 16 | 1u << 24, 1u | 200u << 8 | 100u << 16 | 50u << 24, 3u << 24);
  EXPECT_EQ(rig.panel.getEffectIndex(), 12);
  EXPECT_EQ(rig.panel.getBrightness(), 3);
  EXPECT_EQ(rig.panel.getSpeed(), 2);
  EXPECT_EQ(rig.panel.getDirection(), 1);
  EXPECT_EQ(rig.panel.getMultiColor(), 1);
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Red), "200");
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Green), "100");
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Blue), "50");
  EXPECT_EQ(rig.panel.getPaletteColor(), 0xFFC86432u);
  EXPECT_EQ(rig.c("deng_colordp_btn")->GetBkColor(), 0xFFC86432u);
  EXPECT_EQ(rig.panel.getSecondZoneIndex(), 3);
  // Effect 12's rule ran: the multi-colour check is enabled but hidden.
  EXPECT_FALSE(rig.c("deng_7color_check")->IsVisible());
  EXPECT_TRUE(rig.c("deng_7color_check")->IsEnabled());
  EXPECT_TRUE(rig.device.calls.empty());

  rig.panel.refreshFromDevice();  // the device's own parameters
  EXPECT_EQ(rig.panel.getEffectIndex(), 6);
  EXPECT_EQ(rig.panel.getColorEditText(ColorChannel::Blue), "30");
}

TEST(LightPanel, LayoutRuleOnTheRealLayout) {
  PanelRig rig;
  rig.get<skin::CComboUI>("light_combo_modeSelect")->SelectItem(17, false, false);
  rig.notify("itemselect", "light_combo_modeSelect");
  for (const char* hidden : {"deng_color_layout", "colorpallet_layout", "deng_7color_check", "deng_fx_layout",
                             "deng_speed_layout", "lightcustom_layout"})
    EXPECT_FALSE(rig.c(hidden)->IsVisible()) << hidden;
  EXPECT_TRUE(rig.c("light_combo_ZZCCmodeSelectLayout")->IsVisible());
  EXPECT_TRUE(rig.c("light_combo_ZZCCmodeSelect")->IsEnabled());

  // Effect 20 shows the custom colours; the speed group is disabled, with its slider.
  rig.panel.setEffectIndex(20);
  EXPECT_TRUE(rig.c("lightcustom_layout")->IsVisible());
  EXPECT_FALSE(rig.c("light_combo_ZZCCmodeSelectLayout")->IsVisible());
  EXPECT_FALSE(rig.c("deng_speed_slider")->IsEnabled());

  // An effect without an entry disables every group and leaves visibility alone.
  rig.panel.setEffectIndex(19);
  for (const char* group : {"lighteffect_layout", "deng_color_layout", "colorpallet_layout", "deng_light_layout",
                            "deng_speed_layout", "deng_fx_layout", "deng_7color_check"}) {
    EXPECT_EQ(rig.c(group)->IsEnabled(), std::string(group) == "lighteffect_layout") << group;
  }
  EXPECT_TRUE(rig.c("deng_color_layout")->IsVisible());
  EXPECT_FALSE(rig.c("lightcustom_layout")->IsVisible());
}

TEST(LightPanel, TheColourCardSaysWhyWhenTheEffectChoosesItsColours) {
  PanelRig rig;
  for (int effect = 1; effect <= 28; ++effect) {
    if (effect == 19) continue;  // leaves visibility as the effect before set it
    rig.panel.setEffectIndex(1);
    rig.panel.setEffectIndex(effect);
    const bool own = effect == 4 || effect == 11 || effect == 12 || effect == 17 || effect == 18;
    EXPECT_EQ(rig.c("light_color_note")->IsVisible(), own) << effect;
    EXPECT_EQ(rig.c("colorpallet_layout")->IsVisible(), !own) << effect;
  }
}

TEST(LightPanel, KeysOfThePicturePaintOnClickAndLoseTheirMarksOnAnotherEffect) {
  PanelRig rig;
  std::vector<widgets::CDeviceKeyButtonUI*> keys;
  for (int i = 0; i < 3; ++i) {
    auto* key = new widgets::CDeviceKeyButtonUI;
    rig.device.Add(key);
    keys.push_back(key);
  }
  rig.device.keyButtons = keys;
  auto click = [&](CControlUI* sender) {
    skin::TNotifyUI msg;
    msg.sType = "click";
    msg.pSender = sender;
    return rig.panel.onNotify(msg);
  };
  EXPECT_FALSE(click(keys[1]));  // effect 6: keys are not painted
  EXPECT_EQ(rig.device.keys[1], (std::array<std::uint8_t, 3>{9, 9, 9}));

  devices::DeviceLightParams p = rig.device.getLightParams();
  p.light.mode = 20;
  rig.device.setLightParams(p);
  rig.panel.refreshFromDevice();
  EXPECT_EQ(rig.panel.getCustomGroupIndex(), 1);  // the device's group on entry
  rig.device.calls.clear();
  keys[0]->setSelectedByRubberBand(true);
  EXPECT_TRUE(click(keys[1]));
  EXPECT_EQ(rig.device.keys[1], (std::array<std::uint8_t, 3>{10, 20, 30}));
  EXPECT_EQ(rig.device.keys[0], (std::array<std::uint8_t, 3>{9, 9, 9}));
  EXPECT_EQ(rig.device.stored, std::vector<int>{1});
  EXPECT_FALSE(keys[0]->isSelectedByRubberBand());
  EXPECT_TRUE(keys[1]->isSelectedByRubberBand());

  // A foreign button is not a key of the picture.
  skin::CButtonUI stranger;
  EXPECT_FALSE(click(&stranger));

  rig.get<skin::CComboUI>("light_combo_modeSelect")->SelectItem(5, false, false);
  rig.notify("itemselect", "light_combo_modeSelect");
  EXPECT_FALSE(keys[1]->isSelectedByRubberBand());
  keys[2]->setSelectedByRubberBand(true);
  rig.panel.refreshFromDevice();  // a profile or device change
  EXPECT_FALSE(keys[2]->isSelectedByRubberBand());
}

TEST(LightPanel, SameModeButtonFollowsTheFlag) {
  PanelRig rig;
  int copies = 0;
  rig.panel.setEffectIndex(5);
  EXPECT_FALSE(rig.c("deng_same_mode")->IsVisible());
  rig.panel.setSameModeFlag(1);
  EXPECT_TRUE(rig.c("deng_same_mode")->IsVisible());
  EXPECT_FALSE(rig.notify("click", "deng_same_mode"));  // left to the window without a handler
  rig.panel.setSameModeHandler([&copies] { ++copies; });
  EXPECT_TRUE(rig.notify("click", "deng_same_mode"));
  EXPECT_EQ(copies, 1);
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST(LightPanel, CustomColourButtons) {
  PanelRig rig;
  rig.panel.setCustomGroupIndex(-1);
  EXPECT_TRUE(rig.notify("click", "custom_off_color_btn"));
  // The preview changes but with no group selected nothing is stored.
  EXPECT_EQ(rig.device.calls, std::vector<std::string>{"refreshCustomPreview"});
  EXPECT_EQ(rig.device.keys[0], (std::array<std::uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(rig.device.keys[125], (std::array<std::uint8_t, 3>{0, 0, 0}));
  rig.device.calls.clear();

  rig.get<skin::CComboUI>("light_combo_custommodeSelect")->SelectItem(2, false, false);
  EXPECT_TRUE(rig.notify("itemselect", "light_combo_custommodeSelect"));
  // The group's colours are shown (and go to its bank), then the settings
  // block carries the group to the keyboard.
  EXPECT_EQ(rig.device.calls, (std::vector<std::string>{"setCustomGroupIndex", "saveProfileData", "showCustomGroup",
                                                        "writeLightSettings"}));
  EXPECT_EQ(rig.device.groupIndex, std::vector<int>{2});
  EXPECT_EQ(rig.device.shown, std::vector<int>{2});
  rig.device.calls.clear();

  EXPECT_TRUE(rig.notify("click", "custom_bright_color_btn"));
  EXPECT_EQ(rig.device.calls,
            (std::vector<std::string>{"refreshCustomPreview", "storeCustomColors", "saveProfileData"}));
  EXPECT_EQ(rig.device.stored, std::vector<int>{2});
  EXPECT_EQ(rig.device.keys[64], (std::array<std::uint8_t, 3>{10, 20, 30}));
}

TEST(LightPanel, KeyboardOnlyHandlersIgnoreOtherDevices) {
  PanelRig rig(kLightMouse);
  rig.get<skin::CComboUI>("light_combo_ZZCCmodeSelect")->SelectItem(1, false, false);
  EXPECT_TRUE(rig.notify("itemselect", "light_combo_ZZCCmodeSelect"));
  EXPECT_TRUE(rig.notify("click", "custom_bright_color_btn"));
  rig.get<skin::CComboUI>("light_combo_custommodeSelect")->SelectItem(1, false, false);
  EXPECT_TRUE(rig.notify("itemselect", "light_combo_custommodeSelect"));
  EXPECT_TRUE(rig.device.calls.empty());
  EXPECT_EQ(rig.device.keys[0], (std::array<std::uint8_t, 3>{9, 9, 9}));
}

TEST(LightPanel, LeavingAColourFieldUnchangedChangesNothing) {
  PanelRig rig;
  rig.panel.refreshFromDevice();
  const auto before = rig.light();
  EXPECT_TRUE(rig.notify("killfocus", "deng_edit_R"));
  EXPECT_TRUE(rig.device.calls.empty());
  EXPECT_EQ(rig.light(), before);
}

TEST(LightPanel, WithoutDeviceOrForeignSendersNothingHappens) {
  PanelRig rig;
  rig.panel.setDevice(nullptr);
  rig.get<skin::CEditUI>("deng_edit_R")->SetText("999");
  EXPECT_TRUE(rig.notify("killfocus", "deng_edit_R"));
  EXPECT_TRUE(rig.notify("click", "color_option_1"));
  EXPECT_TRUE(rig.notify("click", "custom_off_color_btn"));
  EXPECT_TRUE(rig.device.calls.empty());
  EXPECT_EQ(rig.device.keys[0], (std::array<std::uint8_t, 3>{9, 9, 9}));

  rig.panel.setDevice(&rig.device);
  skin::CButtonUI stranger;
  stranger.SetName("color_option_1");
  skin::TNotifyUI msg;
  msg.sType = "click";
  msg.pSender = &stranger;
  EXPECT_FALSE(rig.panel.onNotify(msg));
  msg.pSender = nullptr;
  EXPECT_FALSE(rig.panel.onNotify(msg));
  EXPECT_TRUE(rig.device.calls.empty());
}

TEST(LightPanel, DevicePagesBindTheirPanelByName) {
  test::AppGuard app;
  RecordingDevice device;
  auto* panel = new CLightControlUI;
  panel->SetName("LightControlItem");
  device.Add(panel);
  device.bindPanels({"DeviceProfileItem", "LightControlItem"});
  EXPECT_EQ(panel->device(), &device);
  EXPECT_EQ(CLightControlUI::panelOf(&device), panel);
  EXPECT_EQ(CLightControlUI::panelOf(nullptr), nullptr);
  panel->setDeviceType(kLightKeyboard);
  skin::TNotifyUI msg;
  msg.sType = "click";
  msg.pSender = panel->FindControlByName("color_option_0");
  EXPECT_TRUE(device.forwardNotify(msg));
  EXPECT_EQ(device.calls, kApplySequence);
  EXPECT_EQ(device.getLightParams().light.red, 255);
}

TEST(LightPanel, InitLightPanelFillsTheEffectList) {
  PanelRig rig;
  rig.panel.initLightPanel({"None", "Wave", "Snake"}, {0, 1, 1}, 4, 3);
  auto* combo = rig.get<skin::CComboUI>("light_combo_modeSelect");
  ASSERT_EQ(combo->GetCount(), 3);
  EXPECT_FALSE(combo->GetItemAt(0)->IsVisible());
  EXPECT_EQ(combo->GetItemAt(1)->GetText(), "Wave");
  EXPECT_EQ(combo->GetItemAt(1)->GetToolTip(), "Wave");
  EXPECT_EQ(combo->GetItemAt(2)->GetFixedHeight(), 30);
  EXPECT_EQ(rig.get<skin::CSliderUI>("deng_light_slider")->GetMaxValue(), 4);
  EXPECT_EQ(rig.get<skin::CSliderUI>("deng_speed_slider")->GetMaxValue(), 3);
}

TEST(LightPanel, EffectNamesFromTheShippedFile) {
  const Json::Value doc = readDefaultLightNames(std::string(KAVRO_RESOURCES_DIR) + "/DefaultData");
  const EffectNameList kb = effectNamesFrom(doc, 0);
  ASSERT_EQ(kb.names.size(), 29u);
  EXPECT_EQ(kb.visible[0], 0);
  EXPECT_EQ(kb.names[20], "Custom Colours");
  EXPECT_EQ(areaNamesFrom(doc, 0).size(), 4u);
  EXPECT_TRUE(effectNamesFrom(doc, 9).names.empty());
  EXPECT_TRUE(effectNamesFrom(Json::Value("junk"), 0).names.empty());
  Json::Value odd;
  odd["DefaultLightName"][0][0] = 5;  // not an object: keeps its place, hidden
  EXPECT_EQ(effectNamesFrom(odd, 0).names.size(), 1u);
  EXPECT_EQ(effectNamesFrom(odd, 0).visible[0], 0);
}

namespace {

// A window holding a device page's lighting panel, as the pages place it.
class PanelWnd : public skin::CWindowWnd {
 public:
  explicit PanelWnd(QString file) : file_(std::move(file)) {}
  QString GetWindowClassName() const override { return "LightPanelWnd"; }
  QString GetSkinFile() const override { return file_; }

 private:
  QString file_;
};

void addEnglishTexts() {
  auto& rm = skin::CResourceManager::GetInstance();
  const std::pair<const char*, const char*> texts[] = {
      {"light_effect_title", "Effect"},         {"light_effect_caption", "Lighting effect"},
      {"light_zone_caption", "Zone colour"},    {"light_custom_caption", "Custom colour set"},
      {"light_custom_group_1", "Set 1"},        {"light_custom_group_2", "Set 2"},
      {"light_custom_group_3", "Set 3"},        {"light_custom_group_4", "Set 4"},
      {"light_custom_fill", "Fill all keys"},   {"light_custom_clear", "Clear all keys"},
      {"light_same_mode", "Apply to all devices"}, {"light_adjust_title", "Adjust"},
      {"light_brightness", "Brightness"},       {"light_speed", "Speed"},
      {"light_direction", "Direction"},         {"light_direction_left", "Left"},
      {"light_direction_right", "Right"},       {"light_multicolor", "Colour cycle"},
      {"light_color_title", "Colour"},
  };
  for (const auto& [key, text] : texts) rm.AddText(key, text);
}

}  // namespace

TEST(LightPanel, RegisteredClassesAndRenderedPicture) {
  test::qtApp();
  registerLightPanel();
  addEnglishTexts();
  QDir().mkpath(KAVRO_TEST_OUTPUT_DIR);
  const QString page = QString(KAVRO_TEST_OUTPUT_DIR) + "/light_panel_page.xml";
  QFile f(page);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write("<Window size=\"1300,330\"><VerticalLayout bkcolor=\"#FF121419\">"
          "<LightControl name=\"LightControlItem\"/></VerticalLayout></Window>");
  f.close();

  PanelWnd w(page);
  ASSERT_TRUE(w.Create(nullptr, "light", skin::UI_WNDSTYLE_FRAME));
  auto* panel = w.Find<CLightControlUI>("LightControlItem");
  ASSERT_NE(panel, nullptr);
  ASSERT_NE(w.FindControl("deng_Color_Pallet"), nullptr);  // built through "LightSetControlUI"

  RecordingDevice device;
  auto* host = qobject_cast<skin::CContainerUI*>(w.GetPaintManager().GetRoot());
  ASSERT_NE(host, nullptr);
  panel->setDevice(&device);
  panel->setDeviceType(kLightKeyboard);
  panel->setSameModeFlag(1);
  const Json::Value doc = readDefaultLightNames(std::string(KAVRO_RESOURCES_DIR) + "/DefaultData");
  const EffectNameList names = effectNamesFrom(doc, 0);
  panel->initLightPanel(names.names, names.visible, 4, 4);
  panel->setSecondZoneNames(areaNamesFrom(doc, 0));
  panel->setCustomGroupIndex(0);
  // Breathing in a warm orange, brightness 3, speed 2, direction left.
  panel->showLightSetting(5u | 3u << 8 | 2u << 16 | 1u << 24, 0u | 255u << 8 | 120u << 16 | 40u << 24, 0);

  // Both direction options of one panel form their own exclusive pair.
  auto* left = w.Find<skin::COptionUI>("deng_FXL_check");
  auto* right = w.Find<skin::COptionUI>("deng_FXR_check");
  right->Selected(true, false);
  EXPECT_FALSE(left->IsSelected());
  left->Selected(true, false);
  EXPECT_FALSE(right->IsSelected());

  w.show();
  QCoreApplication::processEvents();
  const QImage img = w.grab().toImage();
  EXPECT_TRUE(img.save(QString(KAVRO_TEST_OUTPUT_DIR) + "/light_panel.png"));
  EXPECT_EQ(img.size(), QSize(1300, 330));

  panel->setEffectIndex(20);  // keyboard custom colours
  QCoreApplication::processEvents();
  EXPECT_TRUE(w.grab().toImage().save(QString(KAVRO_TEST_OUTPUT_DIR) + "/light_panel_custom.png"));
  panel->setDevice(nullptr);

  // A mouse page: spectrum leaves only effect, brightness and speed enabled.
  PanelWnd mouse(page);
  ASSERT_TRUE(mouse.Create(nullptr, "light", skin::UI_WNDSTYLE_FRAME));
  auto* mp = mouse.Find<CLightControlUI>("LightControlItem");
  mp->setDeviceType(kLightMouse);
  const EffectNameList mouseNames = effectNamesFrom(doc, 1);
  mp->initLightPanel(mouseNames.names, mouseNames.visible, 4, 4);
  mp->showLightSetting(1u | 4u << 8 | 1u << 16, 0u | 40u << 8 | 200u << 16 | 255u << 24, 0);
  EXPECT_FALSE(mouse.FindControl("deng_Color_Pallet")->IsEnabled());
  EXPECT_FALSE(mouse.FindControl("lightcustom_layout")->IsVisible());
  mouse.show();
  QCoreApplication::processEvents();
  EXPECT_TRUE(mouse.grab().toImage().save(QString(KAVRO_TEST_OUTPUT_DIR) + "/light_panel_mouse.png"));
  skin::CResourceManager::GetInstance().ResetText();
}
