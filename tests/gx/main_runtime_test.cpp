#include <gtest/gtest.h>

#include "gx/gx_runtime.h"

// This program plays the environment's executable: it exports the marker the
// library looks for and a runtime function of its own.
static int gNewHandleCalls = 0;
static void* gBlock = nullptr;

#ifdef _WIN32
#define VO_PROGRAM_EXPORT extern "C" __declspec(dllexport)
#else
#define VO_PROGRAM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

VO_PROGRAM_EXPORT void* AZNewHandle(size_t) { return nullptr; }
VO_PROGRAM_EXPORT void** DSNewHandle(size_t) {
  ++gNewHandleCalls;
  return &gBlock;
}

TEST(GxMainProgramRuntime, TheExecutableExportingTheMarkerIsTheRuntime) {
  EXPECT_NE(vogx::FindGxRuntime(), nullptr);
  EXPECT_EQ(vogx::DSNewHandle(8), &gBlock);
  EXPECT_EQ(gNewHandleCalls, 1);
}
