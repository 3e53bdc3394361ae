#pragma once
// Turns captured key and mouse events into macro steps: drops auto-repeat,
// keys the tables do not know and clicks on the stop button, measures the
// waits between steps in one of three delay modes, and appends, inserts or
// replaces steps in the editor's step list. One recorder per macro panel.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "hook/hook_modes.h"
#include "hook/hook_records.h"
#include "macros/macro_steps.h"

namespace kavro::hook {

// What a reported event did to the step list.
struct RecordOutcome {
  enum class Kind { Dropped, Inserted, Replaced };
  Kind kind = Kind::Dropped;
  std::size_t index = 0;  // the inserted or replaced step
  // The step before the inserted one, when its delay was set to the measured wait.
  std::optional<std::size_t> delayChangedAt;

  bool dropped() const { return kind == Kind::Dropped; }
};

class MacroRecorder {
 public:
  // Starts recording at nowMs. In constant mode the delay comes from the
  // text of the constant-delay edit; the value used (capped at 65535) is
  // returned so the panel can write it back. Other modes keep the constant.
  int start(RecordDelayMode mode, std::uint64_t nowMs, std::string_view constantDelayText = {});
  void stop() { recording_ = false; }
  bool recording() const { return recording_; }

  RecordDelayMode delayMode() const { return mode_; }
  int constantDelay() const { return constantDelay_; }
  void setConstantDelay(int delay);

  // The stop button's screen rectangle: left presses and releases inside it
  // are not recorded, so that stopping is not part of the macro.
  void setStopButtonRect(const ScreenRect& rect) { stopRect_ = rect; }

  // Key and mouse events while recording. nowMs is the event's time
  // (record.time, a tick count like the one given to start). Insert before, after and replace
  // need a selected step; insert before keeps that step selected, insert
  // after selects the new step, so the keys of one recording keep their
  // order; replace keeps the selected step's direction and delay.
  RecordOutcome recordKey(macros::MacroStepList& list, Placement placement, const KeyInput& input,
                          std::uint64_t nowMs);
  RecordOutcome recordMouse(macros::MacroStepList& list, Placement placement, const MouseInput& input,
                            std::uint64_t nowMs);

 private:
  bool repeatedKey(const KeyInput& input);
  bool repeatedMouse(const MouseInput& input);
  RecordOutcome place(macros::MacroStepList& list, Placement placement, macros::MacroEvent event,
                      std::uint64_t nowMs);
  int measuredDelay(std::uint64_t nowMs);

  struct PressedKey {
    std::uint32_t scanCode;
    bool extended;
    bool operator==(const PressedKey&) const = default;
  };
  struct MouseMessage {
    std::uint32_t message;
    std::uint16_t extendedButton;
    bool operator==(const MouseMessage&) const = default;
  };

  bool recording_ = false;
  RecordDelayMode mode_ = RecordDelayMode::Recorded;
  int constantDelay_ = macros::kDefaultConstantDelay;
  std::uint64_t previousTick_ = 0;
  bool hasPreviousStep_ = false;
  std::optional<PressedKey> lastPressed_;
  std::optional<MouseMessage> lastMouse_;
  std::optional<ScreenRect> stopRect_;
};

}  // namespace kavro::hook
