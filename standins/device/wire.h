// Little-endian access to request and response records. Records are packed,
// so every field is read and written with memcpy at its byte offset; every
// access is checked against the record's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>

namespace vodev {

using Bytes = std::span<const std::uint8_t>;

// The field of type T at offset, or nothing when it does not lie inside the
// record. The build targets are little-endian, as the wire format is.
template <typename T>
std::optional<T> Load(Bytes record, std::size_t offset) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (offset > record.size() || record.size() - offset < sizeof(T)) return std::nullopt;
  T value;
  std::memcpy(&value, record.data() + offset, sizeof(T));
  return value;
}

template <typename T>
void Store(std::uint8_t* record, std::size_t offset, T value) {
  static_assert(std::is_trivially_copyable_v<T>);
  std::memcpy(record + offset, &value, sizeof(T));
}

// A NUL-terminated text field of fieldSize bytes at offset. Nothing when the
// field does not fit the record or, with requireTerminator, when it holds no
// NUL; otherwise the text up to the first NUL (or the whole field).
inline std::optional<std::string> LoadText(Bytes record, std::size_t offset, std::size_t fieldSize,
                                           bool requireTerminator) {
  if (offset > record.size() || record.size() - offset < fieldSize) return std::nullopt;
  const auto* begin = reinterpret_cast<const char*>(record.data() + offset);
  const void* nul = std::memchr(begin, 0, fieldSize);
  if (nul == nullptr && requireTerminator) return std::nullopt;
  std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : fieldSize;
  return std::string(begin, length);
}

}  // namespace vodev
