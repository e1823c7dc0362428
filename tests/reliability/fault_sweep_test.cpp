// Faults at the driver boundary: every export of votarsinapi.h, called with
// plausible arguments while the stand-in driver misbehaves in each way it
// can (vodevice_hook.h, fault injection). For each call: a status comes back,
// outputs are left as the header says for a failure, every failure can be
// described, and once the fault is gone the same call on a fresh device gives
// what it gave before any fault. The ASan pass checks that nothing leaks.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gxrt.h"
#include "vodevice_hook.h"
#include "vofpga.h"
#include "votarsinapi.h"

namespace {

// How an export treats its outputs when it fails.
enum class Outputs {
  kNone,           // no output, or one the header lets the driver write on failure
  kOnlyOnSuccess,  // untouched unless the status is 0
};

struct Context {
  Session session = 0;
  Session simulated = 0;
  bool outputsUntouched = true;              // set by a call whose outputs kept their sentinels
  std::vector<VoGxStringHandle> errorTexts;  // error texts of GX calls
};

struct Export {
  const char* name;
  Outputs outputs;
  std::function<int32_t(Context&)> call;
};

VoGxStringHandle gxString(const std::string& text) {
  auto handle = reinterpret_cast<VoGxStringHandle>(DSNewHandle(4 + text.size()));
  (*handle)->count = static_cast<int32_t>(text.size());
  std::memcpy((*handle)->text, text.data(), text.size());
  return handle;
}

// Calls a getter with an output pre-set to a sentinel; notes whether it stayed.
template <typename T, typename F>
int32_t withSentinel(Context& c, T sentinel, F&& f) {
  T value = sentinel;
  const int32_t status = f(&value);
  c.outputsUntouched = std::memcmp(&value, &sentinel, sizeof(T)) == 0;
  return status;
}

// A GX call: its error text is kept for the check that failures are described.
template <typename F>
int32_t gx(Context& c, F&& f) {
  c.errorTexts.push_back(nullptr);
  return f(&c.errorTexts.back());
}

/* clang-format off */
std::vector<Export> exports() {
  const uint64_t fifo[2] = {0x11, 0x22};
  return {
    {"voTarsin_OpenSession", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<Session>(c, 0xDEAD, [](Session* s) { return voTarsin_OpenSession("RIO1", nullptr, 0, s); }); }},
    {"voTarsin_CloseSession", Outputs::kNone, [](Context& c) { return voTarsin_CloseSession(c.session, 0); }},
    {"voTarsin_GxOpenSession", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<Session>(c, 0xDEAD, [](Session* s) { return voTarsin_GxOpenSession("RIO2", nullptr, 0, s); }); }},
    {"voTarsin_GetAttributeInt32", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<int32_t>(c, -7, [&](int32_t* v) { return voTarsin_GetAttributeInt32(c.session, "AI0", VOTARSIN_ATTR_AI_COUPLING, v); }); }},
    {"voTarsin_GetAttributeUInt64", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<uint64_t>(c, 77, [&](uint64_t* v) { return voTarsin_GetAttributeUInt64(c.session, "0", VOTARSIN_ATTR_STREAM_FIFO_SIZE, v); }); }},
    {"voTarsin_GetAttributeDouble", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<double>(c, -7.5, [&](double* v) { return voTarsin_GetAttributeDouble(c.session, "AI0", VOTARSIN_ATTR_AI_RANGE, v); }); }},
    {"voTarsin_GetAttributeString", Outputs::kOnlyOnSuccess, [](Context& c) {
       char text[16];
       std::memset(text, '#', sizeof text);
       const int32_t status = voTarsin_GetAttributeString(c.session, "0", VOTARSIN_ATTR_STREAM_FIFO_NAME, sizeof text, text);
       c.outputsUntouched = std::string(text, sizeof text) == std::string(sizeof text, '#');
       return status; }},
    {"voTarsin_GetAttributeBoolean", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<uint32_t>(c, 9, [&](uint32_t* v) { return voTarsin_GetAttributeBoolean(c.session, "", VOTARSIN_ATTR_IO_READY, v); }); }},
    {"voTarsin_SetAttributeInt32", Outputs::kNone, [](Context& c) { return voTarsin_SetAttributeInt32(c.session, "AI0-AI2", VOTARSIN_ATTR_AI_COUPLING, 1); }},
    {"voTarsin_SetAttributeUInt64", Outputs::kNone, [](Context& c) { return voTarsin_SetAttributeUInt64(c.session, "0,1", VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES, 100); }},
    {"voTarsin_SetAttributeDouble", Outputs::kNone, [](Context& c) { return voTarsin_SetAttributeDouble(c.session, "AI1", VOTARSIN_ATTR_AI_RANGE, 2.0); }},
    {"voTarsin_SetAttributeString", Outputs::kNone, [](Context& c) { return voTarsin_SetAttributeString(c.session, "0", VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE, "PXI_Trig0"); }},
    {"voTarsin_SetAttributeBoolean", Outputs::kNone, [](Context& c) { return voTarsin_SetAttributeBoolean(c.session, "0", VOTARSIN_ATTR_STREAM_FINITE, 1); }},
    {"voTarsin_RestartSimulation", Outputs::kNone, [](Context& c) { return voTarsin_RestartSimulation(c.simulated, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0); }},
    {"voTarsin_DisposeSimulation", Outputs::kNone, [](Context&) { return voTarsin_DisposeSimulation(); }},
    {"voTarsin_ConfigureStreamEnabledChannels", Outputs::kNone, [](Context& c) {
       uint32_t count = 0;
       return voTarsin_ConfigureStreamEnabledChannels(c.session, 0, "AI0-AI3", &count); }},
    {"voTarsin_ConfigureStreamFinite", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureStreamFinite(c.session, 0, 256); }},
    {"voTarsin_StartStream", Outputs::kNone, [](Context& c) { return voTarsin_StartStream(c.session, 0); }},
    {"voTarsin_WaitForTransfer", Outputs::kNone, [](Context& c) {
       uint64_t count = 0; uint8_t state = 0;
       return voTarsin_WaitForTransfer(c.session, 0, 16, 0, &count, &state); }},
    {"voTarsin_ClearStream", Outputs::kNone, [](Context& c) { return voTarsin_ClearStream(c.session, 0); }},
    {"voTarsin_ReadStreamI16", Outputs::kNone, [](Context& c) {
       int16_t data[64]; VoTarsinReadInfo info;
       return voTarsin_ReadStreamI16(c.session, 0, 0, 64, data, &info); }},
    {"voTarsin_ReadStreamF64", Outputs::kNone, [](Context& c) {
       double data[64]; VoTarsinReadInfo info;
       return voTarsin_ReadStreamF64(c.session, 0, 0, 64, data, &info); }},
    {"voTarsin_ReadStream2DI16", Outputs::kNone, [](Context& c) {
       int16_t data[2 * 32]; VoTarsinReadInfo info[2];
       return voTarsin_ReadStream2DI16(c.session, 0, 0, 2, 32, data, info); }},
    {"voTarsin_ReadStream2DF64", Outputs::kNone, [](Context& c) {
       double data[2 * 32]; VoTarsinReadInfo info[2];
       return voTarsin_ReadStream2DF64(c.session, 0, 0, 2, 32, data, info); }},
    {"voTarsin_ConfigureImmediateTrigger", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureImmediateTrigger(c.session, 0); }},
    {"voTarsin_ConfigureDigitalStartTrigger", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureDigitalStartTrigger(c.session, 0, "SyncPulse", VOTARSIN_SENSITIVITY_RISING_EDGE); }},
    {"voTarsin_ConfigureAnalogEdgeTrigger", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureAnalogEdgeTrigger(c.session, 0, "AI0", VOTARSIN_SLOPE_RISING, 0.1, 0.01); }},
    {"voTarsin_ConfigureForReferenceClock", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureForReferenceClock(c.session, 1); }},
    {"voTarsin_ConfigureForExternalClock", Outputs::kNone, [](Context& c) { return voTarsin_ConfigureForExternalClock(c.session, 0, 100e6); }},
    {"voTarsin_RouteSignal", Outputs::kNone, [](Context& c) {
       uint32_t route = 0;
       return voTarsin_RouteSignal(c.session, "SyncPulse", "PXI_Trig1", &route); }},
    {"voTarsin_UnrouteSignal", Outputs::kNone, [](Context& c) { return voTarsin_UnrouteSignal(c.session, 0); }},
    {"voTarsin_SendSyncPulse", Outputs::kNone, [](Context& c) { return voTarsin_SendSyncPulse(c.session); }},
    {"voTarsin_WriteCalibrationData", Outputs::kNone, [](Context& c) {
       const uint8_t data[24] = {1, 2, 3};
       return voTarsin_WriteCalibrationData(c.session, 1, data, sizeof data); }},
    {"voTarsin_ReadCalibrationData", Outputs::kNone, [](Context& c) {
       uint8_t data[24];
       return voTarsin_ReadCalibrationData(c.session, 1, data, sizeof data); }},
    {"voTarsin_UpdateVerificationInformation", Outputs::kNone, [](Context& c) { return voTarsin_UpdateVerificationInformation(c.session); }},
    {"voTarsin_SetTemperatureLimit", Outputs::kNone, [](Context& c) { return voTarsin_SetTemperatureLimit(c.session, 80.0); }},
    {"voTarsin_SetPowerLimit", Outputs::kNone, [](Context& c) { return voTarsin_SetPowerLimit(c.session, 40.0); }},
    {"voTarsin_GetTemperatureLimit", Outputs::kNone, [](Context& c) { double v; return voTarsin_GetTemperatureLimit(c.session, &v); }},
    {"voTarsin_GetPowerLimit", Outputs::kNone, [](Context& c) { double v; return voTarsin_GetPowerLimit(c.session, &v); }},
    {"voTarsin_Commit", Outputs::kNone, [](Context& c) { return voTarsin_Commit(c.session); }},
    {"voTarsin_WaitForIoReady", Outputs::kNone, [](Context& c) {
       uint32_t ready; int32_t error;
       return voTarsin_WaitForIoReady(c.session, 5, &ready, &error); }},
    {"tarsin_readBar32", Outputs::kNone, [](Context& c) { uint32_t v; return tarsin_readBar32(c.session, 16, &v); }},
    {"tarsin_writeBar32", Outputs::kNone, [](Context& c) { return tarsin_writeBar32(c.session, 16, 5); }},
    {"tarsin_instructionFifoRead", Outputs::kNone, [](Context& c) { uint32_t v; return tarsin_instructionFifoRead(c.session, 1, 0x42, &v); }},
    {"tarsin_instructionFifoWrite", Outputs::kNone, [](Context& c) { return tarsin_instructionFifoWrite(c.session, 1, 0x42); }},
    {"voTarsin_WriteInstructionFifo", Outputs::kNone, [fifo](Context& c) { return voTarsin_WriteInstructionFifo(c.session, 1, 2, fifo); }},
    {"voTarsin_ReadInstructionFifo", Outputs::kNone, [fifo](Context& c) { uint64_t r; return voTarsin_ReadInstructionFifo(c.session, 1, 2, fifo, &r); }},
    {"tarsin_PromoteSessionToFlash", Outputs::kNone, [](Context& c) { return tarsin_PromoteSessionToFlash(c.session, 0); }},
    {"voTarsin_SetUserAutoloadFlag", Outputs::kNone, [](Context& c) { return voTarsin_SetUserAutoloadFlag(c.session, 1); }},
    {"voTarsin_GetBitfileMetadata", Outputs::kNone, [](Context& c) {
       // The size query's answer is stored whatever its status; a failed query answers 0.
       uint64_t size = 12345;
       const int32_t status = voTarsin_GetBitfileMetadata(c.session, &size, nullptr);
       if (status < 0) {
         EXPECT_NE(size, 12345u);
       }
       return status; }},
    {"tarsin_GetTreeSerialization", Outputs::kNone, [](Context& c) { char tree[256]; return tarsin_GetTreeSerialization(c.session, 0, tree, sizeof tree); }},
    {"voTarsin_QueryBitfileRegister", Outputs::kNone, [](Context& c) { uint32_t h; return voTarsin_QueryBitfileRegister(c.session, "tarsin.module.dram ready 0", 0xFFFFFFFF, &h); }},
    {"voTarsin_QueryBitfileFifo", Outputs::kNone, [](Context& c) { uint32_t f; return voTarsin_QueryBitfileFifo(c.session, "fifo", 0, &f); }},
    {"voTarsinMDK_configureIoModuleRefClkPinSrc", Outputs::kNone, [](Context& c) { return voTarsinMDK_configureIoModuleRefClkPinSrc(c.session, 1); }},
    {"voTarsinMDK_writeIoModuleInfo", Outputs::kNone, [](Context& c) { return voTarsinMDK_writeIoModuleInfo(c.session, 1, 2, 3, 4, 5, 6); }},
    {"voTarsinMDK_readIoModuleInfo", Outputs::kNone, [](Context& c) {
       uint16_t f1 = 0, f2 = 0, f6 = 0; uint32_t f3 = 0, f4 = 0; uint8_t f5 = 0;
       const int32_t status = voTarsinMDK_readIoModuleInfo(c.session, &f1, &f2, &f3, &f4, &f5, &f6);
       // After an error every field is all ones.
       if (status < 0) {
         EXPECT_TRUE(f1 == 0xFFFF && f2 == 0xFFFF && f3 == 0xFFFFFFFF && f4 == 0xFFFFFFFF &&
                     f5 == 0xFF && f6 == 0xFFFF) << "status " << status;
       }
       return status; }},
    {"voTarsin_GetSessionReference", Outputs::kOnlyOnSuccess, [](Context& c) {
       return withSentinel<uint32_t>(c, 0xDEAD, [&](uint32_t* r) { return voTarsin_GetSessionReference(c.session, r); }); }},
    {"voTarsin_GetError", Outputs::kNone, [](Context& c) {
       char text[512];
       const int32_t status = voTarsin_GetError(c.session, VODEV_E_INVALID_VALUE, sizeof text, text);
       EXPECT_LT(strnlen(text, sizeof text), sizeof text);
       return status; }},
    {"voTarsin_GXGetError", Outputs::kNone, [](Context& c) {
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_GXGetError(c.session, VODEV_E_INVALID_VALUE, e); }); }},
    {"voTarsin_GetAttributeInt32GX", Outputs::kOnlyOnSuccess, [](Context& c) {
       VoGxStringHandle channel = gxString("AI0");
       return gx(c, [&](VoGxStringHandle* e) { return withSentinel<int32_t>(c, -7, [&](int32_t* v) { return voTarsin_GetAttributeInt32GX(c.session, &channel, VOTARSIN_ATTR_AI_COUPLING, v, e); }); }); }},
    {"voTarsin_GetAttributeUInt64GX", Outputs::kOnlyOnSuccess, [](Context& c) {
       VoGxStringHandle channel = gxString("0");
       return gx(c, [&](VoGxStringHandle* e) { return withSentinel<uint64_t>(c, 77, [&](uint64_t* v) { return voTarsin_GetAttributeUInt64GX(c.session, &channel, VOTARSIN_ATTR_STREAM_FIFO_SIZE, v, e); }); }); }},
    {"voTarsin_GetAttributeDoubleGX", Outputs::kOnlyOnSuccess, [](Context& c) {
       VoGxStringHandle channel = gxString("AI0");
       return gx(c, [&](VoGxStringHandle* e) { return withSentinel<double>(c, -7.5, [&](double* v) { return voTarsin_GetAttributeDoubleGX(c.session, &channel, VOTARSIN_ATTR_AI_RANGE, v, e); }); }); }},
    {"voTarsin_GetAttributeBoolGX", Outputs::kOnlyOnSuccess, [](Context& c) {
       return gx(c, [&](VoGxStringHandle* e) { return withSentinel<uint8_t>(c, 9, [&](uint8_t* v) { return voTarsin_GetAttributeBoolGX(c.session, nullptr, VOTARSIN_ATTR_IO_READY, v, e); }); }); }},
    {"voTarsin_GetAttributeStringGX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channel = gxString("0");
       VoGxStringHandle value = gxString("keep");
       const int32_t status = gx(c, [&](VoGxStringHandle* e) { return voTarsin_GetAttributeStringGX(c.session, &channel, VOTARSIN_ATTR_STREAM_FIFO_NAME, &value, e); });
       // An error leaves the value alone; a warning stores the empty text.
       if (status < 0) {
         EXPECT_EQ(std::string((*value)->text, (*value)->count), "keep");
       }
       if (status > 0) {
         EXPECT_EQ((*value)->count, 0);
       }
       return status; }},
    {"voTarsin_GetAttributeTimestampGX", Outputs::kNone, [](Context& c) {
       VoGxTimestamp stamp{{5, 5}};
       const int32_t status = gx(c, [&](VoGxStringHandle* e) { return voTarsin_GetAttributeTimestampGX(c.session, nullptr, VOTARSIN_ATTR_CALIBRATION_DATE_TIME, &stamp, e); });
       if (status != 0) {
         EXPECT_TRUE(stamp.words[0] == 0 && stamp.words[1] == 0);
       }
       return status; }},
    {"voTarsin_SetAttributeInt32GX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channels = gxString("AI0-AI1"); const int32_t v = 1;
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_SetAttributeInt32GX(c.session, &channels, VOTARSIN_ATTR_AI_COUPLING, &v, e); }); }},
    {"voTarsin_SetAttributeUInt64GX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channels = gxString("0"); const uint64_t v = 100;
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_SetAttributeUInt64GX(c.session, &channels, VOTARSIN_ATTR_STREAM_NUMBER_OF_SAMPLES, &v, e); }); }},
    {"voTarsin_SetAttributeDoubleGX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channels = gxString("AI0"); const double v = 2.0;
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_SetAttributeDoubleGX(c.session, &channels, VOTARSIN_ATTR_AI_RANGE, &v, e); }); }},
    {"voTarsin_SetAttributeBoolGX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channels = gxString("0"); const uint8_t v = 1;
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_SetAttributeBoolGX(c.session, &channels, VOTARSIN_ATTR_STREAM_FINITE, &v, e); }); }},
    {"voTarsin_SetAttributeStringGX", Outputs::kNone, [](Context& c) {
       VoGxStringHandle channels = gxString("0"); VoGxStringHandle v = gxString("PXI_Trig0");
       return gx(c, [&](VoGxStringHandle* e) { return voTarsin_SetAttributeStringGX(c.session, &channels, VOTARSIN_ATTR_DIGITAL_START_TRIGGER_SOURCE, &v, e); }); }},
    {"voTarsin_GxReadStreamI16", Outputs::kNone, [](Context& c) {
       VoGxArrayHandle data = nullptr; VoTarsinReadInfo info;
       return voTarsin_GxReadStreamI16(c.session, 0, 0, 32, &data, &info); }},
    {"voTarsin_GxReadStreamF64", Outputs::kNone, [](Context& c) {
       VoGxArrayHandle data = nullptr; VoTarsinReadInfo info;
       return voTarsin_GxReadStreamF64(c.session, 0, 0, 32, &data, &info); }},
    {"voTarsin_GxReadStream2DI16", Outputs::kNone, [](Context& c) {
       VoGxArrayHandle data = nullptr, info = nullptr;
       return voTarsin_GxReadStream2DI16(c.session, 0, 0, 0xFFFFFFFFFFFFFFFFull, 16, &data, &info); }},
    {"voTarsin_GxReadStream2DF64", Outputs::kNone, [](Context& c) {
       VoGxArrayHandle data = nullptr, info = nullptr;
       return voTarsin_GxReadStream2DF64(c.session, 0, 0, 2, 16, &data, &info); }},
  };
}
/* clang-format on */

