// The macro panel's file dialogs and messages.
#include "panels/device_profile_prompts.h"
#include "panels/macro_control.h"

namespace kavro::panels {

DialogMacroPrompts::DialogMacroPrompts(QWidget* owner)
    : DialogFilePrompts({QStringLiteral("Macro Files(*.mac)"), QStringLiteral("mac"), "macro_import_title",
                         "macro_export_title", QStringLiteral("macro")},
                        owner) {}

}  // namespace kavro::panels
