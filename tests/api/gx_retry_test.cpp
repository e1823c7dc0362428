#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "support/module_file.h"
#include "votarsinapi.h"

namespace fs = std::filesystem;

namespace {

// Empties the probe folder of modules. On Windows the probe folder is the
// program's own, the first place the loader searches; the program stays.
void RemoveModules(const fs::path& probe) {
  for (const auto& entry : fs::directory_iterator(probe)) {
    if (entry.path().extension() == ".so" || entry.path().extension() == ".dll") {
      // Windows keeps the file of a module this process loaded: the next run
      // removes it.
      std::error_code ignored;
      fs::remove(entry.path(), ignored);
    }
  }
}

// This program's only search directory for VoFpgaGx starts out empty: the
// first GX open fails, and once the module appears the next open binds it.
// The directory itself must exist when the program starts, since the dynamic
// linker remembers search directories it found missing.
TEST(GxOpenRetry, AFailedLoadIsTriedAgainByTheNextOpen) {
  const fs::path probe = VO_GX_PROBE_DIR;
  const fs::path lib = VO_LIB_DIR;
  ASSERT_TRUE(fs::is_directory(probe));
  RemoveModules(probe);
  Session session = 0;
  EXPECT_EQ(-52005, voTarsin_GxOpenSession("RIO0", nullptr, 0, &session));
  EXPECT_EQ(-52005, voTarsin_GxOpenSession("RIO0", nullptr, 0, &session));
  EXPECT_EQ(session, 0u);
  for (const char* name : {"VoFpgaGx", "vodevicemodel"}) {
    ASSERT_TRUE(
        votest::LinkModule(lib / votest::ModuleFile(name), probe / votest::ModuleFile(name)));
  }
  EXPECT_EQ(0, voTarsin_GxOpenSession("RIO0", nullptr, 0, &session));
  EXPECT_NE(session, 0u);
  RemoveModules(probe);
}

}  // namespace

namespace {

TEST(SimulationRetry, AnAbsentLibraryLeavesTheBindingEmptyAndIsTriedAgain) {
  const fs::path probe = VO_GX_PROBE_DIR;
  const fs::path lib = VO_LIB_DIR;
  ASSERT_TRUE(fs::is_directory(probe));
  RemoveModules(probe);
  EXPECT_EQ(-1, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(-1, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  for (const char* name : {"votarsinsimulation", "vodevicemodel"}) {
    ASSERT_TRUE(
        votest::LinkModule(lib / votest::ModuleFile(name), probe / votest::ModuleFile(name)));
  }
  EXPECT_EQ(0, voTarsin_RestartSimulation(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(0, voTarsin_DisposeSimulation());
  RemoveModules(probe);
}

}  // namespace

namespace {

TEST(FpgaInterfaceAbsent, DeviceCallsReturnResourceNotFoundAndNothingElseBreaks) {
  const fs::path probe = VO_GX_PROBE_DIR;
  RemoveModules(probe);
  Session session = 0;
  EXPECT_EQ(-52006, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
  EXPECT_EQ(-52006, voTarsin_CloseSession(1, 0));
  int32_t value = 0;
  EXPECT_EQ(-52006, voTarsin_GetAttributeInt32(1, "", VOTARSIN_ATTR_ADC_RESOLUTION, &value));
  // Checks that need no device still answer.
  EXPECT_EQ(-63196, voTarsin_GetAttributeInt32(1, "", 0x1000FFFF, &value));
  EXPECT_EQ(-304419, voTarsin_SetAttributeInt32(1, "AI0,", VOTARSIN_ATTR_AI_COUPLING, 1));
  EXPECT_EQ(0, voTarsin_DisposeSimulation());
}

}  // namespace
