// Memory of one interpreter state.
//
// A state made for one error report allocates some ten thousand small
// blocks while it loads its modules and frees every one of them when it is
// closed; through the C library's allocator this costs as much as the
// interpreter's own work. The arena carves blocks of up to kLargestSmallBlock
// bytes from 64 KiB chunks, keeps freed ones in one list per 16-byte size
// class, and returns the chunks when the state is gone. Larger blocks come
// from the C library.
//
// The interpreter passes every block's exact size back on realloc and free,
// so blocks carry no header. A block that shrinks from large to small while
// no chunk can be had stays where it is and is told apart from arena blocks
// by its address from then on.
//
// One arena serves one state, and so one thread at a time.
#pragma once
#include <cstddef>

namespace voxlatorlua {

class StateArena {
 public:
  static constexpr size_t kLargestSmallBlock = 512;

  // Null when its first chunk cannot be had.
  static StateArena* create() noexcept;
  // Returns every chunk; the state using the arena must be closed.
  static void destroy(StateArena* arena) noexcept;

  // The interpreter's allocation function (lua_Alloc) over `arena`.
  static void* allocate(void* arena, void* block, size_t oldSize, size_t newSize) noexcept;

  StateArena(const StateArena&) = delete;
  StateArena& operator=(const StateArena&) = delete;

 private:
  struct Chunk;
  struct FreeBlock {
    FreeBlock* next;
  };
  static constexpr size_t kGranule = 16;
  static constexpr size_t kClasses = kLargestSmallBlock / kGranule;

  StateArena() = default;
  ~StateArena() = default;

  static bool isSmall(size_t size) noexcept { return size <= kLargestSmallBlock; }
  static size_t classOf(size_t size) noexcept { return (size - 1) / kGranule; }

  void* take(size_t size) noexcept;
  void give(void* block, size_t size) noexcept;
  bool inChunk(const void* block) const noexcept;
  void* resize(void* block, size_t oldSize, size_t newSize) noexcept;

  FreeBlock* free_[kClasses] = {};
  Chunk* chunks_ = nullptr;  // newest first
  char* next_ = nullptr;     // unused space of the newest chunk
  char* end_ = nullptr;
  size_t strays_ = 0;  // large blocks now freed as small ones
};

}  // namespace voxlatorlua
