#include "macros/macro_steps.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "macros/key_tables.h"

namespace kavro::macros {
namespace {

int cappedDelay(int delay) { return std::clamp(delay, 0, kMaxDelay); }

// MouseEventTable rows of the button presses; each release row follows its press.
constexpr std::size_t kLeftPressRow = 0;
constexpr std::size_t kRightPressRow = 2;
constexpr std::size_t kMiddlePressRow = 4;
constexpr std::size_t kForwardPressRow = 6;
constexpr std::size_t kBackPressRow = 8;
constexpr std::size_t kReleaseOffset = 1;

struct ButtonItem {
  std::string_view prefix;  // menu item name before "_down", "_up", "_click"
  std::size_t pressRow;
};
constexpr std::array<ButtonItem, 5> kButtonItems{{
    {"left", kLeftPressRow},
    {"middle", kMiddlePressRow},
    {"right", kRightPressRow},
    {"forward", kForwardPressRow},
    {"back", kBackPressRow},
}};

// The MouseEventTable move rows, left, right, up, down.
constexpr std::size_t moveRow(MoveDirection d) {
  return kFirstMouseMoveRow + static_cast<std::size_t>(d);
}

std::size_t insertAfterSelection(MacroStepList& list, const MacroStep& step) {
  const auto sel = list.selected();
  const std::size_t at = sel ? *sel + 1 : 0;
  const std::size_t index = list.insert(at, step);
  list.select(index);
  return index;
}

}  // namespace

MacroStepList::MacroStepList(const std::vector<MacroEvent>& events) {
  steps_.reserve(events.size());
  for (const auto& e : events) steps_.push_back({e, DelayForm::Text});
}

void MacroStepList::select(std::optional<std::size_t> i) {
  selected_ = (i && *i < steps_.size()) ? i : std::nullopt;
}

std::size_t MacroStepList::insert(std::size_t i, const MacroStep& step) {
  i = std::min(i, steps_.size());
  steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(i), step);
  // The selected step keeps its selection when rows go in before it.
  if (selected_ && *selected_ >= i) ++*selected_;
  return i;
}

void MacroStepList::setDelay(std::size_t i, int delay) {
  if (i >= steps_.size()) return;
  steps_[i].event.delay = cappedDelay(delay);
  steps_[i].delayForm = DelayForm::Text;
}

void MacroStepList::replaceKind(std::size_t i, const MacroEvent& event) {
  if (i >= steps_.size()) return;
  steps_[i].event.type = event.type;
  steps_[i].event.button = event.button;
}

bool MacroStepList::moveSelectedTo(std::size_t to) {
  const std::size_t from = *selected_;
  const MacroStep step = steps_[from];
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(from));
  steps_.insert(steps_.begin() + static_cast<std::ptrdiff_t>(to), step);
  selected_ = to;
  return true;
}

bool MacroStepList::moveUp() {
  if (!selected_ || *selected_ == 0) return false;
  return moveSelectedTo(*selected_ - 1);
}

bool MacroStepList::moveDown() {
  if (!selected_ || *selected_ + 1 >= steps_.size()) return false;
  return moveSelectedTo(*selected_ + 1);
}

bool MacroStepList::moveTop() {
  if (!selected_ || *selected_ == 0) return false;
  return moveSelectedTo(0);
}

bool MacroStepList::moveBottom() {
  if (!selected_ || *selected_ + 1 >= steps_.size()) return false;
  return moveSelectedTo(steps_.size() - 1);
}

bool MacroStepList::deleteSelected() {
  if (!selected_) return false;
  const std::size_t at = *selected_;
  steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(at));
  if (steps_.empty()) {
    selected_.reset();
  } else {
    selected_ = std::min(at, steps_.size() - 1);
  }
  return true;
}

void MacroStepList::clear() {
  steps_.clear();
  selected_.reset();
}

std::vector<MacroEvent> MacroStepList::events() const {
  std::vector<MacroEvent> out;
  out.reserve(steps_.size());
  for (const auto& s : steps_) out.push_back(s.event);
  return out;
}

std::vector<MacroEvent> MacroStepList::eventsForSave() {
  for (auto& s : steps_) s.delayForm = DelayForm::Text;
  return events();
}

std::optional<MacroStep> mouseButtonStep(std::size_t row, int constantDelay) {
  if (row >= kMouseButtonRowCount) return std::nullopt;
  auto event = mouseStepForRow(row);
  if (!event) return std::nullopt;
  event->delay = cappedDelay(constantDelay);
  return MacroStep{*event, DelayForm::Text};
}

bool insertMouseButton(MacroStepList& list, std::size_t row, int constantDelay) {
  const auto step = mouseButtonStep(row, constantDelay);
  if (!step) return false;
  insertAfterSelection(list, *step);
  return true;
}

bool insertMouseClick(MacroStepList& list, std::size_t pressRow, int constantDelay) {
  const auto press = mouseButtonStep(pressRow, constantDelay);
  const auto release = mouseButtonStep(pressRow + kReleaseOffset, constantDelay);
  if (!press || !release || !press->event.down || release->event.down) return false;
  insertAfterSelection(list, *press);
  insertAfterSelection(list, *release);
  return true;
}

void insertMouseMove(MacroStepList& list, MoveDirection direction, const std::string& distanceText,
                     int constantDelay) {
  const int distance = std::min(parseDelayText(distanceText), kMaxMoveDistance);
  auto event = mouseStepForRow(moveRow(direction), distance);
  if (!event) return;
  event->delay = cappedDelay(constantDelay);
  insertAfterSelection(list, {*event, DelayForm::Text});
}

bool insertMouseMenuItem(MacroStepList& list, const std::string& item, int constantDelay) {
  const std::string_view name(item);
  for (const auto& b : kButtonItems) {
    if (name.substr(0, b.prefix.size()) != b.prefix) continue;
    const std::string_view rest = name.substr(b.prefix.size());
    if (rest == "_down") return insertMouseButton(list, b.pressRow, constantDelay);
    if (rest == "_up") return insertMouseButton(list, b.pressRow + kReleaseOffset, constantDelay);
    if (rest == "_click") return insertMouseClick(list, b.pressRow, constantDelay);
  }
  return false;
}

}  // namespace kavro::macros
