#pragma once
// One macro step ("Events" element of a macro file) and how it is read from
// and written to JSON, plus the name a step is shown with.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <json/json.h>

namespace kavro::macros {

// JSON keys and values of a step.
inline constexpr char kEventType[] = "Type";
inline constexpr char kEventButton[] = "Button";
inline constexpr char kEventAction[] = "Action";
inline constexpr char kEventDelay[] = "Delay";
inline constexpr char kActionDown[] = "down";
inline constexpr char kActionUp[] = "up";

// Step types ("Type").
inline constexpr int kTypeMouseButton = 1;
inline constexpr int kTypeMouseMoveX = 4;  // "down" left, "up" right
inline constexpr int kTypeMouseMoveY = 5;  // "down" up, "up" down
inline constexpr int kTypeModifierKey = 9;
inline constexpr int kTypeKey = 10;

// Longest wait after a step, in milliseconds.
inline constexpr int kMaxDelay = 65535;

struct MacroEvent {
  int type = 0;
  int button = 0;     // usage, modifier bit, button bit or distance, by type
  bool down = false;  // "Action": "down", or anything else as "up"
  int delay = 0;      // 0..kMaxDelay
  bool operator==(const MacroEvent&) const = default;
};

// A typed or stored delay text: leading blanks, optional sign, digits up to
// the first other character. Negative or empty gives 0; large values stop at
// kMaxDelay.
int parseDelayText(std::string_view text);

// "Delay" as stored: a decimal string, or an integer (a freshly recorded
// first step). Any other JSON type reads as 0.
int delayFromJson(const Json::Value& value);

// Reads one "Events" element. Returns nothing when it is not an object;
// members of the wrong type read as 0 / "up". Never throws.
std::optional<MacroEvent> eventFromJson(const Json::Value& value);

// How "Delay" is written: always a string in saved files; the recorder keeps
// the integer 0 on a new first step until the macro is saved.
enum class DelayForm { Text, Integer };
Json::Value eventToJson(const MacroEvent& event, DelayForm form = DelayForm::Text);

// The styled JSON text an editor row keeps for its step, and back.
std::string eventToStyledText(const MacroEvent& event, DelayForm form = DelayForm::Text);
std::optional<MacroEvent> eventFromStyledText(const std::string& text);

// The step for a key row (0-112 of KeyCodeTable, as found through
// ScanCodeTable): type 10 with the usage, or type 9 with the modifier bit.
// Nothing for rows without either. The delay is left 0.
std::optional<MacroEvent> keyStepForRow(std::size_t row, bool down);
// The step for a MouseEventTable row: button steps carry the button bit, move
// steps the given distance; "Type" and "Action" come from the type byte.
// Nothing for the cursor row or an unknown row.
std::optional<MacroEvent> mouseStepForRow(std::size_t row, int distance = 0);

// How a step is labelled in the action list.
enum class StepKind {
  Key,          // types 9 and 10: key name
  MouseButton,  // type 1 (name), types 2 and 3 (no name)
  MouseMove,    // types 4 and 5: move name, distance shown as text
  Other,        // anything else: no name
};
struct StepLabel {
  StepKind kind = StepKind::Other;
  std::string nameKey;       // language key, empty when the step has no name
  std::string distanceText;  // "%d" of the distance, for moves only
};
StepLabel describeStep(const MacroEvent& event);

}  // namespace kavro::macros