struct FaultClass {
  const char* name;
  VoDevFault fault;
  std::string context;  // CONTEXT: the bytes
};

std::vector<FaultClass> faultClasses() {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "{\"nested_error\":";
  deep += "1";
  std::string full(9000, 'x');  // more than the buffer, no terminator
  full[0] = '{';
  const auto fault = [](VoDevFaultKind kind, uint32_t nth, int32_t status, uint64_t size = 0) {
    return VoDevFault{kind, 0, nth, status, nullptr, size, 1};
  };
  return {
      {"error on every request", fault(VODEV_FAULT_STATUS, 0, VODEV_E_INVALID_VALUE), {}},
      {"error on the first request", fault(VODEV_FAULT_STATUS, 1, VODEV_E_INVALID_VALUE), {}},
      {"error on the second request", fault(VODEV_FAULT_STATUS, 2, VODEV_E_INVALID_VALUE), {}},
      {"warning", fault(VODEV_FAULT_WARNING, 0, 61500), {}},
      {"short response", fault(VODEV_FAULT_SHORT, 0, 0, 4), {}},
      {"oversized response", fault(VODEV_FAULT_OVERSIZED, 0, 0), {}},
      {"time-out", fault(VODEV_FAULT_TIMEOUT, 0, 0), {}},
      {"garbage context", fault(VODEV_FAULT_CONTEXT, 0, 0), "\x01\x02garbage]]}{\"a\":tru"},
      {"truncated context", fault(VODEV_FAULT_CONTEXT, 0, 0),
       R"({"error_constant":"vodeverr_invalidValue","translator":"mxlator_votarsinapi","transl)"},
      {"non-UTF-8 context", fault(VODEV_FAULT_CONTEXT, 0, 0),
       "{\"error_constant\":\"\xff\xfe\xc0\",\"translator\":\"mxlator_votarsinapi\","
       "\"translator_info\":{\"attribute\":\"\xe9\"}}"},
      {"very deep context", fault(VODEV_FAULT_CONTEXT, 0, 0), deep},
      {"context filling the buffer", fault(VODEV_FAULT_CONTEXT, 0, 0), full},
  };
}

