#include <gtest/gtest.h>

#include "gx/gx_runtime.h"

// This program plays the environment's executable: it exports the marker the
// library looks for and a runtime function of its own.
static int gNewHandleCalls = 0;
static void* gBlock = nullptr;

extern "C" __attribute__((visibility("default"))) void* AZNewHandle(size_t) { return nullptr; }
extern "C" __attribute__((visibility("default"))) void** DSNewHandle(size_t) {
  ++gNewHandleCalls;
  return &gBlock;
}

TEST(GxMainProgramRuntime, TheExecutableExportingTheMarkerIsTheRuntime) {
  EXPECT_NE(vogx::FindGxRuntime(), nullptr);
  EXPECT_EQ(vogx::DSNewHandle(8), &gBlock);
  EXPECT_EQ(gNewHandleCalls, 1);
}
