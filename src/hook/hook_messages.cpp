#include "hook/hook_messages.h"

#include <QString>
#include <array>

#include "skin/window.h"

namespace kavro::hook {
namespace {

const std::array<skin::UINT, kHookMessageCount>& ids() {
  static const std::array<skin::UINT, kHookMessageCount> table = [] {
    std::array<skin::UINT, kHookMessageCount> t{};
    for (HookMessage m : allHookMessages()) {
      const std::string_view name = hookMessageName(m);
      t[static_cast<std::size_t>(m)] =
          skin::RegisterWindowMessage(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    return t;
  }();
  return table;
}

}  // namespace

void registerHookMessages() { (void)ids(); }

skin::UINT hookMessageId(HookMessage m) { return ids()[static_cast<std::size_t>(m)]; }

std::optional<HookMessage> hookMessageForId(skin::UINT id) {
  const auto& t = ids();
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == id) return static_cast<HookMessage>(i);
  }
  return std::nullopt;
}

}  // namespace kavro::hook
