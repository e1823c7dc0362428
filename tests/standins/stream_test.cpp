// The stream family through raw request bytes: record checks, the life of a
// stream (start, wait, read, clear), the read's buffers, response and
// information records, and modelled time with its overflow.
#include <cstddef>

#include "acquisition_support.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

class StreamRequestTest : public StandinTest {};

TEST_F(StreamRequestTest, RecordsNeedTheirSizeHeaderAndAStreamOfTheDevice) {
  int16_t data[4];
  uint8_t info[kInfoSize];
  uint8_t response[kReadResponseSize];
  const Bytes records[] = {StreamRecord(kStart, 0), StreamRecord(kClear, 0), WaitRecord(0, 0, 0),
                           ReadRecord(0, 8, 1, data, info, 0, kInt16)};
  for (const Bytes& record : records) {
    const uint32_t command = Take<uint32_t>(record.data(), 16);
    SCOPED_TRACE(command);
    Bytes shorter(record.begin(), record.end() - 1);
    EXPECT_EQ(Send(hardware_, shorter, response, sizeof response), VODEV_E_BAD_REQUEST_SIZE);
    Bytes longer = record;
    longer.push_back(0);
    EXPECT_EQ(Send(hardware_, longer, response, sizeof response), VODEV_E_BAD_REQUEST_SIZE);
    Bytes dirty = record;
    Put<uint32_t>(dirty, 4, 1);
    EXPECT_EQ(Send(hardware_, dirty, response, sizeof response), VODEV_E_MALFORMED_REQUEST);
    Bytes farStream = record;
    Put<uint32_t>(farStream, 20, 64);
    EXPECT_EQ(Send(hardware_, farStream, response, sizeof response), VODEV_E_NO_SUCH_STREAM);
    Put<uint32_t>(farStream, 20, 0xFFFFFFFFu);
    EXPECT_EQ(Send(hardware_, farStream, response, sizeof response), VODEV_E_NO_SUCH_STREAM);
    EXPECT_EQ(Send(hardware_, record, response, sizeof response), 0);
  }
  // Only the read request carries 1 in header words 3 and 4, and it must.
  Bytes start = StreamRecord(kStart, 0);
  Put<uint32_t>(start, 8, 1);
  Put<uint32_t>(start, 12, 1);
  EXPECT_EQ(Send(hardware_, start), VODEV_E_MALFORMED_REQUEST);
  Bytes read = ReadRecord(0, 8, 1, data, info, 0, kInt16);
  Put<uint32_t>(read, 12, 0);
  EXPECT_EQ(Send(hardware_, read, response, sizeof response), VODEV_E_MALFORMED_REQUEST);

  EXPECT_EQ(Send(hardware_, StreamRecord(273, 0)), VODEV_E_UNSUPPORTED_COMMAND);
  EXPECT_EQ(Send(hardware_, StreamRecord(279, 0)), VODEV_E_UNSUPPORTED_COMMAND);
  uint8_t small[8];
  EXPECT_EQ(Send(hardware_, WaitRecord(0, 0, 0), small, sizeof small), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Send(hardware_, WaitRecord(0, 0, 0)), VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Send(hardware_, ReadRecord(0, 8, 1, data, info, 0, kInt16), response, 27),
            VODEV_E_RESPONSE_TOO_SMALL);
}

TEST_F(StreamRequestTest, FailuresLeaveAContextNamingTheStream) {
  ASSERT_EQ(Send(hardware_, StreamRecord(kStart, 64)), VODEV_E_NO_SUCH_STREAM);
  std::string text = Elaborate(hardware_, VODEV_E_NO_SUCH_STREAM).text;
  EXPECT_NE(text.find(R"("error_constant":"vodeverr_noSuchStream")"), std::string::npos) << text;
  EXPECT_NE(text.find(R"("usage":"kUsageTypeChannelName","value":"64")"), std::string::npos)
      << text;
  EXPECT_NE(text.find(R"("value":"RIO0")"), std::string::npos) << text;

  ASSERT_EQ(Send(simulated_, SetU64(kChannelsEnabled, "9", 0)), 0);
  ASSERT_EQ(Simulation_ClientFunctionCall(simulated_, kGroup, kFamilyRequest,
                                          StreamRecord(kStart, 9).data(), 24, nullptr, 0),
            VODEV_E_INVALID_VALUE);
  text = Elaborate(simulated_, VODEV_E_INVALID_VALUE).text;
  EXPECT_NE(text.find(R"("component":"votarsinsimulation")"), std::string::npos) << text;
  EXPECT_NE(text.find("AI0 to AI15"), std::string::npos) << text;
  EXPECT_NE(text.find(R"("kUsageTypeAttributeId","value":1342177282})"), std::string::npos) << text;
  EXPECT_NE(text.find(R"("kUsageTypeChannelName","value":"9")"), std::string::npos) << text;
}

