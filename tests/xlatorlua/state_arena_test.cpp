// The arena of an interpreter state: blocks of every size keep their bytes
// through growing and shrinking across the small and the large kind, live
// blocks never overlap, and freed blocks are used again.
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
  StateArena::destroy(arena);
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
#endif

}  // namespace
