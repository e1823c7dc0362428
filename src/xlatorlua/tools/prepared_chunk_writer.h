// Conversion of luac's chunks into prepared chunks (xlatorlua/prepared_chunk.h),
// at build time.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace voxlatorlua {

// The interpreter's hash of a string; false when it cannot be had.
using StringHashFn = std::function<bool(std::string_view text, uint32_t& hash)>;

// Converts the chunk that luac wrote, `chunk`, into a prepared chunk in
// `out`. Fails, with the reason in `error`, on a malformed chunk or on one
// whose sizes a prepared chunk cannot hold (int and Instruction of 4 bytes,
// little-endian, size_t of 4 or 8 bytes, 8-byte numbers).
bool prepareChunk(std::string_view chunk, const StringHashFn& hash, std::string& out,
                  std::string& error);

}  // namespace voxlatorlua