class FaultSweep : public ::testing::Test {
 protected:
  // A fresh device and session, as each call of the sweep starts from.
  Context fresh() {
    VoDev_SetFault(nullptr);
    VoDev_Reset();
    GxRt_DisposeAll();
    Context c;
    EXPECT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &c.session));
    EXPECT_EQ(0, voTarsin_OpenSession("SIM0", nullptr, 0, &c.simulated));
    return c;
  }
  void TearDown() override {
    VoDev_SetFault(nullptr);
    VoDev_Reset();
    GxRt_DisposeAll();
  }
};

TEST_F(FaultSweep, EveryExportUnderEveryFault) {
  const std::vector<Export> table = exports();
  const std::vector<FaultClass> classes = faultClasses();
  std::vector<int32_t> baseline;
  for (const Export& e : table) {
    Context c = fresh();
    baseline.push_back(e.call(c));
  }
  size_t runs = 0;
  for (const FaultClass& fc : classes) {
    uint64_t classHits = 0;
    for (size_t i = 0; i < table.size(); ++i) {
      const Export& e = table[i];
      SCOPED_TRACE(std::string(e.name) + " under " + fc.name);
      Context c = fresh();
      VoDevFault fault = fc.fault;
      fault.data = fc.context.data();
      if (fault.kind == VODEV_FAULT_CONTEXT) fault.size = fc.context.size();
      VoDev_SetFault(&fault);

      const int32_t status = e.call(c);
      const uint64_t hits = VoDev_FaultHits();
      classHits += hits;
      ++runs;
      if (e.outputs == Outputs::kOnlyOnSuccess && status != 0) {
        EXPECT_TRUE(c.outputsUntouched) << "output written with status " << status;
      }
      // A request the driver failed is never reported as success.
      const bool failsEveryRequest =
          fault.nth == 0 && (fault.kind == VODEV_FAULT_STATUS || fault.kind == VODEV_FAULT_TIMEOUT);
      const bool describes = std::strstr(e.name, "GetError") != nullptr;
      if (failsEveryRequest && hits > 0 && !describes) {
        EXPECT_LT(status, 0);
      }
      // Every failure can be described while the driver still misbehaves.
      if (status != 0) {
        char text[256];
        EXPECT_EQ(0, voTarsin_GetError(c.session, status, sizeof text, text));
        EXPECT_LT(strnlen(text, sizeof text), sizeof text);
        if (!c.errorTexts.empty() && !describes) {
          const VoGxStringHandle error = c.errorTexts.back();
          ASSERT_NE(error, nullptr) << "GX failure without error text, status " << status;
          EXPECT_GE((*error)->count, 1);
          EXPECT_EQ((*error)->text[0], '\n');
        }
      }

      // Without the fault, on a fresh device, the call is as it was.
      Context again = fresh();
      EXPECT_EQ(e.call(again), baseline[i]) << "after status " << status;
    }
    EXPECT_GT(classHits, 0u) << fc.name << " never reached the driver";
  }
  EXPECT_EQ(runs, table.size() * classes.size());
  RecordProperty("runs", static_cast<int>(runs));
}

