#include "hook/macro_recorder.h"

#include <algorithm>
#include <limits>

#include "macros/key_tables.h"

namespace kavro::hook {
namespace {

using macros::MacroEvent;
using macros::MacroStep;
using macros::MacroStepList;

constexpr std::uint32_t kMaxScanCode = std::numeric_limits<std::uint8_t>::max();

RecordOutcome dropped() { return {}; }

bool isXButtonMessage(std::uint32_t message) {
  return message == macros::kMsgXButtonDown || message == macros::kMsgXButtonUp;
}

bool isLeftButtonMessage(std::uint32_t message) {
  return message == macros::kMsgLButtonDown || message == macros::kMsgLButtonUp;
}

}  // namespace

int MacroRecorder::start(RecordDelayMode mode, std::uint64_t nowMs, std::string_view constantDelayText) {
  mode_ = mode;
  previousTick_ = nowMs;
  if (mode == RecordDelayMode::Constant) constantDelay_ = macros::parseDelayText(constantDelayText);
  recording_ = true;
  return constantDelay_;
}

void MacroRecorder::setConstantDelay(int delay) { constantDelay_ = std::clamp(delay, 0, macros::kMaxDelay); }

bool MacroRecorder::repeatedKey(const KeyInput& input) {
  const PressedKey key{input.record.scanCode, isExtended(input.record)};
  if (isKeyDownMessage(input.message)) {
    // Held keys report their press again and again; only the first counts.
    if (lastPressed_ == key) return true;
    lastPressed_ = key;
  } else if (lastPressed_ == key) {
    lastPressed_.reset();
  }
  return false;
}

bool MacroRecorder::repeatedMouse(const MouseInput& input) {
  // The X buttons share their messages, so the button number is part of the message.
  const MouseMessage m{input.message,
                       isXButtonMessage(input.message) ? input.record.extendedButton : std::uint16_t{0}};
  if (lastMouse_ == m) return true;
  lastMouse_ = m;
  return false;
}

RecordOutcome MacroRecorder::recordKey(MacroStepList& list, Placement placement, const KeyInput& input,
                                       std::uint64_t nowMs) {
  if (!recording_) return dropped();
  const bool down = isKeyDownMessage(input.message);
  if (!down && !isKeyUpMessage(input.message)) return dropped();
  if (repeatedKey(input)) return dropped();
  if (input.record.scanCode > kMaxScanCode) return dropped();
  const auto row = macros::findScanRow(static_cast<std::uint8_t>(input.record.scanCode),
                                       isExtended(input.record));
  if (!row) return dropped();
  const auto event = macros::keyStepForRow(*row, down);
  if (!event) return dropped();
  return place(list, placement, *event, nowMs);
}

RecordOutcome MacroRecorder::recordMouse(MacroStepList& list, Placement placement, const MouseInput& input,
                                         std::uint64_t nowMs) {
  if (!recording_ || input.message > std::numeric_limits<std::uint16_t>::max()) return dropped();
  const auto row = macros::findMouseRowForMessage(static_cast<std::uint16_t>(input.message),
                                                  input.record.extendedButton);
  if (!row) return dropped();
  if (repeatedMouse(input)) return dropped();
  if (isLeftButtonMessage(input.message) && stopRect_ &&
      stopRect_->contains(input.record.x, input.record.y)) {
    return dropped();
  }
  const auto event = macros::mouseStepForRow(*row);
  if (!event) return dropped();
  return place(list, placement, *event, nowMs);
}

int MacroRecorder::measuredDelay(std::uint64_t nowMs) {
  switch (mode_) {
    case RecordDelayMode::Recorded: {
      // Event times are 32-bit ticks; the difference survives their wrap,
      // and an event stamped before the previous one waits 0.
      const auto gap = static_cast<std::int32_t>(static_cast<std::uint32_t>(nowMs) -
                                                 static_cast<std::uint32_t>(previousTick_));
      previousTick_ = nowMs;
      return std::clamp<std::int32_t>(gap, 0, macros::kMaxDelay);
    }
    case RecordDelayMode::Constant:
      return constantDelay_;
    case RecordDelayMode::Ignore:
      break;
  }
  return 0;
}

RecordOutcome MacroRecorder::place(MacroStepList& list, Placement placement, MacroEvent event,
                                   std::uint64_t nowMs) {
  const auto selected = list.selected();
  if (placement != Placement::Append && !selected) return dropped();
  if (placement != Placement::Replace && list.size() >= macros::kMaxRecordedSteps) return dropped();

  const int measured = measuredDelay(nowMs);
  if (placement == Placement::Replace) {
    list.replaceKind(*selected, event);
    hasPreviousStep_ = true;
    return {RecordOutcome::Kind::Replaced, *selected, std::nullopt};
  }

  MacroStep step{event, macros::DelayForm::Text};
  step.event.delay = mode_ == RecordDelayMode::Constant ? constantDelay_ : 0;
  if (list.empty()) {
    step.event.delay = 0;
    step.delayForm = macros::DelayForm::Integer;
  }

  std::size_t index = list.size();
  if (placement == Placement::Before) index = *selected;
  if (placement == Placement::After) index = *selected + 1;

  RecordOutcome out{RecordOutcome::Kind::Inserted, index, std::nullopt};
  // The wait measured now is the wait after the step before the new one.
  if (hasPreviousStep_ && index > 0) {
    list.setDelay(index - 1, measured);
    out.delayChangedAt = index - 1;
  }
  hasPreviousStep_ = true;
  list.insert(index, step);
  if (placement == Placement::After) list.select(index);
  return out;
}

}  // namespace kavro::hook
