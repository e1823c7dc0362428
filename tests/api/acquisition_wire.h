// Expected request bytes of the acquisition tests, assembled field by field
// at their wire offsets, independent of the library's record structures; and
// a request hook for answers the recorder cannot give (a response written
// together with a non-zero status).
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/request_recorder.h"
#include "vodevice_hook.h"

namespace acqtest {

using Bytes = std::vector<uint8_t>;

inline constexpr uint32_t kStreamFamily = 0x101;
inline constexpr uint32_t kAttributeFamily = 0x102;
inline constexpr uint32_t kSyncFamily = 0x104;
inline constexpr uint32_t kRouteFamily = 0x105;
inline constexpr uint32_t kWireBool = 0, kWireF64 = 1, kWireI32 = 2, kWireU64 = 5, kWireString = 6;
inline constexpr size_t kAttributeRecord = 284;
inline constexpr size_t kValueBlock = 281;

template <typename T>
void put(Bytes& bytes, size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

inline Bytes familyRecord(size_t size, uint32_t family, uint32_t command) {
  Bytes bytes(size, 0);
  put(bytes, 0, family);
  put(bytes, 16, command);
  return bytes;
}

// Attribute get (721), set (722, with its value block) and reset (723).
inline Bytes attributeRecord(uint32_t command, uint32_t id, uint32_t type, std::string_view name) {
  Bytes bytes = familyRecord(command == 722 ? kAttributeRecord + kValueBlock : kAttributeRecord,
                             kAttributeFamily, command);
  put(bytes, 20, id);
  put(bytes, 24, type);
  std::memcpy(bytes.data() + 28, name.data(), std::min<size_t>(name.size(), 255));
  return bytes;
}
inline Bytes getRecord(uint32_t id, uint32_t type, std::string_view name) {
  return attributeRecord(721, id, type, name);
}
inline Bytes resetRecord(uint32_t id, std::string_view name) {
  return attributeRecord(723, id, 0, name);
}
inline Bytes setI32(uint32_t id, std::string_view name, int32_t value) {
  Bytes bytes = attributeRecord(722, id, kWireI32, name);
  put<int64_t>(bytes, kAttributeRecord + 8, value);
  return bytes;
}
inline Bytes setU64(uint32_t id, std::string_view name, uint64_t value) {
  Bytes bytes = attributeRecord(722, id, kWireU64, name);
  put<uint64_t>(bytes, kAttributeRecord + 16, value);
  return bytes;
}
inline Bytes setF64(uint32_t id, std::string_view name, double value) {
  Bytes bytes = attributeRecord(722, id, kWireF64, name);
  put<double>(bytes, kAttributeRecord + 0, value);
  return bytes;
}
inline Bytes setBool(uint32_t id, std::string_view name, uint8_t value) {
  Bytes bytes = attributeRecord(722, id, kWireBool, name);
  bytes[kAttributeRecord + 280] = value;
  return bytes;
}
inline Bytes setString(uint32_t id, std::string_view name, std::string_view value) {
  Bytes bytes = attributeRecord(722, id, kWireString, name);
  std::memcpy(bytes.data() + kAttributeRecord + 24, value.data(),
              std::min<size_t>(value.size(), 256));
  return bytes;
}

// Stream start (278) and clear (272).
inline Bytes streamRecord(uint32_t command, uint32_t stream) {
  Bytes bytes = familyRecord(24, kStreamFamily, command);
  put(bytes, 20, stream);
  return bytes;
}
inline Bytes waitRecord(uint32_t stream, uint64_t count, uint32_t timeout) {
  Bytes bytes = familyRecord(36, kStreamFamily, 276);
  put(bytes, 20, stream);
  put(bytes, 24, count);
  put(bytes, 32, timeout);
  return bytes;
}
inline Bytes readRecord(uint32_t stream, uint64_t bytesPerChannel, uint64_t rows, const void* data,
                        const void* info, uint32_t timeout, uint32_t dataType) {
  Bytes bytes = familyRecord(64, kStreamFamily, 277);
  put<uint32_t>(bytes, 8, 1);
  put<uint32_t>(bytes, 12, 1);
  put(bytes, 20, stream);
  put(bytes, 24, bytesPerChannel);
  put(bytes, 32, rows);
  put<uint64_t>(bytes, 40, reinterpret_cast<uintptr_t>(data));
  put<uint64_t>(bytes, 48, reinterpret_cast<uintptr_t>(info));
  put(bytes, 56, timeout);
  put(bytes, 60, dataType);
  return bytes;
}

inline Bytes waitResponse(uint64_t count, uint8_t state) {
  Bytes bytes(9, 0);
  put(bytes, 0, count);
  bytes[8] = state;
  return bytes;
}
inline Bytes readResponse(uint32_t completion) {
  Bytes bytes(28, 0xA5);  // the driver's own bytes, which the library must ignore
  put(bytes, 24, completion);
  return bytes;
}

// Answers every request through `answer`, which may write the response
// whatever status it returns. Requests are still counted per function.
class RawHook {
 public:
  using Answer = std::function<int32_t(const votest::RecordedRequest&, void* output)>;
  explicit RawHook(Answer answer) : answer_(std::move(answer)) {
    VoDev_SetRequestHook(&RawHook::hook, this);
  }
  ~RawHook() { VoDev_SetRequestHook(nullptr, nullptr); }
  RawHook(const RawHook&) = delete;
  RawHook& operator=(const RawHook&) = delete;

  const std::vector<votest::RecordedRequest>& requests() const { return requests_; }

  // Copies `bytes` into a response buffer, bounded by its size.
  static void write(const votest::RecordedRequest& request, void* output, const Bytes& bytes) {
    if (output)
      std::memcpy(output, bytes.data(), std::min<size_t>(bytes.size(), request.outputSize));
  }

 private:
  static int hook(void* context, const VoDevRequest* request, int32_t* status) {
    auto* self = static_cast<RawHook*>(context);
    votest::RecordedRequest recorded{
        request->route,      request->session,          request->group, request->function, {},
        request->outputSize, request->output != nullptr};
    const auto* bytes = static_cast<const uint8_t*>(request->input);
    if (bytes) recorded.input.assign(bytes, bytes + request->inputSize);
    self->requests_.push_back(recorded);
    *status = self->answer_(recorded, request->output);
    return 1;
  }

  Answer answer_;
  std::vector<votest::RecordedRequest> requests_;
};

// A test whose requests are all answered by the recorder, in order.
class RecordedRequests : public ::testing::Test {
 protected:
  votest::RequestRecorder recorder;
  void answer(int32_t status, Bytes response = {}) {
    recorder.answer({nullptr, status, std::move(response)});
  }
  void answerAll(size_t n) {
    for (size_t i = 0; i < n; ++i) answer(0);
  }
  std::vector<Bytes> inputs() const {
    std::vector<Bytes> all;
    for (const votest::RecordedRequest& r : recorder.requests()) all.push_back(r.input);
    return all;
  }
};

}  // namespace acqtest
