// The arena of an interpreter state: blocks of every size keep their bytes
// through growing and shrinking across the small and the large kind, live
// blocks never overlap, freed blocks are used again, and the large blocks
// still live are returned with the arena (the sanitizer build's leak check
// sees to that).
#include "xlatorlua/state_arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <set>
#include <vector>

namespace {

using voxlatorlua::StateArena;

struct Block {
  unsigned char* data;
  size_t size;
  unsigned char fill;
};

void* Allocate(StateArena* arena, void* block, size_t oldSize, size_t newSize) {
  return StateArena::allocate(arena, block, oldSize, newSize);
}

bool Holds(const Block& block, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) {
    if (block.data[i] != block.fill) return false;
  }
  return true;
}

TEST(StateArenaTest, BlocksKeepTheirBytesThroughEveryResize) {
  StateArena* arena = StateArena::create();
  ASSERT_NE(arena, nullptr);
  std::vector<Block> blocks;
  const size_t sizes[] = {1, 15, 16, 17, 100, 511, 512, 513, 4000, 70000};
  unsigned char fill = 1;
  for (int round = 0; round < 50; ++round) {
    for (size_t size : sizes) {
      auto* data = static_cast<unsigned char*>(Allocate(arena, nullptr, 0, size));
      ASSERT_NE(data, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
      std::memset(data, fill, size);
      blocks.push_back({data, size, fill++});
    }
  }
  // Every block to another size (small to large, large to small, within a
  // class), keeping the bytes both sizes share.
  for (size_t i = 0; i < blocks.size(); ++i) {
    Block& block = blocks[i];
    const size_t newSize = sizes[(i * 7 + 3) % std::size(sizes)];
    auto* moved = static_cast<unsigned char*>(Allocate(arena, block.data, block.size, newSize));
    ASSERT_NE(moved, nullptr);
    block.data = moved;
    ASSERT_TRUE(Holds(block, std::min(block.size, newSize))) << block.size << " -> " << newSize;
    std::memset(moved, block.fill, newSize);
    block.size = newSize;
  }
  // No two live blocks share a byte.
  std::set<std::pair<uintptr_t, uintptr_t>> ranges;
  for (const Block& block : blocks) {
    ASSERT_TRUE(Holds(block, block.size));
    ranges.insert({reinterpret_cast<uintptr_t>(block.data),
                   reinterpret_cast<uintptr_t>(block.data) + block.size});
  }
  uintptr_t end = 0;
  for (const auto& range : ranges) {
    EXPECT_GE(range.first, end);
    end = range.second;
  }
  // A freed small block is the next one of its class.
  void* freed = blocks.back().size <= StateArena::kLargestSmallBlock ? blocks.back().data : nullptr;
  for (const Block& block : blocks) {
    EXPECT_EQ(Allocate(arena, block.data, block.size, 0), nullptr);
  }
  if (freed != nullptr) {
    EXPECT_EQ(Allocate(arena, nullptr, 0, blocks.back().size), freed);
  }
  EXPECT_EQ(arena->largeBlocks(), 0u);
  StateArena::destroy(arena);
}

// Large blocks are listed from their allocation through every resize that
// keeps them large until they are freed or move into a chunk; destroy
// returns those still live.
TEST(StateArenaTest, LiveLargeBlocksAreListedAndReturnedByDestroy) {
  StateArena* arena = StateArena::create();
  ASSERT_NE(arena, nullptr);
  std::vector<Block> blocks;
  unsigned char fill = 1;
  auto add = [&](size_t size) {
    auto* data = static_cast<unsigned char*>(Allocate(arena, nullptr, 0, size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(data) % 16, 0u);
    std::memset(data, fill, size);
    blocks.push_back({data, size, fill++});
  };
  auto resize = [&](Block& block, size_t newSize) {
    auto* moved = static_cast<unsigned char*>(Allocate(arena, block.data, block.size, newSize));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(moved) % 16, 0u);
    block.data = moved;
    ASSERT_TRUE(Holds(block, std::min(block.size, newSize)));
    std::memset(moved, block.fill, newSize);
    block.size = newSize;
  };
  for (size_t i = 0; i < 90; ++i) ASSERT_NO_FATAL_FAILURE(add(513 + i * 97));
  for (size_t i = 0; i < 30; ++i) ASSERT_NO_FATAL_FAILURE(add(8 + i * 16));
  EXPECT_EQ(arena->largeBlocks(), 90u);

  for (size_t i = 0; i < 90; i += 3) ASSERT_NO_FATAL_FAILURE(resize(blocks[i], 20000 + i));
  for (size_t i = 1; i < 90; i += 3) ASSERT_NO_FATAL_FAILURE(resize(blocks[i], 513));
  EXPECT_EQ(arena->largeBlocks(), 90u);
  for (size_t i = 2; i < 90; i += 3) ASSERT_NO_FATAL_FAILURE(resize(blocks[i], 64));
  EXPECT_EQ(arena->largeBlocks(), 60u);
  for (size_t i = 90; i < 100; ++i) ASSERT_NO_FATAL_FAILURE(resize(blocks[i], 4096));
  EXPECT_EQ(arena->largeBlocks(), 70u);
  for (size_t i = 0; i < 20; ++i) {
    Block& block = blocks[i * 3];  // a large one
    EXPECT_EQ(Allocate(arena, block.data, block.size, 0), nullptr);
    block.data = nullptr;
  }
  EXPECT_EQ(arena->largeBlocks(), 50u);
  for (const Block& block : blocks) {
    if (block.data != nullptr) {
      EXPECT_TRUE(Holds(block, block.size));
    }
  }
  StateArena::destroy(arena);  // with 50 large and 50 small blocks live
}

#if defined(__SANITIZE_ADDRESS__)
// A block read after it was freed is caught, as with the C library's
// allocator.
TEST(StateArenaDeathTest, AddressSanitizerCatchesAUseAfterFree) {
  StateArena* arena = StateArena::create();
  auto* block = static_cast<volatile char*>(Allocate(arena, nullptr, 0, 40));
  block[39] = 1;
  Allocate(arena, const_cast<char*>(block), 40, 0);
  EXPECT_DEATH(block[39] = 2, "use-after-poison");
  StateArena::destroy(arena);
}

// So is a write just before a large block, into the arena's header of it.
TEST(StateArenaDeathTest, AddressSanitizerCatchesAWriteBeforeALargeBlock) {
  StateArena* arena = StateArena::create();
  auto* block = static_cast<volatile char*>(Allocate(arena, nullptr, 0, 4000));
  block[0] = 1;
  EXPECT_DEATH(block[-1] = 2, "use-after-poison");
  Allocate(arena, const_cast<char*>(block), 4000, 0);
  StateArena::destroy(arena);
}
#endif

}  // namespace
