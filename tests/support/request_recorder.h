// Records every request that reaches the stand-in device model and, on
// demand, answers chosen requests with a scripted status and response.
#pragma once
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "vodevice_hook.h"

namespace votest {

struct RecordedRequest {
  VoDevRoute route;
  uint32_t session;
  uint32_t group;
  uint32_t function;
  std::vector<uint8_t> input;
  uint64_t outputSize;
  bool hadOutput;

  template <typename T>
  T field(size_t offset) const {
    T value{};
    if (offset + sizeof(T) <= input.size()) std::memcpy(&value, input.data() + offset, sizeof(T));
    return value;
  }
  std::string text(size_t offset, size_t width) const {
    std::string s;
    for (size_t i = offset; i < offset + width && i < input.size() && input[i]; ++i)
      s.push_back(static_cast<char>(input[i]));
    return s;
  }
};

// A scripted answer: applies to the first request `match` accepts and is then
// used up; a null match accepts any request.
struct ScriptedAnswer {
  std::function<bool(const RecordedRequest&)> match;
  int32_t status = 0;
  std::vector<uint8_t> response;
};

class RequestRecorder {
 public:
  RequestRecorder() { VoDev_SetRequestHook(&RequestRecorder::hook, this); }
  ~RequestRecorder() { VoDev_SetRequestHook(nullptr, nullptr); }
  RequestRecorder(const RequestRecorder&) = delete;
  RequestRecorder& operator=(const RequestRecorder&) = delete;

  void answer(ScriptedAnswer scripted) {
    std::lock_guard<std::mutex> lock(mutex_);
    script_.push_back(std::move(scripted));
  }
  // Answers the next request for `function` with `status`.
  void answerNext(uint32_t function, int32_t status, std::vector<uint8_t> response = {}) {
    answer({[function](const RecordedRequest& r) { return r.function == function; }, status,
            std::move(response)});
  }

  std::vector<RecordedRequest> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }
  size_t count() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_.size();
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
  }

 private:
  static int hook(void* context, const VoDevRequest* request, int32_t* status) {
    return static_cast<RequestRecorder*>(context)->onRequest(*request, status);
  }

  int onRequest(const VoDevRequest& request, int32_t* status) {
    RecordedRequest recorded{
        request.route,      request.session,          request.group, request.function, {},
        request.outputSize, request.output != nullptr};
    const auto* bytes = static_cast<const uint8_t*>(request.input);
    if (bytes) recorded.input.assign(bytes, bytes + request.inputSize);
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(recorded);
    for (auto it = script_.begin(); it != script_.end(); ++it) {
      if (it->match && !it->match(recorded)) continue;
      *status = it->status;
      if (it->status == 0 && request.output && !it->response.empty()) {
        const size_t n = std::min<size_t>(it->response.size(), request.outputSize);
        std::memcpy(request.output, it->response.data(), n);
      }
      script_.erase(it);
      return 1;
    }
    return 0;
  }

  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::deque<ScriptedAnswer> script_;
};

}  // namespace votest
