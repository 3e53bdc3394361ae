#include "app/control_registry.h"

#include "app/update_list_item.h"

#include "widgets/chart_view.h"
#include "widgets/circle_progress.h"
#include "widgets/cloud_share_list_item.h"
#include "widgets/combo_edit_container_element.h"
#include "widgets/device_key_button.h"
#include "widgets/hand_img_button.h"
#include "widgets/hand_img_select_button.h"
#include "widgets/redio_macro_button.h"
#include "widgets/select_panel.h"
#include "widgets/wnd_ui.h"
#include "platform/debug.h"
#include "skin/resource_manager.h"

namespace kavro::app {

using namespace kavro::widgets;

template <class T>
static skin::CControlUI* make() {
  return new T;
}

std::vector<CustomControlRow>& customControlTable() {
  static std::vector<CustomControlRow> table = {
      {"CCircleProgressUI", make<CCircleProgressUI>},
      {"CChartViewUI", make<CChartViewUI>},
      {"CWndUI", make<CWndUI>},
      {"CSelectPanelUI", make<CSelectPanelUI>},
      {"CDeviceKeyButtonUI", make<CDeviceKeyButtonUI>},
      {"CCloudShareListItemUI", make<CCloudShareListItemUI>},
      {"CUpdateInfoListItemUI", make<CUpdateInfoListItemUI>},
      {"CDeviceOptionUI", {}},
      {"CMpDevicePowerUI", {}},
      {"CComboEditContainerElementUI", make<CComboEditContainerElementUI>},
      {"CHandImgButtonUI", make<CHandImgButtonUI>},
      {"CHandImgSelectButtonUI", make<CHandImgSelectButtonUI>},
      {"CRedioMacroButtonUI", make<CRedioMacroButtonUI>},
      {"CLightControlUI", {}},
      {"CMacroControlUI", {}},
      {"CKeySetControlUI", {}},
      {"CDeviceProfileUI", {}},
      {"CShootControlUI", {}},
      {"CMagicControlUI", {}},
      {"CVoice6533ControlUI", {}},
      {"CHalvionUSBDevice", {}},
      {"CHalvionMousePadDevice", {}},
      {"CHalvionHS6533Device", {}},
  };
  return table;
}

bool setCustomControlCreator(const QString& name, skin::CControlFactory::Creator creator) {
  for (auto& row : customControlTable()) {
    if (name.compare(QLatin1String(row.name), Qt::CaseInsensitive) == 0) {
      row.creator = std::move(creator);
      return true;
    }
  }
  return false;
}

QStringList registerControls(const QString& skinFolder) {
  auto& rm = skin::CResourceManager::GetInstance();
  rm.SetResourcePath(skinFolder);
  if (!rm.LoadResource("res.xml")) dbg::write("skin: res.xml could not be loaded\n");
  QStringList done;
  for (const auto& row : customControlTable()) {
    if (!row.creator) continue;
    skin::CControlFactory::GetInstance()->RegistControl(row.name, row.creator);
    done << row.name;
  }
  return done;
}

skin::CControlUI* createCustomControl(const QString& className) {
  static const QHash<QString, skin::CControlFactory::Creator> shortNames = {
      {"circleprogress", make<CCircleProgressUI>},
      {"selectpanel", make<CSelectPanelUI>},
      {"devicekeybutton", make<CDeviceKeyButtonUI>},
      {"handimgbutton", make<CHandImgButtonUI>},
      {"handimgselectbutton", make<CHandImgSelectButtonUI>},
      {"rediomacrobutton", make<CRedioMacroButtonUI>},
      {"comboeditcontainerelement", make<CComboEditContainerElementUI>},
  };
  auto it = shortNames.constFind(className.toLower());
  return it != shortNames.constEnd() ? it.value()() : nullptr;
}

}  // namespace kavro::app
