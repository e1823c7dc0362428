#include "api/session.h"

#include <gtest/gtest.h>

#include <string>

#include "votarsinapi.h"

namespace voapi {
namespace {

struct OpenCall {
  std::string image;
  bool signatureNull;
  std::string resource;
  uint32_t attribute;
  int calls = 0;
};
OpenCall gOpen;

int32_t fakeOpen(const char* image, const char* signature, const char* resource, uint32_t attribute,
                 uint32_t* session) {
  gOpen = {image, signature == nullptr, resource, attribute, gOpen.calls + 1};
  *session = 0x1234;
  return 3;
}

class OpenAttribute : public ::testing::Test {
 protected:
  void SetUp() override { gOpen = {}; }
  uint32_t session = 0;
};

TEST_F(OpenAttribute, NullImageOpensTheDefaultImageWithBothBits) {
  EXPECT_EQ(3, openSession(fakeOpen, "RIO0", nullptr, 0x5, &session));
  EXPECT_EQ(gOpen.image, kImageDefault);
  EXPECT_TRUE(gOpen.signatureNull);
  EXPECT_EQ(gOpen.resource, "RIO0");
  EXPECT_EQ(gOpen.attribute, 0xC0000005u);
  EXPECT_EQ(session, 0x1234u);
}

TEST_F(OpenAttribute, BuiltInNamesCompareExactly) {
  openSession(fakeOpen, "RIO0", "/com::vo::tarsin::image::user", 0, &session);
  EXPECT_EQ(gOpen.attribute, 0xC0000000u);
  openSession(fakeOpen, "RIO0", "/com::vo::tarsin::image::golden", 0, &session);
  EXPECT_EQ(gOpen.attribute, 0xC0000000u);
  openSession(fakeOpen, "RIO0", "/com::vo::tarsin::image::User", 0, &session);
  EXPECT_EQ(gOpen.attribute, 0x80000000u);
  openSession(fakeOpen, "RIO0", "/images/custom.lvbitx", 0, &session);
  EXPECT_EQ(gOpen.attribute, 0x80000000u);
  EXPECT_EQ(gOpen.image, "/images/custom.lvbitx");
}

TEST_F(OpenAttribute, CallerBitsArePassedApartFromBit30) {
  openSession(fakeOpen, "RIO0", "/file", 0x80000001u, &session);
  EXPECT_EQ(gOpen.attribute, 0x80000001u);
  openSession(fakeOpen, "RIO0", "/file", 0x40000000u, &session);
  EXPECT_EQ(gOpen.attribute, 0xC0000000u);
}

TEST_F(OpenAttribute, NullResourceOrSessionIsRefusedBeforeTheDriver) {
  EXPECT_EQ(-52005, openSession(fakeOpen, nullptr, nullptr, 0, &session));
  EXPECT_EQ(-52005, openSession(fakeOpen, "RIO0", nullptr, 0, nullptr));
  EXPECT_EQ(gOpen.calls, 0);
}

}  // namespace
}  // namespace voapi
