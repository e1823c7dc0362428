// Maintenance state of the device model: the commit and I/O readiness, the
// register file of the base address region, the instruction FIFOs, the
// synchronisation commands, and the store that outlives every reset
// (calibration area, I/O module record, flash and autoload), which belongs to
// the resource name for the life of the process, as non-volatile memory does.
//
// Handlers and the state they keep are in maintenance.cpp; the wire formats
// are described there and in README.md.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vodev {

struct Device;
struct Register;
struct Request;

// One scripted answer of an image register read (VoDev_ScriptRegisterReads).
struct ScriptedRead {
  std::int32_t status;
  std::uint8_t value;
};

// Synchronisation commands 2 to 14 as the device keeps them.
struct SynqState {
  static constexpr std::uint32_t kCommands = 15;
  std::array<std::uint64_t, kCommands> counts{};
  // The arguments of the last command of each number, as raw 64-bit words
  // (u32 arguments zero-extended, f64 arguments by their bits).
  std::array<std::array<std::uint64_t, 2>, kCommands> lastArguments{};
  bool running = false;  // between commands 10 and 11; command 12 reports it
  bool armed = false;    // between commands 13 and 14
};

// Per device; back to its power-on state with the device's attributes.
struct MaintenanceState {
  std::uint64_t commits = 0;
  std::chrono::steady_clock::time_point committedAt{};
  std::map<std::uint32_t, std::uint32_t> bar;               // offset -> value; absent reads 0
  std::map<std::uint32_t, std::deque<std::uint64_t>> fifo;  // target -> queued words
  SynqState synq;
};

// What a device keeps for the life of the process, by resource name: its
// flash, EEPROM and calibration memory. Touched only under the model lock.
struct NonVolatile {
  std::vector<std::uint8_t> calibration;  // sized by Calibration Storage Size, erased to 0xFF
  // I/O module record: field3 0x00C0FFEE, field4 0x00010002, field1 0x7A51,
  // field2 0x0001, field6 0, field5 1 (offsets as the record has them).
  std::array<std::uint8_t, 16> ioModule{0xEE, 0xFF, 0xC0, 0x00, 0x02, 0x00, 0x01, 0x00,
                                        0x51, 0x7A, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00};
  std::uint32_t autoload = 0;
  std::uint64_t promotions = 0;
  std::uint32_t promoteOption = 0;
  std::string flashImage;
  std::uint64_t verificationUpdates = 0;
};
std::map<std::string, NonVolatile>& NonVolatileStore();

// How long after a commit IO Ready turns true, and the step after which the
// image's module registers follow (process-wide; 20 ms and 10 ms at start).
void SetCommitDelays(std::uint32_t ioReadyMs, std::uint32_t moduleMs);

// IO Ready: true once the device's I/O delay has passed since its last commit.
bool IoReady(const Device& device);

// One VoFpgaDll_ReadBool of an image register: the next scripted answer
// when there is one, else the register's value. A register that follows the
// commit (Register::commitSteps above 0) reads true that many module delays
// after IO Ready turned true; before the device's first commit it keeps the
// value the image was loaded with. Successful reads are counted.
std::int32_t ReadImageRegister(const Device& device, Register& entry, std::uint8_t* value);

// Handlers (maintenance.cpp).
std::int32_t HandleFifoFamily(Request& request, std::uint32_t command);
std::int32_t HandleMaintenanceFamily(Request& request, std::uint32_t command);
// The synchronisation family: commands 0 and 1 go to HandleSyncFamily, 2 to
// 14 are served here.
std::int32_t HandleSynqFamily(Request& request, std::uint32_t command);
std::int32_t HandleBarRead(Request& request);              // function 0
std::int32_t HandleBarWrite(Request& request);             // function 1
std::int32_t HandleRawFifoRead(Request& request);          // function 2
std::int32_t HandleRawFifoWrite(Request& request);         // function 3
std::int32_t HandleCalibrationWrite(Request& request);     // function 6
std::int32_t HandleCalibrationRead(Request& request);      // function 7
std::int32_t HandleTemperatureLimitSet(Request& request);  // function 14
std::int32_t HandlePowerLimitSet(Request& request);        // function 15
std::int32_t HandleTemperatureLimitGet(Request& request);  // function 16
std::int32_t HandlePowerLimitGet(Request& request);        // function 17
std::int32_t HandleMetadataSize(Request& request);         // function 18
std::int32_t HandleMetadata(Request& request);             // function 19
std::int32_t HandleVerificationUpdate(Request& request);   // function 20
std::int32_t HandleUserAutoload(Request& request);         // function 21
std::int32_t HandleIoModuleWrite(Request& request);        // function 22
std::int32_t HandleIoModuleRead(Request& request);         // function 23
std::int32_t HandlePromoteToFlash(Request& request);       // function 777

}  // namespace vodev
