#include "sim/firmware.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/event.h"

namespace kavro::sim {

namespace {

constexpr size_t kLogLimit = 64;

bool isNoDataCommand(uint8_t c) {
  return c == wire::kBeginConfig || c == wire::kEndConfig || c == wire::kExitNotice || c == wire::kQueryLink;
}

// Writes that belong in a configuration frame. Colour banks and light frames
// are live data and take effect at once.
bool isFramedWrite(uint8_t c) {
  return c == wire::kWriteSettings || c == wire::kWriteKeyTable || c == wire::kWriteMacro;
}

bool isRead(uint8_t c) {
  return c == wire::kReadInfo || c == wire::kReadSettings || c == wire::kReadKeyTable || c == wire::kReadStatus ||
         c == wire::kReadLightIndex;
}

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

std::string hexByte(uint8_t v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", v);
  return buf;
}

}  // namespace

const char* areaName(Area a) {
  switch (a) {
    case Area::None: return "none";
    case Area::Info: return "information record";
    case Area::Settings: return "settings memory";
    case Area::KeyTable: return "key table";
    case Area::LightIndex: return "light index table";
    case Area::ColorBanks: return "colour banks";
    case Area::Macro: return "macro memory";
    case Area::Status: return "status block";
    case Area::Frame: return "light frame";
  }
  return "?";
}

wire::Packet makeAnswer(uint8_t command, uint8_t length, uint16_t offset, uint8_t status) {
  wire::Packet a{};
  a[wire::kOffReportId] = wire::kReportId;
  a[wire::kOffCommand] = command;
  a[wire::kOffLength] = length;
  a[wire::kOffOffsetLo] = static_cast<uint8_t>(offset & 0xFF);
  a[wire::kOffOffsetHi] = static_cast<uint8_t>(offset >> 8);
  a[wire::kOffStatus] = status;
  wire::seal(a);
  return a;
}

bool checkMacroImage(const uint8_t* image, size_t available, MacroSummary& out, std::string* why) {
  auto fail = [why](const char* text) {
    if (why != nullptr) *why = text;
    return false;
  };
  constexpr size_t kHeader = 16;   // magic, length, count, 10 reserved bytes
  constexpr size_t kRecordHead = 4;  // event count, 2 reserved bytes
  constexpr size_t kEventSize = 4;
  if (available < kHeader) return fail("macro image shorter than its header");
  if (le16(image) != 0x55AA) return fail("macro image without the 0x55AA mark");
  const size_t length = le16(image + 2);
  const size_t count = le16(image + 4);
  if (length > available) return fail("macro image longer than the bytes written");
  if (kHeader + 2 * count > length) return fail("macro offset table beyond the image");
  size_t events = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = le16(image + kHeader + 2 * i);
    if (at < kHeader + 2 * count || at + kRecordHead > length) return fail("macro record offset out of the image");
    const size_t n = le16(image + at);
    if (at + kRecordHead + kEventSize * n > length) return fail("macro events run past the image");
    events += n;
  }
  if (length != kHeader + 6 * count + kEventSize * events) return fail("macro image length disagrees with its records");
  out.macros = static_cast<unsigned>(count);
  out.events = static_cast<unsigned>(events);
  out.length = length;
  return true;
}

Firmware::Firmware(FirmwareConfig config) : config_(std::move(config)) {
  infoMem_.assign(config_.info.begin(), config_.info.end());
  settings_ = config_.settings;
  keyTable_ = config_.keyTable;
  lightIndex_ = config_.lightIndex;
  banks_.assign(config_.colorBanks * kColorBankStride, 0);
  macro_.assign(config_.macroSize, 0);
  status_.assign(config_.status.begin(), config_.status.end());
  frame_.assign(config_.frameLeds * 3, 0);
  committedSettings_ = settings_;
  committedKeys_ = keyTable_;
  committedBanks_ = banks_;
}

uint64_t Firmware::now() const { return config_.clock ? config_.clock() : tickMs(); }

bool Firmware::knows(uint8_t command) const {
  return std::find(config_.commands.begin(), config_.commands.end(), command) != config_.commands.end();
}

