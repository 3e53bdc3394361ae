#include "app/app_messages.h"

#include "skin/window.h"

namespace kavro::app {

RegisteredMessages& registeredMessages() {
  static RegisteredMessages messages;
  return messages;
}

skin::UINT registerInstanceMessage() {
  return registeredMessages().instance = skin::RegisterWindowMessage(kInstanceMessageName);
}

void registerProgramMessages() {
  auto& m = registeredMessages();
  m.updateStatus = skin::RegisterWindowMessage(kUpdateStatusMessageName);
  m.lightAnnounce = skin::RegisterWindowMessage(kLightAnnounceMessageName);
  m.lightRequest = skin::RegisterWindowMessage(kLightRequestMessageName);
}

}  // namespace kavro::app
