#pragma once
// The custom controls that layouts may name, and the toolkit set-up that
// registers them.
#include <QString>
#include <QStringList>
#include <vector>

#include "skin/dialog_builder.h"

namespace kavro::app {

struct CustomControlRow {
  const char* name;                        // registered name, as layouts write it
  skin::CControlFactory::Creator creator;  // empty while the class does not exist yet
};

// The 23 names in registration order. Rows whose classes come with later
// work (the main window's tab and power display, the panels, the device
// classes) have no creator yet; give them one with setCustomControlCreator.
std::vector<CustomControlRow>& customControlTable();
bool setCustomControlCreator(const QString& name, skin::CControlFactory::Creator creator);

// Points the toolkit at skinFolder, loads its "res.xml" and registers every
// row of the table that has a creator. Returns the names registered.
QStringList registerControls(const QString& skinFolder);

// Creates a custom control by its short class name ("CircleProgress",
// "SelectPanel", "DeviceKeyButton", "HandImgButton", "HandImgSelectButton",
// "RedioMacroButton", "ComboEditContainerElement"), compared without case;
// nullptr for other names. Windows use it in their builder callback.
skin::CControlUI* createCustomControl(const QString& className);

}  // namespace kavro::app