Area Firmware::areaOf(uint8_t command) const {
  switch (command) {
    case wire::kReadInfo: return Area::Info;
    case wire::kReadSettings:
    case wire::kWriteSettings: return Area::Settings;
    case wire::kReadKeyTable:
    case wire::kWriteKeyTable: return Area::KeyTable;
    case wire::kReadLightIndex: return Area::LightIndex;
    case wire::kWriteColorBank: return Area::ColorBanks;
    case wire::kWriteMacro: return Area::Macro;
    case wire::kReadStatus: return Area::Status;
    case wire::kStreamFrame: return Area::Frame;
    default: return Area::None;
  }
}

const std::vector<uint8_t>* Firmware::areaBuffer(Area area) const {
  switch (area) {
    case Area::Info: return &infoMem_;
    case Area::Settings: return &settings_;
    case Area::KeyTable: return &keyTable_;
    case Area::LightIndex: return &lightIndex_;
    case Area::ColorBanks: return &banks_;
    case Area::Macro: return &macro_;
    case Area::Status: return &status_;
    case Area::Frame: return &frame_;
    case Area::None: break;
  }
  return nullptr;
}

std::vector<uint8_t>* Firmware::areaBuffer(Area area) {
  return const_cast<std::vector<uint8_t>*>(static_cast<const Firmware*>(this)->areaBuffer(area));
}

// Returns "" for a request the firmware accepts, else the reason it refuses it.
std::string Firmware::validate(const uint8_t* r, size_t length) const {
  if (length != wire::kPacketSize) return "command report of " + std::to_string(length) + " bytes (expected 64)";
  if (r[wire::kOffReportId] != wire::kReportId) return "report id " + hexByte(r[wire::kOffReportId]);
  const uint16_t sent = static_cast<uint16_t>(r[wire::kOffChecksumLo] | (r[wire::kOffChecksumHi] << 8));
  if (sent != wire::checksum(r)) return "checksum mismatch";
  const uint8_t cmd = r[wire::kOffCommand];
  if (!knows(cmd)) return "unknown command " + hexByte(cmd);
  if (r[wire::kOffStatus] != 0) return "status byte of a request not 0 (command " + hexByte(cmd) + ")";
  const size_t n = r[wire::kOffLength];
  const size_t offset = le16(r + wire::kOffOffsetLo);
  if (n > wire::kMaxData) return "length " + std::to_string(n) + " above 56 (command " + hexByte(cmd) + ")";
  if (isNoDataCommand(cmd)) {
    if (n != 0 || offset != 0) return "length or offset on command " + hexByte(cmd) + " that takes no data";
    return "";
  }
  const Area area = areaOf(cmd);
  const size_t size = areaBuffer(area)->size();
  if (offset + n > size) {
    return "command " + hexByte(cmd) + " offset " + std::to_string(offset) + " + length " + std::to_string(n) +
           " beyond the " + areaName(area) + " (" + std::to_string(size) + " bytes)";
  }
  return "";
}

bool Firmware::takeFault(uint8_t command, Fault& out) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->command != 0 && it->command != command) continue;
    out = *it;
    if (it->count > 0 && --it->count == 0) faults_.erase(it);
    ++stats_.faultsApplied;
    return true;
  }
  return false;
}

Reply Firmware::handle(const uint8_t* report, size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++stats_.requests;
  Reply reply;
  const uint8_t cmd = length > wire::kOffCommand ? report[wire::kOffCommand] : 0;
  const std::string why = validate(report, length);
  if (!why.empty()) {
    logViolation(why);
    reply.violation = true;
    reply.answers.push_back(makeAnswer(cmd, 0, 0, wire::kStatusRefused));
    return reply;
  }
  ++stats_.perCommand[cmd];
  Request rq{cmd, report[wire::kOffLength], le16(report + wire::kOffOffsetLo), report + wire::kOffData};

  Fault fault;
  if (takeFault(cmd, fault)) {
    switch (fault.kind) {
      case FaultKind::Silence: return reply;
      case FaultKind::Refuse:
        reply.answers.push_back(makeAnswer(cmd, rq.length, rq.offset, wire::kStatusRefused));
        return reply;
      case FaultKind::Busy:
        reply.answers.push_back(makeAnswer(cmd, rq.length, rq.offset, wire::kStatusBusy));
        return reply;
      case FaultKind::Crossed: {
        const uint8_t other = cmd == wire::kStreamFrame ? wire::kReadStatus : wire::kStreamFrame;
        reply.answers.push_back(makeAnswer(other, 0, 0, wire::kStatusOk));
        break;
      }
      case FaultKind::Slow: reply.delayMs = fault.delayMs; break;
    }
  }
  if (!online_ && cmd != wire::kQueryLink) {
    // The receiver answers for a device it cannot reach.
    reply.answers.push_back(makeAnswer(cmd, rq.length, rq.offset, wire::kStatusBusy));
    return reply;
  }
  reply.answers.push_back(execute(rq, reply.violation));
  return reply;
}

