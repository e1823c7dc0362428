#include "xlatorlua/state_arena.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

// Under AddressSanitizer, free blocks and unused chunk space are poisoned,
// so that a use after free inside the arena is caught as with the C
// library's allocator.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VO_ARENA_POISON(block, size) ASAN_POISON_MEMORY_REGION(block, size)
#define VO_ARENA_UNPOISON(block, size) ASAN_UNPOISON_MEMORY_REGION(block, size)
#else
#define VO_ARENA_POISON(block, size) ((void)(block), (void)(size))
#define VO_ARENA_UNPOISON(block, size) ((void)(block), (void)(size))
#endif

namespace voxlatorlua {

namespace {

constexpr size_t kChunkBytes = 64 * 1024;
constexpr size_t kChunkHeader = 16;  // keeps the blocks 16-byte aligned

}  // namespace

struct StateArena::Chunk {
  Chunk* next;
};

static_assert(sizeof(void*) <= kChunkHeader);

namespace {

// The header of a large block is poisoned while the block lives, so that a
// write just before the block is caught as the C library's red zone would
// catch it; the list operations open the headers they touch.
template <typename Header>
void openHeader(Header* header, const Header* ring) noexcept {
  if (header != ring) VO_ARENA_UNPOISON(header, sizeof(Header));
}

template <typename Header>
void sealHeader(Header* header, const Header* ring) noexcept {
  if (header != ring) VO_ARENA_POISON(header, sizeof(Header));
}

}  // namespace

StateArena* StateArena::create() noexcept { return new (std::nothrow) StateArena; }

void StateArena::destroy(StateArena* arena) noexcept {
  if (arena == nullptr) return;
  for (Chunk* chunk = arena->chunks_; chunk != nullptr;) {
    VO_ARENA_UNPOISON(chunk, kChunkBytes);
    Chunk* next = chunk->next;
    std::free(chunk);
    chunk = next;
  }
  const LargeBlock* ring = &arena->large_;
  for (LargeBlock* header = arena->large_.next; header != ring;) {
    openHeader(header, ring);
    LargeBlock* next = header->next;
    std::free(header);
    header = next;
  }
  delete arena;
}

size_t StateArena::largeBlocks() const noexcept {
  size_t count = 0;
  for (LargeBlock* header = large_.next; header != &large_; ++count) {
    openHeader(header, &large_);
    LargeBlock* next = header->next;
    sealHeader(header, &large_);
    header = next;
  }
  return count;
}

void StateArena::link(LargeBlock* header) noexcept {
  LargeBlock* first = large_.next;
  openHeader(first, &large_);
  header->prev = &large_;
  header->next = first;
  first->prev = header;
  large_.next = header;
  sealHeader(first, &large_);
  sealHeader(header, &large_);
}

// Leaves `header` open: its block is about to be freed or moved.
void StateArena::unlink(LargeBlock* header) noexcept {
  openHeader(header, &large_);
  LargeBlock* prev = header->prev;
  LargeBlock* next = header->next;
  openHeader(prev, &large_);
  openHeader(next, &large_);
  prev->next = next;
  next->prev = prev;
  sealHeader(prev, &large_);
  sealHeader(next, &large_);
}

void* StateArena::takeLarge(size_t size) noexcept {
  if (size > SIZE_MAX - kLargeHeader) return nullptr;
  auto* header = static_cast<LargeBlock*>(std::malloc(kLargeHeader + size));
  if (header == nullptr) return nullptr;
  link(header);
  return reinterpret_cast<char*>(header) + kLargeHeader;
}

void StateArena::giveLarge(void* block) noexcept {
  auto* header = reinterpret_cast<LargeBlock*>(static_cast<char*>(block) - kLargeHeader);
  unlink(header);
  std::free(header);
}

// Null when the block cannot grow; it then stays as it was.
void* StateArena::resizeLarge(void* block, size_t newSize) noexcept {
  if (newSize > SIZE_MAX - kLargeHeader) return nullptr;
  auto* header = reinterpret_cast<LargeBlock*>(static_cast<char*>(block) - kLargeHeader);
  unlink(header);
  auto* moved = static_cast<LargeBlock*>(std::realloc(header, kLargeHeader + newSize));
  link(moved != nullptr ? moved : header);
  return moved != nullptr ? reinterpret_cast<char*>(moved) + kLargeHeader : nullptr;
}

// Most blocks come from a free list or the newest chunk: that path is kept
// small enough to inline into allocate.
inline void* StateArena::take(size_t size) noexcept {
  const size_t sizeClass = classOf(size);
  const size_t bytes = (sizeClass + 1) * kGranule;
  if (FreeBlock* block = free_[sizeClass]) {
    VO_ARENA_UNPOISON(block, bytes);
    free_[sizeClass] = block->next;
    return block;
  }
  if (static_cast<size_t>(end_ - next_) < bytes && !addChunk()) return nullptr;
  void* block = next_;
  next_ += bytes;
  VO_ARENA_UNPOISON(block, bytes);
  return block;
}

bool StateArena::addChunk() noexcept {
  auto* chunk = static_cast<Chunk*>(std::malloc(kChunkBytes));
  if (chunk == nullptr) return false;
  chunk->next = chunks_;
  chunks_ = chunk;
  next_ = reinterpret_cast<char*>(chunk) + kChunkHeader;
  end_ = reinterpret_cast<char*>(chunk) + kChunkBytes;
  VO_ARENA_POISON(next_, kChunkBytes - kChunkHeader);
  return true;
}

bool StateArena::inChunk(const void* block) const noexcept {
  const auto address = reinterpret_cast<uintptr_t>(block);
  for (const Chunk* chunk = chunks_; chunk != nullptr; chunk = chunk->next) {
    const auto base = reinterpret_cast<uintptr_t>(chunk);
    if (address >= base && address < base + kChunkBytes) return true;
  }
  return false;
}

void StateArena::give(void* block, size_t size) noexcept {
  if (strays_ != 0 && !inChunk(block)) {
    giveLarge(block);
    --strays_;
    return;
  }
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = free_[classOf(size)];
  free_[classOf(size)] = freed;
  VO_ARENA_POISON(block, (classOf(size) + 1) * kGranule);
}

void* StateArena::resize(void* block, size_t oldSize, size_t newSize) noexcept {
  const bool stray = isSmall(oldSize) && strays_ != 0 && !inChunk(block);
  const bool fromLibrary = !isSmall(oldSize) || stray;
  if (fromLibrary && !isSmall(newSize)) {
    void* moved = resizeLarge(block, newSize);
    if (moved == nullptr) return newSize <= oldSize ? block : nullptr;
    if (stray) --strays_;
    return moved;
  }
  if (!fromLibrary && isSmall(newSize) && classOf(oldSize) == classOf(newSize)) return block;

  void* moved = isSmall(newSize) ? take(newSize) : takeLarge(newSize);
  if (moved == nullptr) {
    if (newSize > oldSize) return nullptr;
    // The interpreter needs every shrink to succeed: the block stays, and
    // is freed by its address later.
    if (fromLibrary && !stray) ++strays_;
    return block;
  }
  std::memcpy(moved, block, std::min(oldSize, newSize));
  if (fromLibrary) {
    giveLarge(block);
    if (stray) --strays_;
  } else {
    give(block, oldSize);
  }
  return moved;
}

void* StateArena::allocate(void* context, void* block, size_t oldSize, size_t newSize) noexcept {
  auto* arena = static_cast<StateArena*>(context);
  if (newSize == 0) {
    if (block == nullptr) return nullptr;
    if (isSmall(oldSize)) {
      arena->give(block, oldSize);
    } else {
      arena->giveLarge(block);
    }
    return nullptr;
  }
  if (block == nullptr) return isSmall(newSize) ? arena->take(newSize) : arena->takeLarge(newSize);
  return arena->resize(block, oldSize, newSize);
}

}  // namespace voxlatorlua
