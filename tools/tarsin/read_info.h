// The information record the driver writes for each row of a read
// (VoTarsinReadInfo), decoded at the offsets the device documents.
#pragma once

#include <cstdint>
#include <cstring>

#include "votarsinapi.h"

namespace tarsin {

struct ReadInfo {
  uint64_t delivered, position, triggerIndex;
  double t0, dt, gain, offset;
  uint32_t channel, dataType, state, flags;
  uint64_t ready;

  static constexpr uint32_t kTriggered = 1, kIncomplete = 2, kFinite = 4;
  static constexpr uint64_t kNotTriggered = ~uint64_t(0);

  static ReadInfo Decode(const VoTarsinReadInfo& record) {
    ReadInfo info;
    const uint8_t* b = record.bytes;
    std::memcpy(&info.delivered, b + 0, 8);
    std::memcpy(&info.position, b + 8, 8);
    std::memcpy(&info.triggerIndex, b + 16, 8);
    std::memcpy(&info.t0, b + 24, 8);
    std::memcpy(&info.dt, b + 32, 8);
    std::memcpy(&info.gain, b + 40, 8);
    std::memcpy(&info.offset, b + 48, 8);
    std::memcpy(&info.channel, b + 56, 4);
    std::memcpy(&info.dataType, b + 60, 4);
    std::memcpy(&info.state, b + 64, 4);
    std::memcpy(&info.flags, b + 68, 4);
    std::memcpy(&info.ready, b + 72, 8);
    return info;
  }
};
static_assert(VOTARSIN_READ_INFO_SIZE == 80, "information record of 80 bytes");

}  // namespace tarsin