void Firmware::write(Area area, const Request& rq) {
  std::vector<uint8_t>& mem = *areaBuffer(area);
  std::memcpy(mem.data() + rq.offset, rq.data, rq.length);
}

wire::Packet Firmware::execute(const Request& rq, bool& violation) {
  wire::Packet answer = makeAnswer(rq.command, rq.length, rq.offset, wire::kStatusOk);
  const Area area = areaOf(rq.command);
  switch (rq.command) {
    case wire::kBeginConfig:
      if (framed_) ++stats_.nestedBegins;
      framed_ = true;
      break;
    case wire::kEndConfig: {
      if (!framed_) {
        ++stats_.unmatchedEnds;
        break;
      }
      std::string why;
      if (!commitFrame(&why)) {
        logViolation(why);
        violation = true;
        answer[wire::kOffStatus] = wire::kStatusRefused;
      }
      break;
    }
    case wire::kExitNotice:
      ++stats_.exitNotices;
      streaming_ = false;
      break;
    case wire::kQueryLink: answer[wire::kOffData] = online_ ? wire::kLinkUp : wire::kLinkDown; break;
    case wire::kStreamFrame:
      write(area, rq);
      ++stats_.streamChunks;
      if (rq.offset + rq.length == frame_.size()) ++stats_.streamFrames;
      streaming_ = true;
      lastStreamMs_ = now();
      break;
    case wire::kWriteColorBank:
      write(area, rq);
      std::memcpy(committedBanks_.data() + rq.offset, rq.data, rq.length);
      ++keptGeneration_;
      break;
    default:
      if (isRead(rq.command)) {
        std::memcpy(answer.data() + wire::kOffData, areaBuffer(area)->data() + rq.offset, rq.length);
      } else if (isFramedWrite(rq.command)) {
        write(area, rq);
        if (area == Area::Macro) {
          macroDirty_ = true;
          macroWritten_ = std::max(macroWritten_, size_t{rq.offset} + rq.length);
        }
        if (!framed_) {
          ++stats_.unframedWrites;
          if (area != Area::Macro) commit();  // a macro image is checked once it is whole, at the next end
        }
      }
      break;
  }
  wire::seal(answer);
  return answer;
}

void Firmware::commit() {
  committedSettings_ = settings_;
  committedKeys_ = keyTable_;
  ++keptGeneration_;
}

bool Firmware::commitFrame(std::string* why) {
  framed_ = false;
  commit();
  ++stats_.framesCommitted;
  if (!macroDirty_) return true;
  macroDirty_ = false;
  const size_t written = macroWritten_;
  macroWritten_ = 0;
  MacroSummary summary;
  if (!checkMacroImage(macro_.data(), std::min(written, macro_.size()), summary, why)) return false;
  committedMacros_ = summary;
  ++keptGeneration_;
  return true;
}

void Firmware::logViolation(const std::string& why) {
  ++stats_.violations;
  log_.push_back(config_.kind + ": " + why);
  if (log_.size() > kLogLimit) log_.erase(log_.begin());
}

size_t Firmware::activeBlock() const {
  unsigned slot = committedSettings_.empty() ? 0 : committedSettings_[block::kSlotByte];
  if (slot >= config_.slotCount) slot = 0;
  return slot * config_.slotStride;
}

bool Firmware::setActiveSlot(unsigned slot) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (slot >= config_.slotCount || settings_.empty()) return false;
  settings_[block::kSlotByte] = static_cast<uint8_t>(slot);
  committedSettings_[block::kSlotByte] = static_cast<uint8_t>(slot);
  ++keptGeneration_;
  return true;
}

