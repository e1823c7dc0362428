// The arena of an interpreter state when the C library has no memory: a
// large block that should shrink into a chunk while none can be had stays
// where it is, and is still freed, grown, moved and finally returned with the
// arena as a block of the C library (the sanitizer build's leak check sees
// to the last).
#include <gtest/gtest.h>

#include <cstring>

#include "alloc_fail.h"
#include "xlatorlua/state_arena.h"

namespace {

using vo::test::AllocFailer;
using voxlatorlua::StateArena;

void* Allocate(StateArena* arena, void* block, size_t oldSize, size_t newSize) {
  return StateArena::allocate(arena, block, oldSize, newSize);
}

bool Holds(const void* block, size_t bytes, unsigned char fill) {
  const auto* data = static_cast<const unsigned char*>(block);
  for (size_t i = 0; i < bytes; ++i) {
    if (data[i] != fill) return false;
  }
  return true;
}

// Shrinks a large block of `fill` bytes to `newSize` while every allocation
// fails: the arena has no chunk yet, so the block must stay.
void* ShrinkInPlace(StateArena* arena, void* block, size_t oldSize, size_t newSize) {
  AllocFailer failer;
  failer.failAfter(0, true);
  void* shrunk = Allocate(arena, block, oldSize, newSize);
  failer.disarm();
  EXPECT_EQ(failer.failures(), 1u);
  return shrunk;
}

TEST(StateArenaAllocationTest, LargeBlocksThatShrankInPlaceStayListed) {
  StateArena* arena = StateArena::create();
  ASSERT_NE(arena, nullptr);
  void* blocks[4];
  for (int i = 0; i < 4; ++i) {
    blocks[i] = Allocate(arena, nullptr, 0, 1000);
    ASSERT_NE(blocks[i], nullptr);
    std::memset(blocks[i], 'a' + i, 1000);
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(ShrinkInPlace(arena, blocks[i], 1000, 100 + 50 * i), blocks[i]);
    EXPECT_TRUE(Holds(blocks[i], 100 + 50 * i, 'a' + i));
  }
  EXPECT_EQ(arena->largeBlocks(), 4u);

  // Freed by its small size: back to the C library.
  EXPECT_EQ(Allocate(arena, blocks[0], 100, 0), nullptr);
  EXPECT_EQ(arena->largeBlocks(), 3u);
  // Grown large again.
  void* grown = Allocate(arena, blocks[1], 150, 5000);
  ASSERT_NE(grown, nullptr);
  EXPECT_TRUE(Holds(grown, 150, 'b'));
  EXPECT_EQ(arena->largeBlocks(), 3u);
  // Moved into a chunk now that one can be had.
  void* moved = Allocate(arena, blocks[2], 200, 180);
  ASSERT_NE(moved, nullptr);
  EXPECT_NE(moved, blocks[2]);
  EXPECT_TRUE(Holds(moved, 180, 'c'));
  EXPECT_EQ(arena->largeBlocks(), 2u);

  // A block of the chunk is told apart from the one still in place: freed,
  // it is the next of its class.
  void* small = Allocate(arena, nullptr, 0, 250);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(Allocate(arena, small, 250, 0), nullptr);
  EXPECT_EQ(arena->largeBlocks(), 2u);
  EXPECT_EQ(Allocate(arena, nullptr, 0, 250), small);
  EXPECT_TRUE(Holds(blocks[3], 250, 'd'));

  StateArena::destroy(arena);  // with the grown block and the one in place live
}

}  // namespace
