#pragma once
// The steps of the macro open in the editor, with the selected step: what the
// action list shows. The editor's step commands (moves, deletes, inserted
// mouse steps, delay edits) and the recorder change it; the panel mirrors it
// in its list and writes it to the macro's event file after every change.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "macros/macro_event.h"

namespace kavro::macros {

// The recorder stops adding steps at this count.
inline constexpr std::size_t kMaxRecordedSteps = 4000;
// The constant delay of a new editor, in milliseconds.
inline constexpr int kDefaultConstantDelay = 50;

struct MacroStep {
  MacroEvent event;
  // A freshly recorded first step keeps "Delay" as the integer 0 until the
  // macro is saved; every other step holds it as text.
  DelayForm delayForm = DelayForm::Text;
  bool operator==(const MacroStep&) const = default;
};

class MacroStepList {
 public:
  MacroStepList() = default;
  explicit MacroStepList(const std::vector<MacroEvent>& events);

  std::size_t size() const { return steps_.size(); }
  bool empty() const { return steps_.empty(); }
  const MacroStep& at(std::size_t i) const { return steps_.at(i); }
  const std::vector<MacroStep>& steps() const { return steps_; }

  std::optional<std::size_t> selected() const { return selected_; }
  // Selects step i; an index past the end clears the selection.
  void select(std::optional<std::size_t> i);

  // Inserts before index i (i = size() appends). Returns the new step's index.
  std::size_t insert(std::size_t i, const MacroStep& step);
  // Sets the wait after step i (capped to 0..65535); the step's delay is text from then on.
  void setDelay(std::size_t i, int delay);
  // Keeps step i's direction and delay; takes type and button from event.
  void replaceKind(std::size_t i, const MacroEvent& event);

  // Moves of the selected step; each returns false, changing nothing, when no
  // step is selected or the step is already first (up, top) or last (down,
  // bottom). The moved step stays selected.
  bool moveUp();
  bool moveDown();
  bool moveTop();
  bool moveBottom();

  // Removes the selected step; the step that took its place (or the new
  // last step) is selected. False when nothing is selected.
  bool deleteSelected();
  void clear();

  // The steps as saved: every delay as text.
  std::vector<MacroEvent> events() const;
  // The same, and the list now holds every delay as text.
  std::vector<MacroEvent> eventsForSave();

 private:
  bool moveSelectedTo(std::size_t to);

  std::vector<MacroStep> steps_;
  std::optional<std::size_t> selected_;
};

// ---- Inserted mouse steps ---------------------------------------------------

// The step of a MouseEventTable button row (0-9) with the constant delay.
std::optional<MacroStep> mouseButtonStep(std::size_t row, int constantDelay);

// Inserts steps right after the selected step, or first when none is
// selected; the last inserted step ends up selected. Returns false and
// changes nothing for an unknown row.
bool insertMouseButton(MacroStepList& list, std::size_t row, int constantDelay);
// A click: the press row, then its release row right behind it. pressRow is
// the row of the button's press (0, 2, 4, 6 or 8).
bool insertMouseClick(MacroStepList& list, std::size_t pressRow, int constantDelay);

enum class MoveDirection { Left, Right, Up, Down };
// The device keeps a move's distance in one byte.
inline constexpr int kMaxMoveDistance = 255;
// A relative move of the typed distance (digits only; capped to 0..255).
void insertMouseMove(MacroStepList& list, MoveDirection direction, const std::string& distanceText,
                     int constantDelay);

// Menu item names of the action-row menu that insert mouse button steps:
// "left_down" ... "back_up" insert one step, "left_click" ... "back_click" a
// press and a release. False for other names.
bool insertMouseMenuItem(MacroStepList& list, const std::string& item, int constantDelay);

}  // namespace kavro::macros
