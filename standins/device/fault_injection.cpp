#include "fault_injection.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace vodev {

FaultInjector& FaultInjector::Instance() {
  static FaultInjector injector;
  return injector;
}

void FaultInjector::Set(const VoDevFault* fault) {
  std::lock_guard lock(mutex_);
  fault_ = fault != nullptr ? *fault : VoDevFault{};
  const auto* bytes = static_cast<const std::uint8_t*>(fault_.data);
  data_.assign(bytes, bytes != nullptr ? bytes + fault_.size : bytes);
  fault_.data = nullptr;
  seen_ = hits_ = 0;
}

std::uint64_t FaultInjector::Hits() {
  std::lock_guard lock(mutex_);
  return hits_;
}

bool FaultInjector::Take(std::uint32_t function, VoDevFault* hit, std::vector<std::uint8_t>* data) {
  std::lock_guard lock(mutex_);
  if (fault_.kind == VODEV_FAULT_NONE) return false;
  if (fault_.function != 0 && fault_.function != function) return false;
  ++seen_;
  if (fault_.nth != 0 && seen_ != fault_.nth) return false;
  ++hits_;
  *hit = fault_;
  if (fault_.kind == VODEV_FAULT_CONTEXT) *data = data_;
  return true;
}

std::int32_t FaultInjector::Apply(std::uint32_t function, void* output, std::uint64_t outputSize,
                                  const std::function<std::int32_t()>& serve) {
  VoDevFault fault;
  std::vector<std::uint8_t> data;
  if (!Take(function, &fault, &data)) return serve();
  auto* out = static_cast<std::uint8_t*>(output);
  if (out == nullptr) outputSize = 0;
  switch (fault.kind) {
    case VODEV_FAULT_STATUS:
      return fault.status;
    case VODEV_FAULT_WARNING: {
      const std::int32_t status = serve();
      return status == VODEV_SUCCESS ? fault.status : status;
    }
    case VODEV_FAULT_SHORT: {
      const std::int32_t status = serve();
      if (fault.size < outputSize) std::memset(out + fault.size, 0xA5, outputSize - fault.size);
      return status;
    }
    case VODEV_FAULT_OVERSIZED: {
      const std::int32_t status = serve();
      if (outputSize != 0) std::memset(out, 0xFF, outputSize);
      return status;
    }
    case VODEV_FAULT_CONTEXT: {
      if (function != 800) return serve();
      const std::uint64_t n = data.size() < outputSize ? data.size() : outputSize;
      if (n != 0) std::memcpy(out, data.data(), n);
      if (n < outputSize) std::memset(out + n, 0, outputSize - n);
      return VODEV_SUCCESS;
    }
    case VODEV_FAULT_TIMEOUT:
      std::this_thread::sleep_for(std::chrono::milliseconds(fault.delayMs));
      return fault.status != 0 ? fault.status : VODEV_E_WAIT_TIMED_OUT;
    default:
      return serve();
  }
}

}  // namespace vodev

extern "C" {

void VoDev_SetFault(const VoDevFault* fault) { vodev::FaultInjector::Instance().Set(fault); }

uint64_t VoDev_FaultHits(void) { return vodev::FaultInjector::Instance().Hits(); }

}  // extern "C"
