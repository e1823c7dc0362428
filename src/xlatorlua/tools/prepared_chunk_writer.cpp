#include "xlatorlua/tools/prepared_chunk_writer.h"

#include <cstring>
#include <unordered_map>
#include <vector>

#include "xlatorlua/prepared_chunk.h"

namespace voxlatorlua {

namespace {

constexpr size_t kHeaderSize = 12;
constexpr int kMaxDepth = 200;  // the interpreter's own limit on nested functions

enum ConstantType : unsigned char { kNil = 0, kBoolean = 1, kNumber = 3, kString = 4 };

struct Malformed {
  std::string why;
};

class Converter {
 public:
  explicit Converter(std::string_view chunk) : chunk_(chunk) {}

  // The prepared chunk: signature, header, pool, main function.
  std::string run(const StringHashFn& hash) {
    const std::string_view header = take(kHeaderSize);
    checkHeader(header);
    function(0);
    if (at_ != chunk_.size()) throw Malformed{"trailing bytes"};

    std::string out(VOXLATORLUA_PREPARED_SIGNATURE, VOXLATORLUA_PREPARED_SIGNATURE_SIZE);
    out += header;
    putU32(out, static_cast<uint32_t>(pool_.size()));
    for (const std::string& text : pool_) {
      uint32_t h = 0;
      if (!hash(text, h)) throw Malformed{"cannot hash a string"};
      putU32(out, h);
      putU32(out, static_cast<uint32_t>(text.size()));
      out += text;
    }
    out += body_;
    return out;
  }

 private:
  static void putU32(std::string& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
  }

  std::string_view take(size_t bytes) {
    if (chunk_.size() - at_ < bytes) throw Malformed{"unexpected end"};
    const std::string_view part = chunk_.substr(at_, bytes);
    at_ += bytes;
    return part;
  }

  uint64_t unsignedOf(size_t bytes) {
    const std::string_view part = take(bytes);
    uint64_t value = 0;
    for (size_t i = 0; i < bytes; ++i)
      value |= uint64_t{static_cast<unsigned char>(part[i])} << (8 * i);
    return value;
  }

  uint32_t count() {
    const uint64_t value = unsignedOf(4);
    if (value > 0x7fffffff) throw Malformed{"bad integer"};
    return static_cast<uint32_t>(value);
  }

  void checkHeader(std::string_view header) {
    static constexpr char kSignature[] = "\033Lua";
    if (header.substr(0, 4) != std::string_view(kSignature, 4)) throw Malformed{"not a luac chunk"};
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(header[i]); };
    if (byte(4) != 0x51 || byte(5) != 0) throw Malformed{"not a Lua 5.1 chunk"};
    if (byte(6) != 1 || byte(7) != 4 || byte(9) != 4 || byte(10) != 8 || byte(11) != 0 ||
        (byte(8) != 4 && byte(8) != 8)) {
      throw Malformed{"sizes or byte order that prepared chunks do not hold"};
    }
    sizeTBytes_ = byte(8);
  }

  // Copies `bytes` bytes of the chunk to the body.
  void copy(size_t bytes) { body_ += take(bytes); }

  // A count, copied, and checked against what is left of the chunk.
  uint32_t copyCount(size_t elementBytes) {
    const uint32_t n = count();
    if ((chunk_.size() - at_) / elementBytes < n) throw Malformed{"unexpected end"};
    putU32(body_, n);
    return n;
  }

  // A string of the chunk (size_t length with its NUL, then the bytes)
  // becomes a reference to the pool.
  void string() {
    const uint64_t size = unsignedOf(sizeTBytes_);
    if (size == 0) {
      putU32(body_, 0);
      return;
    }
    if (size - 1 > 0xffffffffu) throw Malformed{"string too long"};
    const std::string_view text = take(size).substr(0, size - 1);
    auto [entry, added] = references_.try_emplace(std::string(text), 0);
    if (added) {
      pool_.emplace_back(text);
      entry->second = static_cast<uint32_t>(pool_.size());
    }
    putU32(body_, entry->second);
  }

  void function(int depth) {
    if (depth > kMaxDepth) throw Malformed{"code too deep"};
    string();         // source
    copy(4 + 4 + 4);  // first and last line; upvalues, parameters, vararg, stack size
    copy(size_t{copyCount(4)} * 4);  // code
    for (uint32_t n = copyCount(1); n > 0; --n) {
      const auto type = static_cast<unsigned char>(take(1)[0]);
      body_.push_back(static_cast<char>(type));
      switch (type) {
        case kNil:
          break;
        case kBoolean:
          copy(1);
          break;
        case kNumber:
          copy(8);
          break;
        case kString:
          string();
          break;
        default:
          throw Malformed{"bad constant"};
      }
    }
    for (uint32_t n = copyCount(1); n > 0; --n) function(depth + 1);
    copy(size_t{copyCount(4)} * 4);  // line numbers
    for (uint32_t n = copyCount(1); n > 0; --n) {
      string();
      copy(4 + 4);  // scope of the local
    }
    for (uint32_t n = copyCount(1); n > 0; --n) string();
  }

  std::string_view chunk_;
  size_t at_ = 0;
  size_t sizeTBytes_ = 8;
  std::string body_;
  std::vector<std::string> pool_;
  std::unordered_map<std::string, uint32_t> references_;
};

}  // namespace

bool prepareChunk(std::string_view chunk, const StringHashFn& hash, std::string& out,
                  std::string& error) {
  try {
    out = Converter(chunk).run(hash);
    return true;
  } catch (const Malformed& malformed) {
    error = malformed.why;
    return false;
  }
}

}  // namespace voxlatorlua
