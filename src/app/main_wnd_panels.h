#pragma once
// The main window's ties to the feature panels of the device pages. The
// panels library is optional in a partial build; without it these do nothing.
#include <functional>

namespace kavro::devices {
class CDeviceManager;
class CHalvionUSBDevice;
struct DeviceLightParams;
}  // namespace kavro::devices

namespace kavro::app {

// Registers the panel classes with the control factory (before pages are built).
void registerPanelControls();
// Gives every lighting panel the synchronisation handler and offers its button.
void connectLightPanels(devices::CDeviceManager& manager, const std::function<void()>& sameMode);
// Whether the selected device's lighting panel runs "deng_same_mode" itself.
bool lightPanelHandlesSameMode(devices::CDeviceManager* manager);
// Shows lighting parameters on a device's lighting panel.
void showOnLightPanel(devices::CHalvionUSBDevice* device, const devices::DeviceLightParams& params);

}  // namespace kavro::app
