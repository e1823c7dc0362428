// Module loading by original-platform names, symbol lookup and its failures.
#include "platform/dynlib.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

// Exported by this test program so that the main-program lookup has something
// to find.
extern "C" __attribute__((visibility("default"))) int voPlatformTestsMainExport() { return 77; }

namespace voplat {
namespace {

constexpr const char* kTestModName = "VoPlatformTestMod.dll";
using ValueFn = int (*)();
using TwiceFn = int (*)(int);

std::string testModDir() { return VO_PLATFORM_TESTMOD_DIR; }

std::string realDirectory(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : std::string();
}

std::string withBackslashes(std::string s) {
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}

std::string asciiUpper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

TEST(NativeModuleName, BareDllNamesBecomeSharedObjectNames) {
  EXPECT_EQ(nativeModuleName("VoFpga.dll"), "libVoFpga.so");
  EXPECT_EQ(nativeModuleName("gxrt.DLL"), "libgxrt.so");
  EXPECT_EQ(nativeModuleName("votarsinsimulation.Dll"), "libvotarsinsimulation.so");
  EXPECT_EQ(nativeModuleName("a.b.dll"), "liba.b.so");
  EXPECT_EQ(nativeModuleName("x.dll"), "libx.so");
}

TEST(NativeModuleName, DirectoryIsKeptWithEitherSeparator) {
  EXPECT_EQ(nativeModuleName("/opt/vo/lib/VoFpgaGx.dll"), "/opt/vo/lib/libVoFpgaGx.so");
  EXPECT_EQ(nativeModuleName("C:\\Windows\\System32\\voxlator.dll"),
            "C:/Windows/System32/libvoxlator.so");
  EXPECT_EQ(nativeModuleName("rel\\sub/VoFpga.DLL"), "rel/sub/libVoFpga.so");
  EXPECT_EQ(nativeModuleName("./voajel.dll"), "./libvoajel.so");
  EXPECT_EQ(nativeModuleName("/voajel.dll"), "/libvoajel.so");
}

TEST(NativeModuleName, OtherNamesPassUnchanged) {
  EXPECT_EQ(nativeModuleName("libm.so.6"), "libm.so.6");
  EXPECT_EQ(nativeModuleName("/usr/lib/libfoo.so"), "/usr/lib/libfoo.so");
  EXPECT_EQ(nativeModuleName("name.dl"), "name.dl");
  EXPECT_EQ(nativeModuleName("name.dll.bak"), "name.dll.bak");
  EXPECT_EQ(nativeModuleName("namedll"), "namedll");
  EXPECT_EQ(nativeModuleName(".dll"), ".dll");
  EXPECT_EQ(nativeModuleName("dir\\.dll"), "dir\\.dll");
  EXPECT_EQ(nativeModuleName("dir.dll\\file"), "dir.dll\\file");
  EXPECT_EQ(nativeModuleName(""), "");
}

TEST(LoadModule, BareWindowsNameFindsTheModuleInTheSearchPath) {
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  auto value = reinterpret_cast<ValueFn>(findSymbol(module, "voPlatformTestModValue", &err));
  ASSERT_NE(value, nullptr) << err.message;
  EXPECT_EQ(value(), 4217);
  auto twice = reinterpret_cast<TwiceFn>(findSymbol(module, "voPlatformTestModTwice", &err));
  ASSERT_NE(twice, nullptr) << err.message;
  EXPECT_EQ(twice(21), 42);
  unloadModule(module);
}

TEST(LoadModule, PathsWithBackslashesAndDifferentCaseLoadTheSameModule) {
  SysError err;
  ModuleHandle bare = loadModule(kTestModName, &err);
  ASSERT_NE(bare, nullptr) << err.message;

  const std::string windowsPath = withBackslashes(testModDir()) + "\\" + kTestModName;
  ModuleHandle byPath = loadModule(windowsPath, &err);
  EXPECT_EQ(byPath, bare) << windowsPath << ": " << err.message;

  // The directory part is matched without regard to case, like file paths.
  const std::string upperPath = asciiUpper(testModDir()) + "/" + kTestModName;
  ModuleHandle byUpperPath = loadModule(upperPath, &err);
  EXPECT_EQ(byUpperPath, bare) << upperPath << ": " << err.message;

  unloadModule(byUpperPath);
  unloadModule(byPath);
  unloadModule(bare);
}

TEST(LoadModuleDeathTest, LibraryPathComesBeforeTheRunpath) {
  // The search path is read when a program starts, so the check runs in a
  // freshly started copy of this program.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* saved = std::getenv("LD_LIBRARY_PATH");
  const std::string savedValue = saved != nullptr ? saved : "";
  setenv("LD_LIBRARY_PATH", VO_PLATFORM_TESTMOD_ALT_DIR, 1);
  EXPECT_EXIT(
      {
        ModuleHandle module = loadModule(kTestModName, nullptr);
        auto value = reinterpret_cast<ValueFn>(
            module != nullptr ? findSymbol(module, "voPlatformTestModValue", nullptr) : nullptr);
        std::fprintf(stderr, "value %d\n", value != nullptr ? value() : -1);
        std::_Exit(0);
      },
      testing::ExitedWithCode(0), "value 1742");
  if (saved != nullptr) {
    setenv("LD_LIBRARY_PATH", savedValue.c_str(), 1);
  } else {
    unsetenv("LD_LIBRARY_PATH");
  }
}

TEST(LoadModule, MissingModuleReportsModuleNotFound) {
  SysError err;
  EXPECT_EQ(loadModule("VoPlatformNoSuchModule.dll", &err), nullptr);
  EXPECT_EQ(err.code, kErrModNotFound);
  EXPECT_NE(err.message.find("libVoPlatformNoSuchModule.so"), std::string::npos) << err.message;

  SysError pathErr;
  EXPECT_EQ(loadModule("/vo-no-such-dir/sub/Other.dll", &pathErr), nullptr);
  EXPECT_EQ(pathErr.code, kErrModNotFound);
  EXPECT_FALSE(pathErr.message.empty());

  SysError emptyErr;
  EXPECT_EQ(loadModule("", &emptyErr), nullptr);
  EXPECT_EQ(emptyErr.code, kErrModNotFound);
  EXPECT_EQ(emptyErr.message, errorMessage(kErrModNotFound));

  // Without an error record the failure is still just a null handle.
  EXPECT_EQ(loadModule("VoPlatformNoSuchModule.dll", nullptr), nullptr);
}

TEST(FindSymbol, MissingSymbolReportsProcedureNotFound) {
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;

  SysError missing;
  EXPECT_EQ(findSymbol(module, "voPlatformTestModMissing", &missing), nullptr);
  EXPECT_EQ(missing.code, kErrProcNotFound);
  EXPECT_NE(missing.message.find("voPlatformTestModMissing"), std::string::npos) << missing.message;
  EXPECT_EQ(findSymbol(module, "voPlatformTestModMissing", nullptr), nullptr);

  // A failed lookup leaves no trace that would spoil the next one.
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
  EXPECT_EQ(findLoadedModule("VoPlatformNoSuchModule.dll"), nullptr);

  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  EXPECT_EQ(findLoadedModule(kTestModName), module);
  EXPECT_EQ(findLoadedModule("libVoPlatformTestMod.so"), module);
  EXPECT_EQ(findLoadedModule(testModDir() + "\\" + kTestModName), module);
  // Symbols of a module are reachable through the handle found this way.
  EXPECT_NE(findSymbol(findLoadedModule(kTestModName), "voPlatformTestModValue", nullptr), nullptr);

  // Two loads, two references: the module stays until the second unload,
  // however often it was looked up in between.
  ModuleHandle again = loadModule(kTestModName, &err);
  EXPECT_EQ(again, module);
  unloadModule(again);
  EXPECT_EQ(findLoadedModule(kTestModName), module);
  unloadModule(module);
  EXPECT_EQ(findLoadedModule(kTestModName), nullptr);
}

TEST(FindMainProgramSymbol, FindsOnlyTheProgramsOwnExports) {
  auto mainExport = reinterpret_cast<ValueFn>(findMainProgramSymbol("voPlatformTestsMainExport"));
  ASSERT_NE(mainExport, nullptr);
  EXPECT_EQ(mainExport, &voPlatformTestsMainExport);
  EXPECT_EQ(mainExport(), 77);

  EXPECT_EQ(findMainProgramSymbol("voPlatformTestsNoSuchExport"), nullptr);
  EXPECT_EQ(findMainProgramSymbol(nullptr), nullptr);
  // Defined by the C library, which the program uses but does not export.
  EXPECT_EQ(findMainProgramSymbol("malloc"), nullptr);

  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  EXPECT_EQ(findMainProgramSymbol("voPlatformTestModValue"), nullptr);
  unloadModule(module);
}

TEST(ModuleDirectoryOf, NamesTheDirectoryOfTheContainingModule) {
  SysError err;
  ModuleHandle module = loadModule(kTestModName, &err);
  ASSERT_NE(module, nullptr) << err.message;
  void* inModule = findSymbol(module, "voPlatformTestModValue", &err);
  ASSERT_NE(inModule, nullptr);
  EXPECT_EQ(moduleDirectoryOf(inModule), realDirectory(testModDir()));
  unloadModule(module);

  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(n, 0);
  std::string exeDir(exe, static_cast<size_t>(n));
  exeDir.erase(exeDir.rfind('/'));
  EXPECT_EQ(moduleDirectoryOf(reinterpret_cast<const void*>(&voPlatformTestsMainExport)), exeDir);

  int onTheStack = 0;
  EXPECT_EQ(moduleDirectoryOf(&onTheStack), "");
  EXPECT_EQ(moduleDirectoryOf(nullptr), "");
}

}  // namespace
}  // namespace voplat