// The injector itself: which requests a fault hits and what each kind does.
TEST_F(FaultSweep, FaultsHitTheChosenRequestsAsDocumented) {
  Context c = fresh();
  int32_t value = 0;
  VoDevFault fault{VODEV_FAULT_STATUS, 256, 2, VODEV_E_INVALID_VALUE, nullptr, 0, 0};
  VoDev_SetFault(&fault);
  EXPECT_EQ(0, tarsin_writeBar32(c.session, 16, 7));  // function 1: not counted
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(c.session, "AI0", VOTARSIN_ATTR_AI_COUPLING, &value));
  EXPECT_EQ(VODEV_E_INVALID_VALUE,
            voTarsin_GetAttributeInt32(c.session, "AI0", VOTARSIN_ATTR_AI_COUPLING, &value));
  EXPECT_EQ(0, voTarsin_GetAttributeInt32(c.session, "AI0", VOTARSIN_ATTR_AI_COUPLING, &value));
  EXPECT_EQ(VoDev_FaultHits(), 1u);

  // Register reads keep the response's first four bytes whatever the status.
  uint32_t reg = 0;
  fault = {VODEV_FAULT_SHORT, 0, 0, 0, nullptr, 2, 0};
  VoDev_SetFault(&fault);
  EXPECT_EQ(0, tarsin_readBar32(c.session, 16, &reg));
  EXPECT_EQ(reg & 0xFFFF0000u, 0xA5A50000u);
  fault = {VODEV_FAULT_OVERSIZED, 0, 0, 0, nullptr, 0, 0};
  VoDev_SetFault(&fault);
  EXPECT_EQ(0, tarsin_readBar32(c.session, 16, &reg));
  EXPECT_EQ(reg, 0xFFFFFFFFu);
  fault = {VODEV_FAULT_WARNING, 0, 0, 61500, nullptr, 0, 0};
  VoDev_SetFault(&fault);
  EXPECT_EQ(61500, tarsin_readBar32(c.session, 16, &reg));
  EXPECT_EQ(reg, 7u);
  fault = {VODEV_FAULT_TIMEOUT, 0, 1, 0, nullptr, 0, 5};
  VoDev_SetFault(&fault);
  EXPECT_EQ(VODEV_E_WAIT_TIMED_OUT, tarsin_readBar32(c.session, 16, &reg));
  EXPECT_EQ(0, tarsin_readBar32(c.session, 16, &reg));

  // A context answer is copied at once and given to function 800 only.
  std::string context = R"({"error_constant":"injected"})";
  fault = {VODEV_FAULT_CONTEXT, 0, 0, 0, context.data(), context.size(), 0};
  VoDev_SetFault(&fault);
  context.assign(context.size(), 'x');
  EXPECT_EQ(0, tarsin_readBar32(c.session, 16, &reg));
  char answer[64] = {};
  EXPECT_EQ(
      0, VoFpgaDll_ClientFunctionCall(c.session, 2, 800, &fault.status, 4, answer, sizeof answer));
  EXPECT_STREQ(answer, R"({"error_constant":"injected"})");
  EXPECT_EQ(VoDev_FaultHits(), 2u);

  VoDev_Reset();  // removes the fault
  EXPECT_EQ(VoDev_FaultHits(), 0u);
}

}  // namespace
