#include "api/records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace voapi {
namespace {

TEST(AttributeRequestRecord, ChannelNameIsCutAt255AndTerminated) {
  const std::string name(300, 'x');
  const AttributeRequest request =
      makeAttributeRequest(kCmdAttributeGet, 0x10000005, kTypeInt32, name.c_str());
  EXPECT_EQ(std::string(request.channelName), name.substr(0, 255));
  EXPECT_EQ(request.channelName[255], '\0');
}

TEST(AttributeRequestRecord, AbsentAndEmptyNamesAreTheSameBytes) {
  const AttributeRequest absent = makeAttributeRequest(kCmdAttributeGet, 1, kTypeInt32, nullptr);
  const AttributeRequest empty = makeAttributeRequest(kCmdAttributeGet, 1, kTypeInt32, "");
  EXPECT_EQ(0, std::memcmp(&absent, &empty, sizeof absent));
  EXPECT_EQ(absent.channelName[0], '\0');
}

TEST(AttributeRequestRecord, BytesAfterTheNameAreZeroAndHeaderIsTheAttributeFamily) {
  const AttributeRequest request =
      makeAttributeRequest(kCmdAttributeQuery, 0xABCD1234u, kTypeUInt32, "AI7");
  const auto* bytes = reinterpret_cast<const uint8_t*>(&request);
  const uint8_t head[] = {0x02, 0x01, 0, 0, 0,    0,    0,    0,    0, 0, 0, 0, 0,   0,   0,   0,
                          0xD4, 0x02, 0, 0, 0x34, 0x12, 0xCD, 0xAB, 4, 0, 0, 0, 'A', 'I', '7', 0};
  EXPECT_EQ(0, std::memcmp(bytes, head, sizeof head));
  for (size_t i = sizeof head; i < sizeof request; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(TextField, ExactlyFieldSizeLeavesNoTerminatorAndShorterIsZeroFilled) {
  char field[8];
  std::memset(field, 0x55, sizeof field);
  copyTextField(field, sizeof field, "abcdefgh");
  EXPECT_EQ(0, std::memcmp(field, "abcdefgh", 8));
  std::memset(field, 0x55, sizeof field);
  copyTextField(field, sizeof field, "ab");
  const char expected[8] = {'a', 'b', 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(field, expected, 8));
  copyTextField(field, sizeof field, nullptr);
  EXPECT_EQ(0, std::memcmp(field, std::string(8, '\0').data(), 8));
}

}  // namespace
}  // namespace voapi