TEST_F(StreamRequestTest, StartRefusesUnusableConfigurationsAndKeepsTheRunningStream) {
  ConfigureStream(hardware_, 2, 0x1, true, 100);
  ASSERT_EQ(StartStream(hardware_, 2), 0);

  struct Case {
    uint32_t id;
    Bytes set;
  };
  const Case cases[] = {
      {kChannelsEnabled, SetU64(kChannelsEnabled, "2", 0)},
      {kChannelsEnabled, SetU64(kChannelsEnabled, "2", 0x10001)},  // AI16 does not exist
      {kSamples, SetU64(kSamples, "2", 0)},
      {kTriggerSource, SetI32(kTriggerType, "2", 1)},  // digital without a source
      {kEdgeLevel, SetF64(kEdgeLevel, "2", NAN)},
      {kEdgeHysteresis, SetF64(kEdgeHysteresis, "2", -0.1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id);
    ASSERT_EQ(Send(hardware_, c.set), 0);
    if (c.id == kEdgeLevel || c.id == kEdgeHysteresis) {
      ASSERT_EQ(Send(hardware_, SetI32(kTriggerType, "2", 4)), 0);
    }
    EXPECT_EQ(StartStream(hardware_, 2), VODEV_E_INVALID_VALUE);
    std::string text = Elaborate(hardware_, VODEV_E_INVALID_VALUE).text;
    EXPECT_NE(text.find(R"("kUsageTypeAttributeId","value":)" + std::to_string(c.id) + "}"),
              std::string::npos)
        << text;
    // Undo: back to a startable configuration.
    ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, Take<uint32_t>(c.set.data(), 20), 0, "2")),
              0);
    ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, kTriggerType, 0, "2")), 0);
  }
  // A continuous stream needs a FIFO.
  ASSERT_EQ(Send(hardware_, SetBool(kFinite, "2", 0)), 0);
  ASSERT_EQ(Send(hardware_, SetU64(kFifoSize, "2", 0)), 0);
  EXPECT_EQ(StartStream(hardware_, 2), VODEV_E_INVALID_VALUE);

  // The stream started first is still there, untouched by the refusals.
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 2, 1, 100);
  EXPECT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 100u);
  EXPECT_EQ(read.completion, 1u);
}

class StreamLifeTest : public StandinTest {};

TEST_F(StreamLifeTest, StartTakesTheConfigurationOfThatMoment) {
  ConfigureStream(hardware_, 3, (1u << 1) | (1u << 4), true, 500);
  ASSERT_EQ(StartStream(hardware_, 3), 0);
  // Later changes wait for the next start.
  ConfigureStream(hardware_, 3, 0x7, true, 50);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 3, 3, 10);
  EXPECT_EQ(read.status, VODEV_E_INVALID_VALUE);
  read = ReadStream<int16_t>(hardware_, 3, 2, 500);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 500u);
  EXPECT_EQ(read.info[0].channel, 1u);
  EXPECT_EQ(read.info[1].channel, 4u);
  // A new start takes the new configuration and begins the record again.
  ASSERT_EQ(StartStream(hardware_, 3), 0);
  read = ReadStream<int16_t>(hardware_, 3, 3, 60);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 50u);
  EXPECT_EQ(read.info[2].channel, 2u);
  EXPECT_EQ(read.info[0].position, 0u);
  // Other streams are not started by it.
  read = ReadStream<int16_t>(hardware_, 4, 1, 10);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_STOPPED});
}

