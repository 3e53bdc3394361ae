#include "macros/key_tables.h"

namespace kavro::macros {
namespace {

// Both key tables describe the same keys in the same order.
constexpr bool scanRowsMatchKeyRows() {
  for (std::size_t i = 0; i < kScanCodeRowCount; ++i) {
    if (ScanCodeTable[i].virtualKey != KeyCodeTable[i].virtualKey) return false;
    if (ScanCodeTable[i].extended > 1) return false;
  }
  return true;
}
static_assert(scanRowsMatchKeyRows(), "ScanCodeTable and KeyCodeTable rows disagree");

// No two keys may share a scan code and extended flag, or the hook could not
// tell them apart.
constexpr bool scanCodesUnique() {
  for (std::size_t i = 0; i < kScanCodeRowCount; ++i) {
    for (std::size_t j = i + 1; j < kScanCodeRowCount; ++j) {
      if (ScanCodeTable[i].scanCode == ScanCodeTable[j].scanCode &&
          ScanCodeTable[i].extended == ScanCodeTable[j].extended) {
        return false;
      }
    }
  }
  return true;
}
static_assert(scanCodesUnique(), "two ScanCodeTable rows share a scan code");

template <typename Table, typename Pred>
std::optional<std::size_t> findIn(const Table& table, std::size_t from, std::size_t to, Pred pred) {
  for (std::size_t i = from; i < to && i < table.size(); ++i) {
    if (pred(table[i])) return i;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::size_t> findKeyRowByUsage(std::uint8_t usage) {
  return findIn(KeyCodeTable, kFirstPlainKeyRow, kKeyCodeRowCount, [&](const KeyCodeRow& r) {
    return r.kind == kKindKeyboard && r.code1 == 0 && r.code2 == usage;
  });
}

std::optional<std::size_t> findModifierRow(std::uint8_t bit) {
  return findIn(KeyCodeTable, 0, kModifierRowCount, [&](const KeyCodeRow& r) {
    return r.kind == kKindKeyboard && r.code1 == bit && r.code2 == 0;
  });
}

std::optional<std::size_t> findKeyRowByCode(std::uint8_t kind, std::uint8_t code1,
                                            std::uint8_t code2) {
  return findIn(KeyCodeTable, 0, kKeyCodeRowCount, [&](const KeyCodeRow& r) {
    return r.kind == kind && r.code1 == code1 && r.code2 == code2;
  });
}

std::optional<std::size_t> findKeyRowByVirtualKey(std::uint16_t virtualKey) {
  return findIn(KeyCodeTable, 0, kKeyCodeRowCount,
                [&](const KeyCodeRow& r) { return r.virtualKey == virtualKey; });
}

std::optional<std::size_t> findScanRow(std::uint8_t scanCode, bool extended) {
  const std::uint8_t ext = extended ? 1 : 0;
  return findIn(ScanCodeTable, 0, kScanCodeRowCount, [&](const ScanCodeRow& r) {
    return r.scanCode == scanCode && r.extended == ext;
  });
}

std::optional<std::size_t> findMouseButtonRow(std::uint8_t bit) {
  return findIn(MouseEventTable, 0, kMouseButtonRowCount,
                [&](const MouseEventRow& r) { return r.buttonBit == bit; });
}

std::optional<std::size_t> findMouseMoveRow(std::uint8_t typeByte) {
  return findIn(MouseEventTable, kFirstMouseMoveRow, kMouseCursorRow,
                [&](const MouseEventRow& r) { return r.typeByte == typeByte; });
}

std::optional<std::size_t> findMouseRowForMessage(std::uint16_t message, int extendedButton) {
  // Left, right and middle: rows 0-5 by message.
  if (message >= kMsgLButtonDown && message <= kMsgMButtonUp) {
    return findIn(MouseEventTable, 0, 6,
                  [&](const MouseEventRow& r) { return r.message == message; });
  }
  if (message != kMsgXButtonDown && message != kMsgXButtonUp) return std::nullopt;
  const bool down = message == kMsgXButtonDown;
  if (extendedButton == kXButtonBack) return down ? 8u : 9u;
  if (extendedButton == kXButtonForward) return down ? 6u : 7u;
  return std::nullopt;
}

}  // namespace kavro::macros
