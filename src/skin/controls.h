#pragma once
// Every control class of the skin toolkit.
#include "skin/button.h"
#include "skin/combo.h"
#include "skin/container.h"
#include "skin/control.h"
#include "skin/edit.h"
#include "skin/label.h"
#include "skin/list.h"
#include "skin/option.h"
#include "skin/progress.h"
#include "skin/richedit.h"
