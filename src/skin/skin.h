#pragma once
// The skin toolkit: controls, windows, builder, resources and menus.
#include "skin/controls.h"
#include "skin/dialog_builder.h"
#include "skin/menu.h"
#include "skin/paint_manager.h"
#include "skin/resource_manager.h"
#include "skin/window.h"
