// Module loading on Windows: the standard search order with the program's
// folder first, the loader's own error numbers and texts, symbol lookup.
#include "platform/dynlib.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Exported by this test program so that the main-program lookup has something
// to find.
extern "C" __declspec(dllexport) int voPlatformTestsMainExport() { return 77; }

namespace voplat {
namespace {

constexpr const char* kTestModName = "VoPlatformTestMod.dll";
using ValueFn = int (*)();
using TwiceFn = int (*)(int);

std::string programDirectory() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring wide(path, n);
  wide.erase(wide.find_last_of(L"\\/"));
  std::string utf8;
  for (wchar_t c : wide) utf8.push_back(static_cast<char>(c));  // ASCII build paths
  return utf8;
}

int valueOf(ModuleHandle module) {
  auto value = reinterpret_cast<ValueFn>(findSymbol(module, "voPlatformTestModValue", nullptr));
  return value != nullptr ? value() : -1;
}

TEST(NativeModuleName, WindowsNamesAreUsedAsTheyAre) {
  EXPECT_EQ(nativeModuleName("VoFpga.dll"), "VoFpga.dll");
  EXPECT_EQ(nativeModuleName("C:\\Windows\\System32\\voxlator.dll"),
            "C:\\Windows\\System32\\voxlator.dll");
}

TEST(LoadModule, BareNameFindsTheModuleInTheProgramsFolder) {
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.code << " " << err.message;
  EXPECT_EQ(valueOf(module), 4217);
  auto twice = reinterpret_cast<TwiceFn>(findSymbol(module, "voPlatformTestModTwice", &err));
  ASSERT_NE(twice, nullptr) << err.message;
  EXPECT_EQ(twice(21), 42);
  EXPECT_EQ(moduleDirectoryOf(reinterpret_cast<const void*>(twice)), programDirectory());
  unloadModule(module);
}

TEST(LoadModuleDeathTest, TheProgramsFolderComesBeforeThePath) {
  // A module of the same name in a folder of PATH: the program's folder is
  // searched first. The check runs in a freshly started copy of the program.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* saved = std::getenv("PATH");
  const std::string savedValue = saved != nullptr ? saved : "";
  _putenv_s("PATH", (std::string(VO_PLATFORM_TESTMOD_ALT_DIR) + ";" + savedValue).c_str());
  EXPECT_EXIT(
      {
        std::fprintf(stderr, "value %d\n", valueOf(loadModule(kTestModName, nullptr)));
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "value 4217");
  _putenv_s("PATH", savedValue.c_str());

  // By its path, the other one loads.
  SysError err;
  ModuleHandle alt =
      loadModule(std::string(VO_PLATFORM_TESTMOD_ALT_DIR) + "\\" + kTestModName, &err);
  ASSERT_NE(alt, nullptr) << err.message;
  EXPECT_EQ(valueOf(alt), 1742);
  unloadModule(alt);
}

TEST(LoadModule, MissingModuleGivesTheSystemsErrorAndText) {
  SysError err;
  EXPECT_EQ(loadModule("VoPlatformNoSuchModule.dll", &err), nullptr);
  EXPECT_EQ(err.code, 126u);
  EXPECT_EQ(err.message, errorMessage(126));
  EXPECT_FALSE(err.message.empty());

  SysError pathErr;
  EXPECT_EQ(loadModule("Z:\\vo-no-such-dir\\sub\\Other.dll", &pathErr), nullptr);
  EXPECT_NE(pathErr.code, 0u);
  EXPECT_FALSE(pathErr.message.empty());

  SysError emptyErr;
  EXPECT_EQ(loadModule("", &emptyErr), nullptr);
  EXPECT_EQ(emptyErr.code, kErrModNotFound);
  EXPECT_EQ(loadModule("VoPlatformNoSuchModule.dll", nullptr), nullptr);
}

TEST(FindSymbol, MissingSymbolGivesTheSystemsErrorAndText) {
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  SysError missing;
  EXPECT_EQ(findSymbol(module, "voPlatformTestModMissing", &missing), nullptr);
  EXPECT_EQ(missing.code, 127u);
  EXPECT_EQ(missing.message, errorMessage(127));
  EXPECT_FALSE(missing.message.empty());
  EXPECT_NE(findSymbol(module, "voPlatformTestModValue", nullptr), nullptr);

  SysError nullModule;
  EXPECT_EQ(findSymbol(nullptr, "voPlatformTestModValue", &nullModule), nullptr);
  EXPECT_EQ(nullModule.code, kErrInvalidHandle);
  SysError nullName;
  EXPECT_EQ(findSymbol(module, nullptr, &nullName), nullptr);
  EXPECT_EQ(nullName.code, kErrInvalidParameter);
  unloadModule(module);
}

TEST(FindLoadedModule, SeesOnlyLoadedModulesAndTakesNoReference) {
  EXPECT_EQ(findLoadedModule(kTestModName), nullptr);
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  EXPECT_EQ(findLoadedModule(kTestModName), module);
  EXPECT_EQ(findLoadedModule("VOPLATFORMTESTMOD.DLL"), module);
  const uint64_t stamp = moduleStamp(module);
  EXPECT_NE(stamp, 0u);
  EXPECT_TRUE(isModuleStampLoaded(stamp));

  ModuleHandle again = loadModule(kTestModName, &err);
  EXPECT_EQ(again, module);
  unloadModule(again);
  EXPECT_EQ(findLoadedModule(kTestModName), module);
  unloadModule(module);
  EXPECT_EQ(findLoadedModule(kTestModName), nullptr);
  EXPECT_FALSE(isModuleStampLoaded(stamp));
}

TEST(FindMainProgramSymbol, FindsTheProgramsExports) {
  auto mainExport = reinterpret_cast<ValueFn>(findMainProgramSymbol("voPlatformTestsMainExport"));
  ASSERT_NE(mainExport, nullptr);
  EXPECT_EQ(mainExport(), 77);
  EXPECT_EQ(findMainProgramSymbol("voPlatformTestsNoSuchExport"), nullptr);
  EXPECT_EQ(findMainProgramSymbol(nullptr), nullptr);
  EXPECT_EQ(moduleDirectoryOf(reinterpret_cast<const void*>(&voPlatformTestsMainExport)),
            programDirectory());
  int onTheStack = 0;
  EXPECT_EQ(moduleDirectoryOf(&onTheStack), "");
  EXPECT_EQ(moduleDirectoryOf(nullptr), "");
}

}  // namespace
}  // namespace voplat