TEST_F(StreamLifeTest, ClearStopsTheStreamAndDropsItsSamples) {
  ConfigureStream(hardware_, 0, 0x1, true, 1000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  WaitResult wait = WaitFor(hardware_, 0, 0, 0);
  EXPECT_EQ(wait.status, 0);
  EXPECT_EQ(wait.count, 1000u);
  ASSERT_EQ(Send(hardware_, StreamRecord(kClear, 0)), 0);
  wait = WaitFor(hardware_, 0, 0, 0);
  EXPECT_EQ(wait.status, 0);
  EXPECT_EQ(wait.count, 0u);
  EXPECT_EQ(wait.state, VODEV_STREAM_STOPPED);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 10);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_TRUE(Unwritten(read.data[0][0]));
  // Clearing a stream that never ran is harmless.
  EXPECT_EQ(Send(hardware_, StreamRecord(kClear, 63)), 0);
}

TEST_F(StreamLifeTest, StreamsBelongToTheDeviceAndEndWithItsReset) {
  uint32_t second = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &second), 0);
  ConfigureStream(hardware_, 7, 0x1, true, 100);
  ASSERT_EQ(StartStream(hardware_, 7), 0);
  ReadResult<int16_t> first = ReadStream<int16_t>(hardware_, 7, 1, 40);
  ReadResult<int16_t> rest = ReadStream<int16_t>(second, 7, 1, 60);
  ASSERT_EQ(rest.status, 0);
  EXPECT_EQ(rest.info[0].position, 40u);
  EXPECT_EQ(rest.delivered, 60u);
  // A session of another device does not see it.
  EXPECT_EQ(ReadStream<int16_t>(simulated_, 7, 1, 1).delivered, 0u);

  ASSERT_EQ(StartStream(hardware_, 7), 0);
  ASSERT_EQ(VoFpgaDll_Close(second, VODEV_CLOSE_RESET_DEVICE), 0);
  ReadResult<int16_t> after = ReadStream<int16_t>(hardware_, 7, 1, 10);
  EXPECT_EQ(after.delivered, 0u);
  EXPECT_EQ(after.state, uint32_t{VODEV_STREAM_STOPPED});

  ConfigureStream(simulated_, 1, 0x1, true, 100);
  ASSERT_EQ(StartStream(simulated_, 1), 0);
  ASSERT_EQ(voTarsin_RestartSimulation(simulated_, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(WaitFor(simulated_, 1, 0, 0).state, VODEV_STREAM_STOPPED);
  EXPECT_EQ(WaitFor(simulated_, 1, 0, 0).count, 0u);
}

class StreamReadTest : public StandinTest {};

TEST_F(StreamReadTest, InformationRecordsDescribeEachRow) {
  static_assert(offsetof(VoDevReadInfo, position) == 8 && offsetof(VoDevReadInfo, t0) == 24 &&
                offsetof(VoDevReadInfo, gain) == 40 && offsetof(VoDevReadInfo, channel) == 56 &&
                offsetof(VoDevReadInfo, state) == 64 && offsetof(VoDevReadInfo, ready) == 72);
  ASSERT_EQ(Send(hardware_, SetF64(kAiRange, "AI6", 2.0)), 0);
  ConfigureStream(hardware_, 5, (1u << 2) | (1u << 6), true, 1000);
  ASSERT_EQ(StartStream(hardware_, 5), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 5, 2, 300);
  ASSERT_EQ(read.status, 0);
  EXPECT_TRUE(read.guardsIntact);
  EXPECT_EQ(read.delivered, 300u);
  EXPECT_EQ(read.ready, 700u);
  EXPECT_EQ(read.rows, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_STOPPED});  // the finite record is complete
  EXPECT_EQ(read.completion, 1u);
  for (size_t row = 0; row < 2; ++row) {
    const Info& info = read.info[row];
    EXPECT_EQ(info.delivered, 300u);
    EXPECT_EQ(info.position, 0u);
    EXPECT_EQ(info.triggerIndex, 0u);
    EXPECT_EQ(info.t0, 0.0);
    EXPECT_EQ(info.dt, 4e-9);
    EXPECT_EQ(info.offset, 0.0);
    EXPECT_EQ(info.dataType, kInt16);
    EXPECT_EQ(info.state, uint32_t{VODEV_STREAM_STOPPED});
    EXPECT_EQ(info.flags, VODEV_INFO_TRIGGERED | VODEV_INFO_FINITE);
    EXPECT_EQ(info.ready, 700u);
  }
  EXPECT_EQ(read.info[0].channel, 2u);
  EXPECT_EQ(read.info[0].gain, 1.0 / 8192);
  EXPECT_EQ(read.info[1].channel, 6u);
  EXPECT_EQ(read.info[1].gain, 2.0 / 8192);
  // The struct of the hook header reads the same bytes.
  VoDevReadInfo asStruct;
  std::memcpy(&asStruct, read.rawInfo.data() + kInfoSize, kInfoSize);
  EXPECT_EQ(asStruct.channel, 6u);
  EXPECT_EQ(asStruct.ready, 700u);

  read = ReadStream<int16_t>(hardware_, 5, 2, 300);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.info[1].position, 300u);
  EXPECT_DOUBLE_EQ(read.info[1].t0, 300 * 4e-9);
  EXPECT_EQ(read.info[1].ready, 400u);
}

