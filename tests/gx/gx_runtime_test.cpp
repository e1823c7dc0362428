#include "gx/gx_runtime.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "gxrt.h"
#include "platform/dynlib.h"
#include "platform/tls.h"
#include "support/module_file.h"
#include "support/system_tls.h"
#include "votarsinapi.h"

namespace fs = std::filesystem;

namespace vogx {
namespace {

// The runtime stand-in is not linked into this program: each case decides
// whether and how a runtime is present. Its test control is reached through
// the loaded module.
struct Runtime {
  voplat::ModuleHandle module = voplat::loadModule("gxrt.dll", nullptr);
  template <typename Fn>
  Fn get(const char* name) {
    return reinterpret_cast<Fn>(voplat::findSymbol(module, name, nullptr));
  }
  GxRtCounters counters() { return get<GxRtCounters (*)()>("GxRt_Counters")(); }
  ~Runtime() {
    if (module) get<void (*)()>("GxRt_DisposeAll")();
  }
  void failResizes(uint32_t n) { get<void (*)(uint32_t)>("GxRt_FailResizes")(n); }
};

std::string text(GxStringHandle handle) {
  return std::string((*handle)->text, static_cast<size_t>((*handle)->count));
}

class GxString : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(runtime.module, nullptr);
    SetGXRTModule(runtime.module);
  }
  GxStringHandle withCount(int32_t count) {
    auto handle = reinterpret_cast<GxStringHandle>(DSNewHandle(4 + count));
    (*handle)->count = count;
    std::memset((*handle)->text, 'x', count);
    return handle;
  }
  Runtime runtime;
};

TEST_F(GxString, NullHandleIsCreated) {
  GxStringHandle handle = nullptr;
  EXPECT_EQ(0, StoreGxString(&handle, "0"));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ((*handle)->count, 1);
  EXPECT_EQ((*handle)->text[0], '0');
}

TEST_F(GxString, KeepsABlockUnlessMoreThanTwiceTooLarge) {
  GxStringHandle big = withCount(100);
  const uint64_t before = runtime.counters().resizes;
  EXPECT_EQ(0, StoreGxString(&big, "0123456789"));  // 17 < 107 / 2: shrink
  EXPECT_EQ(runtime.counters().resizes, before + 1);
  EXPECT_EQ(text(big), "0123456789");

  GxStringHandle fitting = withCount(20);
  EXPECT_EQ(0, StoreGxString(&fitting, "0123456789"));  // 17 >= 27 / 2: keep
  EXPECT_EQ(runtime.counters().resizes, before + 1);
  EXPECT_EQ(text(fitting), "0123456789");
}

TEST_F(GxString, GrowsOnlyWhenTheRealBlockIsTooSmall) {
  GxStringHandle handle = withCount(2);
  (*handle)->count = 0;  // a large block whose count says little
  GxStringHandle roomy = reinterpret_cast<GxStringHandle>(DSNewHandle(64));
  (*roomy)->count = 0;
  const GxRtCounters before = runtime.counters();
  EXPECT_EQ(0, StoreGxString(&roomy, "a text of 20 letters"));
  EXPECT_EQ(runtime.counters().resizes, before.resizes);
  EXPECT_EQ(runtime.counters().sizeQueries, before.sizeQueries + 1);
  EXPECT_EQ(0, StoreGxString(&handle, "a text of 20 letters"));
  EXPECT_EQ(runtime.counters().resizes, before.resizes + 1);
  EXPECT_EQ(text(handle), "a text of 20 letters");
}

TEST_F(GxString, AFailedResizeLeavesTheHandleAsItWas) {
  GxStringHandle handle = withCount(3);
  runtime.failResizes(1);
  EXPECT_EQ(-52000, StoreGxString(&handle, "longer than the block"));
  EXPECT_EQ(text(handle), "xxx");
}

TEST(GxRuntimeLocation, ThreadsTlsValueComesFirstThenTheStoredModule) {
  Runtime runtime;
  ASSERT_NE(runtime.module, nullptr);
  const uint32_t index = voplat::tlsAllocate();
  ASSERT_NE(index, voplat::kNoTlsIndex);
  SetGXRTTLSIndex(index);
  int marker = 0;
  SetGXRTModule(runtime.module);
  EXPECT_EQ(FindGxRuntime(), runtime.module);  // TLS value null: the stored module
  voplat::tlsSet(index, &marker);
  EXPECT_EQ(FindGxRuntime(), &marker);
  voplat::tlsSet(index, nullptr);
  voplat::tlsFree(index);
}