bool Firmware::setEffect(uint8_t effect) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t at = activeBlock() + block::kEffect;
  if (at >= settings_.size()) return false;
  settings_[at] = effect;
  committedSettings_[at] = effect;
  ++keptGeneration_;
  return true;
}

void Firmware::setOnline(bool online) {
  std::lock_guard<std::mutex> lock(mutex_);
  online_ = online;
}

bool Firmware::online() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return online_;
}

void Firmware::setStatusByte(size_t index, uint8_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (index < status_.size()) status_[index] = value;
}

void Firmware::resetLink() {
  std::lock_guard<std::mutex> lock(mutex_);
  framed_ = false;
  macroDirty_ = false;
  macroWritten_ = 0;
  streaming_ = false;
}

void Firmware::addFault(const Fault& fault) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fault.count != 0) faults_.push_back(fault);
}

void Firmware::clearFaults() {
  std::lock_guard<std::mutex> lock(mutex_);
  faults_.clear();
}

void Firmware::noteViolation(const std::string& why) {
  std::lock_guard<std::mutex> lock(mutex_);
  logViolation(why);
}

uint64_t Firmware::violations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stats_.violations;
}

std::vector<std::string> Firmware::violationLog() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

Stats Firmware::stats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stats_;
}

FirmwareState Firmware::keptState() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return {committedSettings_, committedKeys_, committedBanks_, macro_};
}

bool Firmware::restoreState(const FirmwareState& state) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (state.settings.size() != settings_.size() || state.keyTable.size() != keyTable_.size() ||
      state.colorBanks.size() != banks_.size() || state.macro.size() != macro_.size()) {
    return false;
  }
  settings_ = committedSettings_ = state.settings;
  keyTable_ = committedKeys_ = state.keyTable;
  banks_ = committedBanks_ = state.colorBanks;
  macro_ = state.macro;
  // Macros the device acts on: the kept image, when it is one.
  MacroSummary summary;
  committedMacros_ = checkMacroImage(macro_.data(), macro_.size(), summary, nullptr) ? summary : MacroSummary{};
  framed_ = false;
  macroDirty_ = false;
  macroWritten_ = 0;
  ++keptGeneration_;
  return true;
}

uint64_t Firmware::keptGeneration() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return keptGeneration_;
}

std::vector<uint8_t> Firmware::memory(Area area) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::vector<uint8_t>* mem = areaBuffer(area);
  return mem != nullptr ? *mem : std::vector<uint8_t>{};
}

std::vector<uint8_t> Firmware::committedKeyTable() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return committedKeys_;
}

MacroSummary Firmware::committedMacros() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return committedMacros_;
}

LedView Firmware::ledView() const {
  std::lock_guard<std::mutex> lock(mutex_);
  LedView view;
  if (streaming_ && now() - lastStreamMs_ < kStreamHoldMs) {
    view.source = LedView::Source::Stream;
    for (size_t i = 0; i + 2 < frame_.size(); i += 3) view.leds.push_back({frame_[i], frame_[i + 1], frame_[i + 2]});
    return view;
  }
  const size_t at = activeBlock();
  if (at + block::kBlue >= committedSettings_.size()) return view;
  const uint8_t* b = committedSettings_.data() + at;
  view.slot = config_.slotStride != 0 ? static_cast<unsigned>(at / config_.slotStride) : 0;
  view.effect = b[block::kEffect];
  view.brightness = b[block::kBrightness];
  view.speed = b[block::kSpeed];
  view.direction = b[block::kDirection];
  view.multiColor = b[block::kMultiColor];
  view.color = {b[block::kRed], b[block::kGreen], b[block::kBlue]};
  if (config_.customEffect != 0 && view.effect == config_.customEffect && config_.colorBanks != 0 &&
      at + config_.customBankByte < committedSettings_.size()) {
    view.source = LedView::Source::ColorBank;
    const size_t bank = committedSettings_[at + config_.customBankByte] % config_.colorBanks;
    const uint8_t* c = committedBanks_.data() + bank * kColorBankStride;
    for (uint8_t m : lightIndex_) {
      if (3 * size_t{m} + 2 >= kColorBankStride) continue;  // no room in the bank for this LED
      view.leds.push_back({c[3 * m], c[3 * m + 1], c[3 * m + 2]});
    }
  }
  return view;
}

}  // namespace kavro::sim