TEST_F(StreamReadTest, ReadsInPiecesContinueTheRecord) {
  ConfigureStream(hardware_, 0, 0x1 | 0x8, true, 1000);
  ConfigureStream(hardware_, 1, 0x1 | 0x8, true, 1000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  ReadResult<int16_t> whole = ReadStream<int16_t>(hardware_, 0, 2, 1000);
  ASSERT_EQ(whole.status, 0);
  for (uint64_t piece = 0; piece < 4; ++piece) {
    ReadResult<int16_t> part = ReadStream<int16_t>(hardware_, 1, 2, 250);
    ASSERT_EQ(part.status, 0);
    ASSERT_EQ(part.delivered, 250u);
    for (size_t row = 0; row < 2; ++row) {
      EXPECT_TRUE(std::equal(part.data[row].begin(), part.data[row].end(),
                             whole.data[row].begin() + piece * 250))
          << "piece " << piece << " row " << row;
    }
  }
}

TEST_F(StreamReadTest, ReadingPastTheEndOfAFiniteRecordIsIncomplete) {
  ConfigureStream(hardware_, 0, 0x1, true, 1000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ASSERT_EQ(ReadStream<double>(hardware_, 0, 1, 600).delivered, 600u);
  ReadResult<double> read = ReadStream<double>(hardware_, 0, 1, 600, 1000);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 400u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_STOPPED});
  EXPECT_EQ(read.info[0].delivered, 400u);
  EXPECT_EQ(read.info[0].flags & VODEV_INFO_INCOMPLETE, VODEV_INFO_INCOMPLETE);
  EXPECT_FALSE(Unwritten(read.data[0][399]));
  EXPECT_TRUE(Unwritten(read.data[0][400]));
  EXPECT_TRUE(Unwritten(read.data[0][599]));
  EXPECT_TRUE(read.guardsIntact);
  // Nothing is left; a read of nothing is complete.
  read = ReadStream<double>(hardware_, 0, 1, 1);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(ReadStream<double>(hardware_, 0, 1, 0).completion, 1u);
}

TEST_F(StreamReadTest, AStreamNeverStartedDeliversNothing) {
  ASSERT_EQ(Send(hardware_, SetU64(kChannelsEnabled, "12", 0x30)), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 12, 2, 16);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_STOPPED});
  EXPECT_TRUE(Unwritten(read.data[0][0]));
  EXPECT_TRUE(Unwritten(read.data[1][15]));
  EXPECT_EQ(read.info[0].channel, 4u);
  EXPECT_EQ(read.info[1].channel, 5u);
  EXPECT_EQ(read.info[1].triggerIndex, kNotTriggered);
  EXPECT_EQ(read.info[1].flags, VODEV_INFO_INCOMPLETE);
  EXPECT_TRUE(read.guardsIntact);
}

