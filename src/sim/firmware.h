#pragma once
// The firmware of one emulated device, as pure logic: it checks each command
// request, applies it to the device's memory and builds the answer(s). No
// threads and no I/O here; the emulator (emulator.h) feeds it the reports that
// arrive and sends what it returns. All members are safe to call from any
// thread: one lock guards the whole state.
//
// Configuration frames. beginConfig opens a frame, endConfig closes it. Writes
// change memory at once (so reads see them), but the device acts on them (its
// lighting, its key table, its macros) only when they are committed: at the end
// of the frame, or - for a write that arrives outside any frame - right away.
// Writes outside a frame, an end without a begin and a second begin are
// tolerated (real sequences do this: a write sent before the frame of a
// shutdown, an end sent after a begin that failed) and counted in Stats, not
// as violations.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sim/firmware_wire.h"

namespace kavro::sim {

constexpr size_t kInfoSize = 34;
constexpr size_t kStatusSize = 6;
constexpr size_t kColorBankStride = 512;

// Information record bytes (answer of kReadInfo).
namespace info {
constexpr size_t kFirmwareLo = 0;    // firmware version, low byte (BCD minor)
constexpr size_t kFirmwareHi = 1;    // firmware version, high byte (BCD major)
constexpr size_t kDeviceType = 2;    // 1 keyboard, 2 mouse, 3 mousepad, 7 headset
constexpr size_t kSlotCount = 3;     // settings slots the device keeps
constexpr size_t kFrameLeds = 4;     // entries of a streamed light frame (3 bytes each)
constexpr size_t kKeyCount = 5;      // device keys K: key table K x 3, light index table K
constexpr size_t kMacroUnits = 6;    // macro memory in units of 128 bytes
constexpr size_t kColorBanks = 7;    // per-key colour banks (512 bytes each)
constexpr size_t kDpiStep = 11;      // mouse: DPI per slider step
constexpr size_t kDpiMaxLo = 12;     // mouse: largest slider value, 16-bit little endian
constexpr size_t kDpiMaxHi = 13;
constexpr size_t kDpiMinLo = 14;     // mouse: smallest DPI, 16-bit little endian
constexpr size_t kDpiMinHi = 15;
constexpr size_t kMacroUnitSize = 128;
}  // namespace info

// Power/status block bytes (answer of kReadStatus).
namespace status {
constexpr size_t kBattery = 0;      // percent
constexpr size_t kCharging = 1;     // 0 powered, 1 charging, 2 on battery
constexpr size_t kReserved = 2;
constexpr size_t kWireless = 3;     // 1 when reached through a wireless receiver
constexpr size_t kConnection = 4;   // 0 normal, 1 sleeping, 2 link lost, 4 battery low
constexpr size_t kPhone = 5;        // mousepad charging pad: 0 none, 1..3 phone kind
}  // namespace status

// Lighting bytes of a settings block, the same on every device kind.
namespace block {
constexpr size_t kSlotByte = 0;    // memory byte 0 (= byte 0 of block 0): the active slot
constexpr size_t kEffect = 1;
constexpr size_t kBrightness = 2;  // level 0..5
constexpr size_t kSpeed = 3;       // 4 - speed
constexpr size_t kDirection = 4;
constexpr size_t kMultiColor = 5;
constexpr size_t kRed = 6;
constexpr size_t kGreen = 7;
constexpr size_t kBlue = 8;
}  // namespace block

// The brightness level a device leaves the factory with: the brightest the
// pages offer (their sliders end at 4, although a block can say 5).
constexpr uint8_t kFactoryBrightness = 4;

// The memory areas a command addresses.
enum class Area { None, Info, Settings, KeyTable, LightIndex, ColorBanks, Macro, Status, Frame };
const char* areaName(Area a);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Everything that makes one device kind's firmware.
struct FirmwareConfig {
  std::string kind;                     // "keyboard", "mouse", "mousepad", "headset"
  std::array<uint8_t, kInfoSize> info{};
  std::vector<uint8_t> settings;        // initial settings memory (its size is the memory size)
  unsigned slotCount = 1;
  size_t slotStride = 0;                // the device finds slot s's block at s x slotStride
  size_t blockSize = 0;                 // bytes of one block the device interprets
  std::vector<uint8_t> keyTable;        // K x 3 bytes
  std::vector<uint8_t> lightIndex;      // K bytes (keyboard only)
  unsigned colorBanks = 0;              // 0: no per-key colours
  size_t macroSize = 0;                 // 0: no macro memory
  size_t frameLeds = 0;                 // entries of a streamed frame
  std::array<uint8_t, kStatusSize> status{};
  uint8_t customEffect = 0;             // effect number that shows a colour bank (0: none)
  size_t customBankByte = 0;            // block byte that selects the bank
  std::vector<uint8_t> commands;        // commands the firmware knows
  std::function<uint64_t()> clock;      // milliseconds; tickMs() when empty
};

// Injected faults, applied to the next matching command requests.
enum class FaultKind {
  Silence,     // the request is lost: no answer
  Refuse,      // answered with status 0xFF, not carried out
  Busy,        // answered with status 0xFE, not carried out
  Crossed,     // carried out, but a stray answer echoing another command comes first
  Slow,        // carried out, answered after delayMs
};

struct Fault {
  FaultKind kind = FaultKind::Silence;
  int count = -1;           // requests it applies to; -1 until cleared
  uint8_t command = 0;      // only requests with this command; 0 = any
  unsigned delayMs = 0;     // Slow
};

// What to send back for one request.
struct Reply {
  std::vector<wire::Packet> answers;  // in order
  unsigned delayMs = 0;               // wait before the first answer
  bool violation = false;             // the request broke the rules
};

struct Stats {
  uint64_t requests = 0;
  uint64_t violations = 0;
  uint64_t framesCommitted = 0;
  uint64_t unframedWrites = 0;   // writes committed without a frame
  uint64_t unmatchedEnds = 0;    // endConfig without beginConfig
  uint64_t nestedBegins = 0;     // beginConfig inside an open frame
  uint64_t streamChunks = 0;
  uint64_t streamFrames = 0;     // chunks that completed a frame
  uint64_t exitNotices = 0;
  uint64_t faultsApplied = 0;
  std::array<uint64_t, 256> perCommand{};
};

// What the device's lights show.
struct LedView {
  enum class Source { Effect, ColorBank, Stream, Reports };
  Source source = Source::Effect;
  unsigned slot = 0;
  uint8_t effect = 0, brightness = 0, speed = 0, direction = 0, multiColor = 0;
  Rgb color;
  // Stream: one entry per frame LED; ColorBank: one per device key (the bank
  // colour of its LED); Reports: the headset's groups one after the other.
  std::vector<Rgb> leds;
};

// What a device keeps while it has no power (its flash): the settings
// memory, the key table, the colour banks and the macro memory, each as last
// committed.
struct FirmwareState {
  std::vector<uint8_t> settings, keyTable, colorBanks, macro;
  bool operator==(const FirmwareState&) const = default;
};

// A macro image as the firmware understands it (see checkMacroImage).
struct MacroSummary {
  unsigned macros = 0;
  unsigned events = 0;
  size_t length = 0;
};
// Checks a macro image: magic 0x55AA, length, macro count, the offset table
// and each record's events; false with a reason when it is malformed.
bool checkMacroImage(const uint8_t* image, size_t available, MacroSummary& out, std::string* why);

// Streamed frames are shown this long after the last chunk; then the device
// goes back to its own effect.
constexpr uint64_t kStreamHoldMs = 1000;

class Firmware {
 public:
  explicit Firmware(FirmwareConfig config);

