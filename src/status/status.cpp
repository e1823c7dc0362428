#include "status/status.h"

#include <bit>
#include <cstdlib>
#include <cstring>

#include "status/context_writer.h"

namespace voerr {

namespace {

constexpr uint32_t kMinimumBuffer = 512;
constexpr uint32_t kLargestRequest = 0x7fffffffu;
// Text plus its NUL plus the end marker must fit in the largest buffer.
constexpr size_t kLongestText = 0x7ffffffdu;
constexpr uint32_t kSmallestUsable = 4;  // "{}", NUL, 'J'

}  // namespace

bool defaultReallocate(Status* status, uint32_t newCapacity) noexcept {
  if (status == nullptr) return false;
  if (newCapacity == 0) {
    std::free(status->buffer());
    status->adoptBuffer(nullptr, 0);
    return true;
  }
  if (newCapacity <= status->capacity()) return true;
  if (newCapacity > kLargestRequest) return false;

  const uint32_t size = newCapacity <= kMinimumBuffer ? kMinimumBuffer : std::bit_ceil(newCapacity);
  // Zero-filled, so the free room is in place before the text is copied.
  char* fresh = static_cast<char*>(std::calloc(size, 1));
  if (fresh == nullptr) return false;

  char* old = status->buffer();
  if (old != nullptr) {
    // The old buffer is smaller, so its text and NUL fit below the marker.
    const size_t length = strnlen(old, status->capacity() > 0 ? status->capacity() - 1 : 0);
    std::memcpy(fresh, old, length);
  } else {
    std::memcpy(fresh, "{}", 2);
  }
  fresh[size - 1] = 'J';
  std::free(old);
  status->adoptBuffer(fresh, size);
  return true;
}

Status::Status(ReallocateFn reallocate) noexcept
    : reallocate_(reallocate != nullptr ? reallocate : &defaultReallocate) {}

Status::~Status() {
  if (context_ != nullptr) reallocate_(this, 0);
}

Status::Status(Status&& other) noexcept
    : code_(other.code_),
      capacity_(other.capacity_),
      reallocate_(other.reallocate_),
      context_(other.context_) {
  other.code_ = 0;
  other.capacity_ = 0;
  other.reallocate_ = &defaultReallocate;
  other.context_ = nullptr;
}

Status& Status::operator=(Status&& other) noexcept {
  if (this != &other) {
    if (context_ != nullptr) reallocate_(this, 0);
    code_ = other.code_;
    capacity_ = other.capacity_;
    reallocate_ = other.reallocate_;
    context_ = other.context_;
    other.code_ = 0;
    other.capacity_ = 0;
    other.reallocate_ = &defaultReallocate;
    other.context_ = nullptr;
  }
  return *this;
}

void Status::clear() noexcept {
  code_ = 0;
  if (context_ != nullptr) reallocate_(this, 0);
}

bool Status::reallocate(uint32_t newCapacity) noexcept { return reallocate_(this, newCapacity); }

void Status::overwriteText(std::string_view text) noexcept {
  // Zero what the old text occupied beyond the new one, so that the free room
  // stays one unbroken run of zeros up to the marker.
  const size_t limit = capacity_ - 1;
  const size_t oldLength = strnlen(context_, limit);
  if (!text.empty()) std::memcpy(context_, text.data(), text.size());
  const size_t clearTo = oldLength > text.size() ? oldLength : text.size();
  std::memset(context_ + text.size(), 0, (clearTo < limit ? clearTo + 1 : limit) - text.size());
  context_[limit] = 'J';
}

bool Status::resetContext() noexcept {
  if (context_ == nullptr) return true;
  if (capacity_ < kSmallestUsable &&
      (!reallocate(kSmallestUsable) || capacity_ < kSmallestUsable)) {
    return false;
  }
  overwriteText("{}");
  return true;
}

bool Status::ensureContext() noexcept {
  if (context_ != nullptr && capacity_ >= kSmallestUsable) return true;
  const bool wasMissing = context_ == nullptr;
  if (!reallocate(kSmallestUsable) || context_ == nullptr || capacity_ < kSmallestUsable) {
    return false;
  }
  if (wasMissing) overwriteText("{}");
  return true;
}

bool Status::setContextText(std::string_view text) noexcept {
  // The buffer holds C text: whatever follows an embedded NUL would end up in
  // the free room and break the layout, so the text ends there.
  if (const size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  if (text.size() > kLongestText) return false;
  const uint32_t needed = static_cast<uint32_t>(text.size() + 2);
  if (context_ == nullptr || capacity_ < needed) {
    if (!reallocate(needed) || context_ == nullptr || capacity_ < needed) return false;
  }
  overwriteText(text);
  return true;
}

Pos Status::raise(int32_t code, const char* constantName, const char* file, int line,
                  const char* component) noexcept {
  if (code_ < 0) return Pos();
  code_ = code;
  if (context_ != nullptr && !resetContext()) return Pos();
  if (!ensureContext()) return Pos();

  ContextWriter writer(*this);
  Pos at = Pos::at(1);  // the closing brace of "{}"
  if (constantName != nullptr) at = writer.addString(at, "error_constant", constantName);
  if (file != nullptr) at = writer.addString(at, "file", file);
  at = writer.addInt(at, "line", line);
  if (component != nullptr) at = writer.addString(at, "component", component);
  return at;
}

bool merge(Status& into, const Status& from) noexcept {
  if (&into == &from || !supersedes(into.code(), from.code())) return false;
  into.setCode(from.code());
  into.resetContext();
  if (from.hasContext()) into.setContextText(from.contextText());
  return true;
}

bool merge(Status& into, Status&& from) noexcept {
  if (&into == &from || !supersedes(into.code(), from.code())) return false;
  if (into.reallocator() == from.reallocator()) {
    into.setCode(from.code());
    if (into.hasContext()) into.reallocate(0);
    into.adoptBuffer(from.buffer(), from.capacity());
    from.adoptBuffer(nullptr, 0);
  } else {
    merge(into, static_cast<const Status&>(from));
  }
  from.clear();
  return true;
}

}  // namespace voerr
