#include "macros/macro_event.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "macros/key_tables.h"
#include "profiles/json_file.h"

namespace kavro::macros {
namespace {

// Any JSON number as an integer within [lo, hi]; other types give 0.
// JsonCpp throws on conversions of the wrong type, so the type is checked first.
int clampedInt(const Json::Value& v, std::int64_t lo, std::int64_t hi) {
  std::int64_t n = 0;
  if (v.isInt64()) {
    n = v.asInt64();
  } else if (v.isUInt64()) {
    n = hi;  // above the signed range
  } else if (v.isDouble()) {
    const double d = v.asDouble();
    if (std::isnan(d)) return 0;
    if (d <= static_cast<double>(lo)) return static_cast<int>(lo);
    if (d >= static_cast<double>(hi)) return static_cast<int>(hi);
    n = static_cast<std::int64_t>(d);
  }
  if (n < lo) n = lo;
  if (n > hi) n = hi;
  return static_cast<int>(n);
}

constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

int parseDelayText(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMaxDelay) value = kMaxDelay;  // stays small: no overflow
  }
  return negative ? 0 : value;
}

int delayFromJson(const Json::Value& value) {
  if (value.isString()) return parseDelayText(value.asString());
  return clampedInt(value, 0, kMaxDelay);
}

std::optional<MacroEvent> eventFromJson(const Json::Value& value) {
  if (!value.isObject()) return std::nullopt;
  MacroEvent e;
  e.type = clampedInt(value[kEventType], kIntMin, kIntMax);
  e.button = clampedInt(value[kEventButton], kIntMin, kIntMax);
  const Json::Value& action = value[kEventAction];
  e.down = action.isString() && action.asString() == kActionDown;
  e.delay = delayFromJson(value[kEventDelay]);
  return e;
}

Json::Value eventToJson(const MacroEvent& event, DelayForm form) {
  int delay = event.delay;
  if (delay < 0) delay = 0;
  if (delay > kMaxDelay) delay = kMaxDelay;
  Json::Value v(Json::objectValue);
  v[kEventType] = event.type;
  v[kEventButton] = event.button;
  v[kEventAction] = event.down ? kActionDown : kActionUp;
  if (form == DelayForm::Integer) {
    v[kEventDelay] = delay;
  } else {
    v[kEventDelay] = std::to_string(delay);
  }
  return v;
}

std::string eventToStyledText(const MacroEvent& event, DelayForm form) {
  return profiles::styledJsonText(eventToJson(event, form));
}

std::optional<MacroEvent> eventFromStyledText(const std::string& text) {
  return eventFromJson(profiles::parseJsonText(text));
}

std::optional<MacroEvent> keyStepForRow(std::size_t row, bool down) {
  if (row >= kScanCodeRowCount) return std::nullopt;
  const KeyCodeRow& r = KeyCodeTable[row];
  if (r.kind != kKindKeyboard) return std::nullopt;
  if (r.code2 != 0) return MacroEvent{kTypeKey, r.code2, down, 0};
  if (r.code1 != 0) return MacroEvent{kTypeModifierKey, r.code1, down, 0};
  return std::nullopt;
}

std::optional<MacroEvent> mouseStepForRow(std::size_t row, int distance) {
  if (row >= kMouseCursorRow) return std::nullopt;
  const MouseEventRow& r = MouseEventTable[row];
  const bool move = r.kind == kMouseKindMove;
  return MacroEvent{r.typeByte & kTypeByteTypeMask, move ? distance : r.buttonBit,
                    (r.typeByte & kTypeByteDown) != 0, 0};
}

StepLabel describeStep(const MacroEvent& event) {
  StepLabel label;
  const bool byteButton = event.button >= 0 && event.button <= 0xFF;
  const auto button = static_cast<std::uint8_t>(event.button);
  switch (event.type) {
    case kTypeKey:
    case kTypeModifierKey: {
      label.kind = StepKind::Key;
      const auto row = !byteButton                 ? std::nullopt
                       : event.type == kTypeKey    ? findKeyRowByUsage(button)
                                                   : findModifierRow(button);
      if (row) label.nameKey = KeyCodeTable[*row].nameKey;
      break;
    }
    case kTypeMouseButton: {
      label.kind = StepKind::MouseButton;
      const auto row = byteButton ? findMouseButtonRow(button) : std::nullopt;
      if (row) label.nameKey = MouseEventTable[*row].nameKey;
      break;
    }
    case 2:
    case 3:
      label.kind = StepKind::MouseButton;
      break;
    case kTypeMouseMoveX:
    case kTypeMouseMoveY: {
      label.kind = StepKind::MouseMove;
      const auto typeByte = static_cast<std::uint8_t>(event.type | (event.down ? kTypeByteDown : 0));
      if (const auto row = findMouseMoveRow(typeByte)) label.nameKey = MouseEventTable[*row].nameKey;
      label.distanceText = std::to_string(event.button);
      break;
    }
    default:
      break;
  }
  return label;
}

}  // namespace kavro::macros