// The runtime makes its TLS index itself (here with the system's own calls) and sets its
// module on each of its threads; the library reads the calling thread's value.
TEST(GxRuntimeLocation, TheRuntimesOwnTlsIndexIsReadOnTheCallingThread) {
  Runtime runtime;
  ASSERT_NE(runtime.module, nullptr);
  votest::SystemTlsKey key;
  ASSERT_TRUE(votest::CreateSystemTlsKey(&key));
  int otherInstance = 0;
  SetGXRTModule(runtime.module);
  SetGXRTTLSIndex(static_cast<uint32_t>(key));
  ASSERT_TRUE(votest::SetSystemTlsValue(key, &otherInstance));
  EXPECT_EQ(FindGxRuntime(), &otherInstance);
  voplat::ModuleHandle onThreadWithoutValue = nullptr;
  std::thread([&] { onThreadWithoutValue = FindGxRuntime(); }).join();
  EXPECT_EQ(onThreadWithoutValue, runtime.module);

  // Numbers that cannot be keys fall back to the stored module.
  SetGXRTTLSIndex(0x7FFFFFFEu);
  EXPECT_EQ(FindGxRuntime(), runtime.module);
  SetGXRTTLSIndex(voplat::kNoTlsIndex);
  SetGXRTModule(nullptr);
  votest::DeleteSystemTlsKey(key);
}

TEST(GxRuntimeLocation, AnAlreadyLoadedRuntimeIsFoundWithoutBeingTold) {
  EXPECT_EQ(FindGxRuntime(), nullptr);
  Runtime runtime;
  ASSERT_NE(runtime.module, nullptr);
  EXPECT_EQ(FindGxRuntime(), voplat::findLoadedModule("gxrt.dll"));
  GxStringHandle handle = nullptr;
  EXPECT_EQ(0, StoreGxString(&handle, "found"));
  EXPECT_EQ(text(handle), "found");
}

TEST(GxRuntimeFatal, NoRuntimeEndsTheProcess) {
  EXPECT_EXIT(DSNewHandle(8), ::testing::ExitedWithCode(1),
              "Fatal Error: graphyxv.lib was not called from a Graphyx process.");
}

// Copies of the runtime under distinct file names load as distinct instances.
std::vector<voplat::ModuleHandle> loadInstances(int count) {
  static int batch = 0;
  const fs::path dir =
      fs::temp_directory_path() /
      ("vo-gxrt-" + std::to_string(std::random_device()()) + "-" + std::to_string(batch++));
  fs::create_directories(dir);
  std::vector<voplat::ModuleHandle> modules;
  for (int i = 0; i < count; ++i) {
    const fs::path copy = dir / votest::ModuleFile("gxrt" + std::to_string(i));
    fs::copy_file(fs::path(VO_LIB_DIR) / votest::ModuleFile("gxrt"), copy,
                  fs::copy_options::overwrite_existing);
    modules.push_back(voplat::loadModule(copy.string(), nullptr));
  }
  // Windows keeps the files of loaded modules; they stay in the temporary
  // directory there.
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return modules;
}

TEST(GxRuntimeSlots, EightInstancesAreCachedAndUnloadedOnesAreReclaimed) {
  std::vector<voplat::ModuleHandle> modules = loadInstances(8);
  for (voplat::ModuleHandle module : modules) {
    ASSERT_NE(module, nullptr);
    SetGXRTModule(module);
    EXPECT_EQ(DSGetHandleSize(nullptr), -1);
  }
  voplat::unloadModule(modules[3]);
  EXPECT_FALSE(voplat::isModuleStampLoaded(0));
  std::vector<voplat::ModuleHandle> ninth = loadInstances(1);
  SetGXRTModule(ninth[0]);
  EXPECT_EQ(DSGetHandleSize(nullptr), -1);
  SetGXRTModule(modules[0]);  // still cached
  EXPECT_EQ(DSGetHandleSize(nullptr), -1);
}

TEST(GxRuntimeSlots, ANinthLiveInstanceEndsTheProcess) {
  EXPECT_EXIT(
      {
        for (voplat::ModuleHandle module : loadInstances(9)) {
          SetGXRTModule(module);
          DSGetHandleSize(nullptr);
        }
      },
      ::testing::ExitedWithCode(1),
      "graphyxv.lib was unable to locate a suitable location to resolve \"DSGetHandleSize\". "
      "This may happen when too many instances of Graphyx have been loaded into the same "
      "process.");
}

}  // namespace
}  // namespace vogx