TEST_F(StreamReadTest, BuffersAreCheckedBeforeAnythingIsWritten) {
  ConfigureStream(hardware_, 0, 0x3, true, 100);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  std::vector<int16_t> data(200, 0x5A5A);
  std::vector<uint8_t> info(2 * kInfoSize, 0x5A);
  uint8_t response[kReadResponseSize];
  std::memset(response, 0x5A, sizeof response);
  struct Case {
    const char* what;
    Bytes record;
    int32_t status;
  };
  const uint64_t bytes = 100 * sizeof(int16_t);
  const Case cases[] = {
      {"null samples", ReadRecord(0, bytes, 2, nullptr, info.data(), 0, kInt16),
       VODEV_E_NULL_BUFFER},
      {"null records", ReadRecord(0, bytes, 2, data.data(), nullptr, 0, kInt16),
       VODEV_E_NULL_BUFFER},
      {"one row for two channels", ReadRecord(0, bytes, 1, data.data(), info.data(), 0, kInt16),
       VODEV_E_BUFFER_TOO_SMALL},
      {"no rows", ReadRecord(0, bytes, 0, data.data(), info.data(), 0, kInt16),
       VODEV_E_BUFFER_TOO_SMALL},
      {"three rows for two channels",
       ReadRecord(0, bytes / 2, 3, data.data(), info.data(), 0, kInt16), VODEV_E_INVALID_VALUE},
      {"half a sample", ReadRecord(0, 7, 2, data.data(), info.data(), 0, kInt16),
       VODEV_E_MALFORMED_REQUEST},
      {"half a double", ReadRecord(0, 12, 2, data.data(), info.data(), 0, kFloat64),
       VODEV_E_MALFORMED_REQUEST},
      {"size beyond 64 bits",
       ReadRecord(0, uint64_t{1} << 63, 2, data.data(), info.data(), 0, kInt16),
       VODEV_E_MALFORMED_REQUEST},
      {"records beyond the address space",
       ReadRecord(0, bytes, 2, data.data(), reinterpret_cast<void*>(~uintptr_t{0} - 100), 0,
                  kInt16),
       VODEV_E_MALFORMED_REQUEST},
      {"unknown data type", ReadRecord(0, bytes, 2, data.data(), info.data(), 0, 2),
       VODEV_E_WRONG_VALUE_TYPE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Send(hardware_, c.record, response, sizeof response), c.status);
    EXPECT_NE(Elaborate(hardware_, c.status).text, "{}");
  }
  EXPECT_EQ(Send(hardware_, ReadRecord(0, bytes, 2, data.data(), info.data(), 0, kInt16), response,
                 sizeof response - 1),
            VODEV_E_RESPONSE_TOO_SMALL);
  for (int16_t value : data) ASSERT_EQ(value, 0x5A5A);
  for (uint8_t byte : info) ASSERT_EQ(byte, 0x5A);
  for (uint8_t byte : response) ASSERT_EQ(byte, 0x5A);
  std::string text = Elaborate(hardware_, VODEV_E_BUFFER_TOO_SMALL).text;
  EXPECT_NE(text.find("0 rows but the stream carries 2 channels"), std::string::npos) << text;
  // The refused reads took nothing from the stream.
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 2, 100);
  EXPECT_EQ(read.info[0].position, 0u);
  EXPECT_EQ(read.delivered, 100u);
  // A read of no samples needs no sample buffer.
  EXPECT_EQ(Send(hardware_, ReadRecord(0, 0, 2, nullptr, info.data(), 0, kInt16), response,
                 sizeof response),
            0);
}

TEST_F(StreamReadTest, RowsFollowTheChannelOrderAtTheirStride) {
  // Three channels in one stream, each also alone in a stream of its own.
  ConfigureStream(hardware_, 0, (1u << 9) | (1u << 0) | (1u << 5), true, 256);
  const int channels[] = {0, 5, 9};
  for (uint32_t i = 0; i < 3; ++i) ConfigureStream(hardware_, 10 + i, 1u << channels[i], true, 256);
  for (uint32_t stream : {0u, 10u, 11u, 12u}) ASSERT_EQ(StartStream(hardware_, stream), 0);
  ReadResult<double> block = ReadStream<double>(hardware_, 0, 3, 256);
  ASSERT_EQ(block.status, 0);
  for (uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(channels[i]);
    ReadResult<double> alone = ReadStream<double>(hardware_, 10 + i, 1, 256);
    ASSERT_EQ(alone.status, 0);
    EXPECT_EQ(block.info[i].channel, static_cast<uint32_t>(channels[i]));
    EXPECT_EQ(block.data[i], alone.data[0]);
  }
  // The channels differ, so a row in the wrong place would show.
  EXPECT_NE(block.data[0], block.data[1]);
  EXPECT_NE(block.data[1], block.data[2]);
}

