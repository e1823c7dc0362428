// RegistryKey on the system registry: keys under the machine root, value
// sizes, the "more data" answer and the system's error numbers. The machine
// root is this process's private stand-in (support/test_registry.h).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/syserror.h"
#include "sysq/registry_store.h"
#include "sysq/sysq_test_support.h"

namespace {

using sysqtest::ScopedRegistry;
using sysqtest::TempDir;
using vosysq::RegistryKey;

class SystemRegistryTest : public ::testing::Test {
 protected:
  void use(const std::string& content) { registry_.emplace(dir_, content); }
  TempDir dir_;
  std::optional<ScopedRegistry> registry_;
};

TEST_F(SystemRegistryTest, KeysAndValueNamesCompareWithoutCase) {
  use("[SOFTWARE\\Corvane\\Common\\Installer]\nVOSHAREDDIR=C:\\Shared\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"software\\CORVANE\\common\\installer", vosysq::kKeyRead), 0u);
  EXPECT_TRUE(key.isOpen());
  char16_t data[32] = {};
  uint32_t size = sizeof data;
  ASSERT_EQ(key.queryValue(u"VoSharedDir", data, &size), 0u);
  EXPECT_EQ(std::u16string(data, size / 2), u"C:\\Shared");
  // Both views of the key answer.
  RegistryKey view32;
  EXPECT_EQ(view32.open(u"SOFTWARE\\Corvane\\Common\\Installer",
                        vosysq::kKeyRead | vosysq::kKeyWow64_32Key),
            0u);
}

TEST_F(SystemRegistryTest, SizesMoreDataAndMissingValues) {
  use("[K]\nV=" + std::string(300, 'x') + "\n");
  RegistryKey key;
  ASSERT_EQ(key.open(u"K", vosysq::kKeyRead), 0u);
  uint32_t size = 0;
  EXPECT_EQ(key.queryValue(u"V", nullptr, &size), 0u);
  EXPECT_EQ(size, 600u);
  char16_t small[8];
  size = sizeof small;
  EXPECT_EQ(key.queryValue(u"V", small, &size), voplat::kErrMoreData);
  EXPECT_EQ(size, 600u);
  EXPECT_EQ(key.queryValue(u"Absent", nullptr, &size), voplat::kErrFileNotFound);
  key.close();
  EXPECT_FALSE(key.isOpen());
  EXPECT_EQ(key.queryValue(u"V", nullptr, &size), voplat::kErrInvalidHandle);
}

TEST_F(SystemRegistryTest, MissingKeysAreTheSystemsFileNotFound) {
  use("[SOFTWARE\\Corvane]\n");
  RegistryKey key;
  EXPECT_EQ(key.open(u"SOFTWARE\\Corvane", vosysq::kKeyRead), 0u);
  EXPECT_EQ(key.open(u"SOFTWARE\\Corvane\\Common\\Installer", vosysq::kKeyRead),
            voplat::kErrFileNotFound);
  EXPECT_FALSE(key.isOpen());
}

}  // namespace
