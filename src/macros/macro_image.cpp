#include "macros/macro_image.h"

namespace kavro::macros {
namespace {

void putLe16(std::vector<std::uint8_t>& out, std::size_t at, std::size_t value) {
  out[at] = static_cast<std::uint8_t>(value & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::size_t recordLength(const std::vector<MacroImageStep>& steps) {
  return kMacroRecordHeaderSize + kMacroEventSize * steps.size();
}

}  // namespace

std::size_t macroImageLength(const MacroImageInput& macros) {
  std::size_t length = kMacroHeaderSize + kMacroOffsetEntrySize * macros.size();
  for (const auto& steps : macros) length += recordLength(steps);
  return length;
}

std::size_t macroCapacity(std::uint8_t memoryUnits) { return kMacroMemoryUnit * memoryUnits; }

int macroOverflow(std::size_t length, std::size_t capacity) {
  if (length <= capacity) return 0;
  return static_cast<int>((length - capacity) / kMacroEventSize + 1);
}

std::vector<std::uint8_t> buildMacroImage(const MacroImageInput& macros) {
  const std::size_t length = macroImageLength(macros);
  if (length > kMacroImageMaxLength) return {};
  std::vector<std::uint8_t> image(length, 0);
  putLe16(image, kMacroHeaderMagic, kMacroImageMagic);
  putLe16(image, kMacroHeaderLength, length);
  putLe16(image, kMacroHeaderCount, macros.size());

  std::size_t record = kMacroHeaderSize + kMacroOffsetEntrySize * macros.size();
  for (std::size_t i = 0; i < macros.size(); ++i) {
    const auto& steps = macros[i];
    putLe16(image, kMacroHeaderSize + kMacroOffsetEntrySize * i, record);
    putLe16(image, record, steps.size());
    std::size_t at = record + kMacroRecordHeaderSize;
    for (const MacroImageStep& s : steps) {
      putLe16(image, at + kMacroEventDelay, s.delay);
      image[at + kMacroEventType] =
          static_cast<std::uint8_t>((s.type & kMacroTypeMask) | (s.down ? kMacroTypeDown : 0));
      image[at + kMacroEventButton] = s.button;
      at += kMacroEventSize;
    }
    record = at;
  }
  return image;
}

MacroDownload planMacroDownload(const MacroImageInput& macros, std::uint8_t memoryUnits) {
  MacroDownload plan;
  plan.overflow = macroOverflow(macroImageLength(macros), macroCapacity(memoryUnits));
  if (plan.overflow == 0) plan.image = buildMacroImage(macros);
  return plan;
}

}  // namespace kavro::macros