TEST_F(StreamReadTest, Float64SamplesAreCodeTimesGainPlusOffset) {
  ASSERT_EQ(Send(hardware_, SetF64(kAiRange, "AI3", 2.0)), 0);
  const double gain = GetF64(hardware_, kAiGain, "AI3");
  ASSERT_EQ(gain, 2.0 / 8192);
  ConfigureStream(hardware_, 0, 1u << 3, true, 5000);
  ConfigureStream(hardware_, 1, 1u << 3, true, 5000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  ReadResult<int16_t> codes = ReadStream<int16_t>(hardware_, 0, 1, 5000);
  ReadResult<double> volts = ReadStream<double>(hardware_, 1, 1, 5000);
  ASSERT_EQ(codes.status, 0);
  ASSERT_EQ(volts.status, 0);
  EXPECT_EQ(volts.info[0].gain, gain);
  EXPECT_EQ(volts.info[0].dataType, kFloat64);
  for (size_t k = 0; k < 5000; ++k) {
    ASSERT_EQ(volts.data[0][k], codes.data[0][k] * gain + 0.0) << k;
  }
}

class StreamWaitTest : public StandinTest {};

TEST_F(StreamWaitTest, FiniteRecordsAreCompleteOnceTriggered) {
  ConfigureStream(hardware_, 4, 0x1, true, 1000);
  ASSERT_EQ(StartStream(hardware_, 4), 0);
  WaitResult wait = WaitFor(hardware_, 4, 1000, 0);
  EXPECT_EQ(wait.status, 0);
  EXPECT_EQ(wait.count, 1000u);
  EXPECT_EQ(wait.state, VODEV_STREAM_STOPPED);
  // More than the record holds never comes; the answer is still written.
  wait = WaitFor(hardware_, 4, 1001, 5000);
  EXPECT_EQ(wait.status, VODEV_E_WAIT_TIMED_OUT);
  EXPECT_EQ(wait.count, 1000u);
  EXPECT_EQ(wait.state, VODEV_STREAM_STOPPED);
  EXPECT_NE(Elaborate(hardware_, VODEV_E_WAIT_TIMED_OUT).text.find(R"("value":"4")"),
            std::string::npos);
  // Waiting on a stream that never started cannot succeed either.
  wait = WaitFor(hardware_, 5, 1, 10);
  EXPECT_EQ(wait.status, VODEV_E_WAIT_TIMED_OUT);
  EXPECT_EQ(wait.count, 0u);
  EXPECT_EQ(wait.state, VODEV_STREAM_STOPPED);
  // The state query always answers.
  EXPECT_EQ(WaitFor(hardware_, 5, 0, 0).status, 0);
}

TEST_F(StreamWaitTest, ContinuousStreamsAcquireInModelledTime) {
  ConfigureStream(hardware_, 0, 0x1, false, 0);
  ConfigureStream(hardware_, 1, 0x1, true, 3000);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ASSERT_EQ(StartStream(hardware_, 1), 0);
  const std::vector<int16_t> reference = ReadStream<int16_t>(hardware_, 1, 1, 3000).data[0];

  // No time passes without a timeout: nothing is there yet.
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 1000);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 0u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_ACQUIRING});
  EXPECT_EQ(read.info[0].flags, VODEV_INFO_TRIGGERED | VODEV_INFO_INCOMPLETE);
  // 1 ms is 250 000 samples at 250 MS/s: the read gets what it waits for.
  read = ReadStream<int16_t>(hardware_, 0, 1, 1000, 1);
  ASSERT_EQ(read.delivered, 1000u);
  EXPECT_EQ(read.completion, 1u);
  EXPECT_EQ(read.ready, 0u);  // time passed only until the samples were there
  EXPECT_TRUE(std::equal(read.data[0].begin(), read.data[0].end(), reference.begin()));
  // A wait lets samples pile up; the read takes them without waiting.
  WaitResult wait = WaitFor(hardware_, 0, 2000, 1);
  EXPECT_EQ(wait.status, 0);
  EXPECT_EQ(wait.count, 2000u);
  EXPECT_EQ(wait.state, VODEV_STREAM_ACQUIRING);
  read = ReadStream<int16_t>(hardware_, 0, 1, 1500);
  ASSERT_EQ(read.delivered, 1500u);
  EXPECT_EQ(read.ready, 500u);
  EXPECT_TRUE(std::equal(read.data[0].begin(), read.data[0].end(), reference.begin() + 1000));
}

