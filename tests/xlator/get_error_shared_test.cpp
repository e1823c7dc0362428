// The error-text exports of the shared library as an application uses them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "request_recorder.h"
#include "status/context_writer.h"
#include "status/status.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"
#include "voxlator_standin.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

TEST(GetErrorShared, ContextNamingAManagerTranslatorIsRenderedWithItsReport) {
  VoDev_Reset();
  Session session = 0;
  ASSERT_EQ(voTarsin_OpenSession("RIO0", nullptr, 0, &session), 0);
  votest::RequestRecorder recorder;
  recorder.answerNext(
      800, 0,
      Bytes(R"({"translator":"voxlator_standin","standin_json1":"{\"dynamic\":[)"
            R"({\"type\":\"elaboration\",\"value\":\"Too hot.\"},)"
            R"({\"type\":\"usage\",\"key\":\"Limit\",\"value\":[\"85\",\"C\"]}]}"})"));
  char buffer[256];
  ASSERT_EQ(voTarsin_GetError(session, -61015, sizeof buffer, buffer), 0);
  EXPECT_STREQ(buffer,
               "Stand-in description of code -61015 (language 0, ade 0).\nToo hot.\nLimit: 85, C");
  voTarsin_CloseSession(session, 0);
}

TEST(GetErrorShared, ExportedFactoryRefusesTheDefaultTranslator) {
  voerr::Status status;
  EXPECT_EQ(voxlator_exported_create("voxlator_default", "{}", &status), nullptr);
  EXPECT_EQ(status.code(), -52005);
  const char* name = voerr::ContextWriter::findKey(
      voerr::ContextWriter::findKey(status.contextText(), "voxlator_debug"), "name");
  ASSERT_NE(name, nullptr) << status.contextText();
  EXPECT_EQ(std::strncmp(name, "\"voxlator_default\"", 18), 0);
}

}  // namespace
