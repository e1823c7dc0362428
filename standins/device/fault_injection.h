// Fault injection at the client function call (vodevice_hook.h): decides
// which requests a fault hits and spoils their answers.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "vodevice_hook.h"

namespace vodev {

class FaultInjector {
 public:
  static FaultInjector& Instance();

  void Set(const VoDevFault* fault);
  std::uint64_t Hits();

  // Serves one request: through `serve` when no fault hits it, otherwise as
  // the fault says (serve may still run for faults that spoil an answer).
  std::int32_t Apply(std::uint32_t function, void* output, std::uint64_t outputSize,
                     const std::function<std::int32_t()>& serve);

 private:
  // Whether the fault hits this request; copies it into *hit when it does.
  bool Take(std::uint32_t function, VoDevFault* hit, std::vector<std::uint8_t>* data);

  std::mutex mutex_;
  VoDevFault fault_{};
  std::vector<std::uint8_t> data_;
  std::uint64_t seen_ = 0;  // matching requests since Set
  std::uint64_t hits_ = 0;
};

}  // namespace vodev
