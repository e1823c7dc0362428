// Support of the maintenance and session-reference tests: expected request
// bytes assembled field by field at their wire offsets (independent of the
// library's record structures), and a scripted device that sits in the
// model's request hook. Unlike the plain recorder, the scripted device writes
// a response together with any status, so that outputs copied "after every
// call" can be told apart from outputs copied on success only.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/request_recorder.h"
#include "vodevice_hook.h"

namespace mnttest {

using Bytes = std::vector<uint8_t>;
using votest::RecordedRequest;

inline constexpr uint32_t kAttributeFamily = 0x102;
inline constexpr uint32_t kSyncFamily = 0x104;
inline constexpr uint32_t kFifoFamily = 0x106;
inline constexpr uint32_t kMaintenanceFamily = 0xDE7EC7ED;
inline constexpr uint32_t kWireBool = 0, kWireF64 = 1, kWireI32 = 2, kWireU32 = 4, kWireU64 = 5,
                          kWireString = 6;
inline constexpr size_t kAttributeRecord = 284;
inline constexpr size_t kValueBlock = 281;

template <typename T>
void put(Bytes& bytes, size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

template <typename T>
Bytes bytesOf(T value) {
  Bytes bytes(sizeof value);
  put(bytes, 0, value);
  return bytes;
}

inline Bytes familyRecord(size_t size, uint32_t family, uint32_t command) {
  Bytes bytes(size, 0);
  put(bytes, 0, family);
  put(bytes, 16, command);
  return bytes;
}

// Attribute get (721), query (724) or set (722, with a zero value block).
inline Bytes attributeRecord(uint32_t command, uint32_t id, uint32_t type, std::string_view name) {
  Bytes bytes = familyRecord(command == 722 ? kAttributeRecord + kValueBlock : kAttributeRecord,
                             kAttributeFamily, command);
  put(bytes, 20, id);
  put(bytes, 24, type);
  std::memcpy(bytes.data() + 28, name.data(), std::min<size_t>(name.size(), 255));
  return bytes;
}

// A set record with `value` at offset `at` of its value block.
template <typename T>
Bytes setRecord(uint32_t id, uint32_t type, std::string_view name, size_t at, T value) {
  Bytes bytes = attributeRecord(722, id, type, name);
  put(bytes, kAttributeRecord + at, value);
  return bytes;
}

// A value block (the response of a get) with `value` at offset `at`.
template <typename T>
Bytes valueBlock(size_t at, T value) {
  Bytes bytes(kValueBlock, 0);
  put(bytes, at, value);
  return bytes;
}

inline Bytes text(const std::string& s) { return Bytes(s.c_str(), s.c_str() + s.size() + 1); }

// Sits in the model's request hook for its lifetime. Each request is
// recorded, then answered by the next queued answer, else by the responder,
// else by the model itself.
class ScriptedDevice {
 public:
  struct Answer {
    int32_t status = 0;
    Bytes response;  // written into the caller's buffer whatever the status
  };
  // Returns true (with the answer filled) to answer the request.
  using Responder = std::function<bool(const RecordedRequest&, Answer&)>;

  ScriptedDevice() { VoDev_SetRequestHook(&ScriptedDevice::hook, this); }
  ~ScriptedDevice() { VoDev_SetRequestHook(nullptr, nullptr); }
  ScriptedDevice(const ScriptedDevice&) = delete;
  ScriptedDevice& operator=(const ScriptedDevice&) = delete;

  void push(int32_t status, Bytes response = {}) {
    std::lock_guard lock(mutex_);
    queue_.push_back({status, std::move(response)});
  }
  void respond(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
  }
  std::vector<RecordedRequest> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  std::vector<Bytes> inputs() const {
    std::vector<Bytes> all;
    for (const RecordedRequest& r : requests()) all.push_back(r.input);
    return all;
  }
  size_t count() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
  }
  void clear() {
    std::lock_guard lock(mutex_);
    requests_.clear();
  }

 private:
  static int hook(void* context, const VoDevRequest* request, int32_t* status) {
    return static_cast<ScriptedDevice*>(context)->onRequest(*request, status);
  }

  int onRequest(const VoDevRequest& request, int32_t* status) {
    RecordedRequest recorded{
        request.route,      request.session,          request.group, request.function, {},
        request.outputSize, request.output != nullptr};
    if (const auto* bytes = static_cast<const uint8_t*>(request.input))
      recorded.input.assign(bytes, bytes + request.inputSize);
    Answer answer;
    bool answered = false;
    Responder responder;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(recorded);
      if (!queue_.empty()) {
        answer = std::move(queue_.front());
        queue_.pop_front();
        answered = true;
      } else {
        responder = responder_;
      }
    }
    if (!answered && responder) answered = responder(recorded, answer);
    if (!answered) return 0;
    *status = answer.status;
    if (request.output && !answer.response.empty()) {
      std::memcpy(request.output, answer.response.data(),
                  std::min<size_t>(answer.response.size(), request.outputSize));
    }
    return 1;
  }

  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::deque<Answer> queue_;
  Responder responder_;
};

}  // namespace mnttest
