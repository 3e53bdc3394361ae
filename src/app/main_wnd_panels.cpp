#include "app/main_wnd_panels.h"

#include "devices/device_base.h"
#include "devices/device_manager.h"
#ifdef KAVRO_HAVE_PANELS
#include "panels/device_profile.h"
#include "panels/light_control.h"
#include "panels/light_control_names.h"
#include "panels/shoot_control.h"
#include "panels/magic_control.h"
#include "panels/voice6533_control.h"
#endif

namespace kavro::app {

void registerPanelControls() {
#ifdef KAVRO_HAVE_PANELS
  panels::registerLightPanel();
  panels::registerProfilePanel();
  panels::registerShootPanel();
  panels::registerVoicePanel();
  panels::registerMagicPanel();
#endif
}

void connectLightPanels(devices::CDeviceManager& manager, const std::function<void()>& sameMode) {
#ifdef KAVRO_HAVE_PANELS
  // The effect names of every kind come from the shipped "default_light.json",
  // indexed by the kind's model index; both sliders run over levels 0..4.
  constexpr int kMaxLevel = 4;
  const Json::Value names =
      panels::readDefaultLightNames(devices::CHalvionUSBDevice::programFolder() + "/DefaultData");
  for (devices::CHalvionUSBDevice* d : manager.allDevices()) {
    if (auto* panel = panels::CLightControlUI::panelOf(d)) {
      panel->setDeviceType(d->deviceType);
      const panels::EffectNameList effects = panels::effectNamesFrom(names, d->getKindIndex());
      panel->initLightPanel(effects.names, effects.visible, kMaxLevel, kMaxLevel);
      panel->setSecondZoneNames(panels::areaNamesFrom(names, d->getKindIndex()));
      panel->refreshFromDevice();
      panel->setSameModeHandler(sameMode);
      panel->setSameModeFlag(1);
    }
  }
#else
  (void)manager, (void)sameMode;
#endif
}

bool lightPanelHandlesSameMode(devices::CDeviceManager* manager) {
#ifdef KAVRO_HAVE_PANELS
  devices::CHalvionUSBDevice* d = manager ? manager->selectedDevice() : nullptr;
  return d && panels::CLightControlUI::panelOf(d) != nullptr;
#else
  (void)manager;
  return false;
#endif
}

void showOnLightPanel(devices::CHalvionUSBDevice* device, const devices::DeviceLightParams& params) {
#ifdef KAVRO_HAVE_PANELS
  if (auto* panel = panels::CLightControlUI::panelOf(device)) panel->showLightParams(params);
#else
  (void)device, (void)params;
#endif
}

}  // namespace kavro::app
