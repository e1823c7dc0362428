// voTarsin_GetError against the stand-in device: buffer handling, context
// fetch, fallbacks, and the library's own codes with the installed
// descriptions.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "request_recorder.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"
#include "xlator_test_support.h"

namespace {

constexpr const char* kFailed = "Failed to translate error elaboration.";
constexpr uint32_t kElaborate = 800;

std::string GetError(Session session, int32_t code, size_t size = 4096) {
  std::string buffer(size, 'x');
  EXPECT_EQ(voTarsin_GetError(session, code, size, buffer.data()), 0);
  return buffer.substr(0, strnlen(buffer.data(), size));
}

std::vector<uint8_t> Bytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

class GetErrorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VoDev_Reset();
    ASSERT_EQ(voTarsin_OpenSession("RIO0", nullptr, 0, &session_), 0);
  }
  void TearDown() override { voTarsin_CloseSession(session_, 0); }

  Session session_ = 0;
  votest::RequestRecorder recorder_;
  xltest::SharedErrors shared_{{{-52005, "An argument is not valid."},
                                {-52006, "Line one.\r\nLine two."},
                                {VODEV_E_READ_ONLY_ATTRIBUTE, "The attribute is read-only."}}};
};

TEST_F(GetErrorTest, BufferOfOneByteGetsOnlyTheTerminator) {
  char buffer[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(voTarsin_GetError(session_, -52005, 1, buffer), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[1], 'b');
}

TEST_F(GetErrorTest, BufferSizeZeroWritesNothing) {
  char buffer[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(voTarsin_GetError(session_, -52005, 0, buffer), 0);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(voTarsin_GetError(session_, -52005, 0, nullptr), 0);
}

TEST_F(GetErrorTest, LongTextIsCutAndTheRestOfTheBufferZeroed) {
  std::string buffer(32, 'x');
  EXPECT_EQ(voTarsin_GetError(session_, -52005, 10, buffer.data()), 0);
  EXPECT_EQ(std::string(buffer.data(), 10), std::string("An argume") + '\0');
  EXPECT_EQ(buffer[10], 'x') << "wrote beyond bufferSize";

  EXPECT_EQ(voTarsin_GetError(session_, -52005, 30, buffer.data()), 0);
  EXPECT_STREQ(buffer.data(), "An argument is not valid.");
  for (size_t i = std::strlen("An argument is not valid."); i < 30; ++i) {
    EXPECT_EQ(buffer[i], '\0') << i;
  }
  EXPECT_EQ(buffer[30], 'x');
}

TEST_F(GetErrorTest, NullBufferWithASizeIsRejected) {
  EXPECT_EQ(voTarsin_GetError(session_, -52005, 16, nullptr), -52005);
}

TEST_F(GetErrorTest, CodeZeroGivesTheEmptyText) { EXPECT_EQ(GetError(session_, 0), ""); }

TEST_F(GetErrorTest, SessionZeroSendsNoRequestAndStillDescribes) {
  recorder_.clear();
  EXPECT_EQ(GetError(0, -52005), "An argument is not valid.");
  EXPECT_EQ(recorder_.count(), 0u);
}

TEST_F(GetErrorTest, ContextIsFetchedForTheCodeWithFunction800) {
  recorder_.clear();
  EXPECT_EQ(GetError(session_, -52006), "Line one.\nLine two.");
  const auto requests = recorder_.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].function, kElaborate);
  EXPECT_EQ(requests[0].session, session_);
  EXPECT_EQ(requests[0].field<int32_t>(0), -52006);
  EXPECT_EQ(requests[0].outputSize, 8192u);
}

TEST_F(GetErrorTest, FailedContextRequestGivesTheEmptyText) {
  recorder_.clear();
  recorder_.answerNext(kElaborate, VODEV_E_UNSUPPORTED_FUNCTION);
  std::string buffer(16, 'x');
  EXPECT_EQ(voTarsin_GetError(session_, -52005, buffer.size(), buffer.data()), 0);
  EXPECT_EQ(buffer, std::string(16, '\0'));
  // Only the one context request: the code is not described another way.
  EXPECT_EQ(recorder_.count(), 1u);
  // The next call elaborates again.
  EXPECT_EQ(GetError(session_, -52005), "An argument is not valid.");
}

