#include "macros/macro_image_source.h"

#include <algorithm>
#include <filesystem>

#include "macros/macro_model.h"

namespace kavro::macros {

MacroImageStep imageStep(const MacroEvent& event) {
  MacroImageStep s;
  s.delay = static_cast<std::uint16_t>(std::clamp(event.delay, 0, kMaxDelay));
  s.type = static_cast<std::uint8_t>(event.type & kMacroTypeMask);
  s.down = event.down;
  s.button = static_cast<std::uint8_t>(event.button & 0xFF);
  return s;
}

MacroSource loadMacroSource(const std::string& userFolder) {
  MacroModel model(userFolder);
  MacroSource source;
  std::error_code ec;
  source.hasIndex = std::filesystem::is_regular_file(model.indexPath(), ec);
  if (!source.hasIndex) return source;
  model.loadIndex();
  source.macros.reserve(model.count());
  for (std::size_t i = 0; i < model.count(); ++i) {
    std::vector<MacroImageStep> steps;
    for (const MacroEvent& e : model.loadEvents(i)) steps.push_back(imageStep(e));
    source.macros.push_back(std::move(steps));
  }
  return source;
}

}  // namespace kavro::macros