  // Handles one report written to the command collection (byte 0 = report id).
  Reply handle(const uint8_t* report, size_t length);

  // Device-side changes (buttons on the device). False when out of range.
  bool setActiveSlot(unsigned slot);
  bool setEffect(uint8_t effect);
  void setOnline(bool online);
  bool online() const;
  void setStatusByte(size_t index, uint8_t value);
  // The link went down (unplug): an open frame is abandoned, streaming ends.
  void resetLink();

  void addFault(const Fault& fault);
  void clearFaults();

  // A violation found outside the command collection (another report type).
  void noteViolation(const std::string& why);
  uint64_t violations() const;
  std::vector<std::string> violationLog() const;  // most recent last, at most 64
  Stats stats() const;

  // The kept memory, and the same put back (a device that is powered up
  // again). restoreState refuses, leaving memory as it was, a state whose
  // areas do not have this firmware's sizes.
  FirmwareState keptState() const;
  bool restoreState(const FirmwareState& state);
  // Changes whenever the kept memory changes.
  uint64_t keptGeneration() const;

  // Copies of memory, for inspection and for the emulator's own behaviour.
  std::vector<uint8_t> memory(Area area) const;
  // The key table the device acts on (last committed).
  std::vector<uint8_t> committedKeyTable() const;
  MacroSummary committedMacros() const;
  LedView ledView() const;
  const std::string& kind() const { return config_.kind; }
  size_t keyCount() const { return config_.keyTable.size() / 3; }
  unsigned slotCount() const { return config_.slotCount; }
  // The firmware version as the USB device descriptor's bcdDevice reports it
  // (information bytes 1 and 0: BCD major, BCD minor).
  uint16_t bcdVersion() const {
    return static_cast<uint16_t>(config_.info[info::kFirmwareHi] << 8 | config_.info[info::kFirmwareLo]);
  }

 private:
  struct Request {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    const uint8_t* data;
  };
  std::string validate(const uint8_t* report, size_t length) const;
  bool knows(uint8_t command) const;
  Area areaOf(uint8_t command) const;
  std::vector<uint8_t>* areaBuffer(Area area);
  const std::vector<uint8_t>* areaBuffer(Area area) const;
  bool takeFault(uint8_t command, Fault& out);
  wire::Packet execute(const Request& rq, bool& violation);
  void write(Area area, const Request& rq);
  bool commitFrame(std::string* why);
  void commit();
  void logViolation(const std::string& why);
  uint64_t now() const;
  size_t activeBlock() const;

  FirmwareConfig config_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> infoMem_, settings_, keyTable_, lightIndex_, banks_, macro_, status_, frame_;
  std::vector<uint8_t> committedSettings_, committedKeys_, committedBanks_;
  MacroSummary committedMacros_;
  bool framed_ = false;
  uint64_t keptGeneration_ = 0;
  bool macroDirty_ = false;  // macro memory written in the open frame
  size_t macroWritten_ = 0;  // highest macro byte written in the open frame
  bool online_ = true;
  bool streaming_ = false;
  uint64_t lastStreamMs_ = 0;
  std::vector<Fault> faults_;
  Stats stats_;
  std::vector<std::string> log_;
};

// Answer packet with the echo, length, offset and status filled and sealed.
wire::Packet makeAnswer(uint8_t command, uint8_t length, uint16_t offset, uint8_t status);

}  // namespace kavro::sim