TEST_F(StreamWaitTest, ContinuousStreamsOverflowTheirFifo) {
  ConfigureStream(hardware_, 2, 0x1, false, 0);
  ASSERT_EQ(Send(hardware_, SetU64(kFifoSize, "2", 4096)), 0);
  ASSERT_EQ(StartStream(hardware_, 2), 0);
  WaitResult wait = WaitFor(hardware_, 2, 4096, 1);
  ASSERT_EQ(wait.status, 0);
  EXPECT_EQ(wait.count, 4096u);
  // One sample more than the FIFO holds is lost.
  wait = WaitFor(hardware_, 2, 4097, 1);
  EXPECT_EQ(wait.status, VODEV_E_STREAM_OVERFLOW);
  EXPECT_EQ(wait.count, 4096u);
  EXPECT_EQ(wait.state, VODEV_STREAM_OVERFLOW);
  EXPECT_NE(Elaborate(hardware_, VODEV_E_STREAM_OVERFLOW).text.find("vodeverr_streamOverflow"),
            std::string::npos);
  // What the FIFO held is still delivered, then the read is incomplete.
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 2, 1, 5000, 1000);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.delivered, 4096u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.state, uint32_t{VODEV_STREAM_OVERFLOW});
  EXPECT_EQ(WaitFor(hardware_, 2, 0, 0).state, VODEV_STREAM_OVERFLOW);
  // A new start recovers.
  ASSERT_EQ(StartStream(hardware_, 2), 0);
  EXPECT_EQ(ReadStream<int16_t>(hardware_, 2, 1, 5000, 1000).completion, 1u);
}

TEST_F(StreamWaitTest, TheSampleClockSetsTimeAndDt) {
  // 250 MS/s / 1000: one millisecond is 250 samples.
  ASSERT_EQ(Send(hardware_, SetI32(kAdcClockDivisor, "", 1000)), 0);
  EXPECT_EQ(GetF64(hardware_, kAdcSampleRate, ""), 250e3);
  EXPECT_EQ(GetF64(hardware_, kSampleDt, ""), 1.0 / 250e3);
  ConfigureStream(hardware_, 0, 0x1, false, 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 0, 1, 1000, 3);
  EXPECT_EQ(read.delivered, 750u);
  EXPECT_EQ(read.completion, 2u);
  EXPECT_EQ(read.info[0].dt, 1.0 / 250e3);
  read = ReadStream<int16_t>(hardware_, 0, 1, 250, 1);
  EXPECT_EQ(read.completion, 1u);
  EXPECT_DOUBLE_EQ(read.info[0].t0, 750 / 250e3);

  // An external clock: its timebase rate counts, divided likewise.
  ASSERT_EQ(Send(hardware_, SetI32(kSampleClockSource, "", 1)), 0);
  ASSERT_EQ(Send(hardware_, SetF64(kTimebaseRate, "", 100e6)), 0);
  EXPECT_EQ(GetF64(hardware_, kAdcSampleRate, ""), 100e3);
  ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, kAdcClockDivisor, 0, "")), 0);
  EXPECT_EQ(GetF64(hardware_, kSampleDt, ""), 1e-8);
  // Resetting one attribute leaves the others.
  ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, kSampleClockSource, 0, "")), 0);
  EXPECT_EQ(GetF64(hardware_, kSampleDt, ""), 4e-9);
  EXPECT_EQ(GetF64(hardware_, kTimebaseRate, ""), 100e6);

  for (int32_t divisor : {0, -4}) {
    EXPECT_EQ(Send(hardware_, SetI32(kAdcClockDivisor, "", divisor)), VODEV_E_INVALID_VALUE);
  }
  for (double rate : {0.0, -1.0, double{NAN}, double{INFINITY}, 20e9}) {
    EXPECT_EQ(Send(hardware_, SetF64(kTimebaseRate, "", rate)), VODEV_E_INVALID_VALUE) << rate;
  }
}

TEST_F(StreamWaitTest, ResetToDefaultActsOnOneAttributeOfOneStream) {
  ConfigureStream(hardware_, 2, 0x6, true, 10);
  ConfigureStream(hardware_, 3, 0x6, true, 10);
  ASSERT_EQ(Send(hardware_, AttributeRecord(kReset, kChannelsEnabled, 0, "2")), 0);
  ASSERT_EQ(StartStream(hardware_, 2), 0);
  ASSERT_EQ(StartStream(hardware_, 3), 0);
  ReadResult<int16_t> read = ReadStream<int16_t>(hardware_, 2, 1, 10);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.info[0].channel, 0u);  // back to AI0 alone
  EXPECT_EQ(read.delivered, 10u);       // the sample count stayed
  read = ReadStream<int16_t>(hardware_, 3, 2, 10);
  ASSERT_EQ(read.status, 0);
  EXPECT_EQ(read.info[1].channel, 2u);
}

}  // namespace
}  // namespace standin_test