TEST_F(GetErrorTest, DeviceContextWithoutTranslatorUsesTheErrorFiles) {
  recorder_.answerNext(
      kElaborate, 0,
      Bytes(R"({"error_constant":"vodeverr_readOnlyAttribute","component":"VoFpga"})"));
  EXPECT_EQ(GetError(session_, VODEV_E_READ_ONLY_ATTRIBUTE), "The attribute is read-only.");
}

TEST_F(GetErrorTest, RealDeviceErrorIsReportedByItsScriptTranslator) {
  const int32_t status =
      voTarsin_SetAttributeDouble(session_, "", VOTARSIN_ATTR_FPGA_TEMPERATURE, 50.5);
  ASSERT_EQ(status, VODEV_E_READ_ONLY_ATTRIBUTE);
  const std::string text = GetError(session_, status);
  EXPECT_EQ(text.rfind("The attribute is read-only.\n", 0), 0u) << text;
  EXPECT_NE(text.find("Attribute Id: FPGA Temperature\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Requested Value: 50.5\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Device: RIO0"), std::string::npos) << text;
}

TEST_F(GetErrorTest, UnparsableContextIsTreatedAsNamingNoTranslator) {
  recorder_.answerNext(kElaborate, 0, Bytes("this is not json"));
  EXPECT_EQ(GetError(session_, -52005), "An argument is not valid.");
}

TEST_F(GetErrorTest, CodeWithoutDescriptionGivesTheFixedText) {
  EXPECT_EQ(GetError(session_, -99999), kFailed);
  EXPECT_EQ(GetError(0, 12345), kFailed);
}

TEST_F(GetErrorTest, ConcurrentCallsGiveTheSameText) {
  std::vector<std::thread> threads;
  std::vector<std::string> results(4);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&results, t] {
      for (int i = 0; i < 20; ++i) {
        char buffer[128];
        if (voTarsin_GetError(0, -52005, sizeof buffer, buffer) != 0) return;
        results[t] = buffer;
        if (results[t] != "An argument is not valid.") return;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (const auto& r : results) EXPECT_EQ(r, "An argument is not valid.");
}

// ---- The library's own codes with the descriptions of the build ------------

// Every status code the public header names, as (macro, value).
std::vector<std::pair<std::string, int32_t>> HeaderCodes() {
  std::ifstream header(VO_PUBLIC_HEADER);
  std::vector<std::pair<std::string, int32_t>> codes;
  const std::regex define(R"(^#define\s+(VOTARSIN_ERR_\w+)\s+\((-\d+)\))");
  std::string line;
  while (std::getline(header, line)) {
    std::smatch match;
    if (std::regex_search(line, match, define)) {
      codes.emplace_back(match[1], std::stoi(match[2]));
    }
  }
  return codes;
}

TEST(GetErrorInstalled, EveryLibraryCodeHasAnEnglishDescriptionOnARioSession) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(voTarsin_OpenSession("RIO0", nullptr, 0, &session), 0);
  const auto codes = HeaderCodes();
  ASSERT_GE(codes.size(), 10u) << "the header walk found too few codes";
  std::set<std::string> texts;
  for (const auto& [name, code] : codes) {
    const std::string text = GetError(session, code);
    EXPECT_NE(text, kFailed) << name << " (" << code << ") has no description";
    EXPECT_FALSE(text.empty()) << name;
    texts.insert(text);
  }
  EXPECT_GT(texts.size(), codes.size() / 2) << "most codes share one text";
  voTarsin_CloseSession(session, 0);
}

TEST(GetErrorInstalled, DriverCodeOfAFailedOpenIsDescribedWithoutASession) {
  VoDev_Reset();
  Session unopened = 0;
  const int32_t status = voTarsin_OpenSession("NOSUCH7", nullptr, 0, &unopened);
  ASSERT_EQ(status, VODEV_E_UNKNOWN_RESOURCE);
  EXPECT_EQ(GetError(0, status).rfind("The resource name does not identify a device.\n", 0), 0u)
      << GetError(0, status);
}

}  // namespace
