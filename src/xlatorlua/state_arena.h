// Memory of one interpreter state.
//
// A state made for one error report allocates some ten thousand small
// blocks while it loads its modules and frees every one of them when it is
// closed; through the C library's allocator this costs as much as the
// interpreter's own work. The arena carves blocks of up to kLargestSmallBlock
// bytes from 64 KiB chunks, keeps freed ones in one list per 16-byte size
// class, and returns the chunks when the state is gone. Larger blocks come
// from the C library, each behind a header that links it into the arena's
// list of them, so that destroy returns them too: a state whose finalisers
// have run need not free its objects one by one (state_close.h).
//
// The interpreter passes every block's exact size back on realloc and free,
// so small blocks carry no header. A block that shrinks from large to small
// while no chunk can be had stays where it is, in the list of large blocks,
// and is told apart from arena blocks by its address from then on.
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
  // Returns every chunk and every live large block; the state using the
  // arena must be closed, or be finished (state_close.h).
  static void destroy(StateArena* arena) noexcept;

  // The interpreter's allocation function (lua_Alloc) over `arena`.
  static void* allocate(void* arena, void* block, size_t oldSize, size_t newSize) noexcept;

  // The live blocks from the C library, which destroy returns: large ones,
  // and large ones that shrank in place. Walks them (for tests).
  size_t largeBlocks() const noexcept;

  StateArena(const StateArena&) = delete;
  StateArena& operator=(const StateArena&) = delete;

 private:
  struct Chunk;
  struct FreeBlock {
    FreeBlock* next;
  };
  struct LargeBlock {  // in front of each block from the C library
    LargeBlock* prev;
    LargeBlock* next;
  };
  static constexpr size_t kGranule = 16;
  static constexpr size_t kLargeHeader = 16;  // keeps the blocks 16-byte aligned
  static_assert(sizeof(LargeBlock) <= kLargeHeader);
  static constexpr size_t kClasses = kLargestSmallBlock / kGranule;

  StateArena() = default;
  ~StateArena() = default;

  static bool isSmall(size_t size) noexcept { return size <= kLargestSmallBlock; }
  static size_t classOf(size_t size) noexcept { return (size - 1) / kGranule; }

  void* take(size_t size) noexcept;
  bool addChunk() noexcept;
  void give(void* block, size_t size) noexcept;
  bool inChunk(const void* block) const noexcept;
  void* resize(void* block, size_t oldSize, size_t newSize) noexcept;

  void* takeLarge(size_t size) noexcept;
  void giveLarge(void* block) noexcept;
  void* resizeLarge(void* block, size_t newSize) noexcept;
  void link(LargeBlock* header) noexcept;
  void unlink(LargeBlock* header) noexcept;

  FreeBlock* free_[kClasses] = {};
  Chunk* chunks_ = nullptr;  // newest first
  char* next_ = nullptr;     // unused space of the newest chunk
  char* end_ = nullptr;
  size_t strays_ = 0;                   // large blocks now freed as small ones
  LargeBlock large_{&large_, &large_};  // the live large blocks, in a ring
};

}  // namespace voxlatorlua
