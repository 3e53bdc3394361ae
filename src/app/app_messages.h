#pragma once
// Numbers of the messages that this program exchanges with itself and with
// other programs, and the names they are registered under.
#include "skin/skin_types.h"

namespace kavro::app {

inline constexpr const char* kInstanceMessageName = "VEXOR_NIMBA_001";
inline constexpr const char* kInstanceMutexName = "NIMBA_VEXOR";
inline constexpr const char* kUpdateStatusMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr const char* kLightAnnounceMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr const char* kLightRequestMessageName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";

inline constexpr const char* kProductName = "KAVRO TR-P40 Mechanical Keyboard";

// Registered message numbers, filled by registerInstanceMessage and
// registerProgramMessages at start-up (0 before).
struct RegisteredMessages {
  skin::UINT instance = 0;
  skin::UINT updateStatus = 0;
  skin::UINT lightAnnounce = 0;
  skin::UINT lightRequest = 0;
};
RegisteredMessages& registeredMessages();
skin::UINT registerInstanceMessage();
void registerProgramMessages();

}  // namespace kavro::app
