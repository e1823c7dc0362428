// Damaged and random requests must be refused with a model code, never crash
// or write outside the response buffer.
#include <random>

#include "acquisition_support.h"
#include "votarsinsimulation.h"

namespace standin_test {
namespace {

bool IsModelStatus(int32_t status) { return status == 0 || (status <= -61000 && status >= -61099); }

class RobustnessTest : public StandinTest {};

TEST_F(RobustnessTest, RandomlyDamagedRequestsGetModelCodes) {
  std::mt19937 random(20240611);
  const Bytes seeds[] = {AttributeRecord(kGet, 0x20000010, kWireF64, "AI1"),
                         SetString(0x30000006, "", "alias"), SetU64(0x50000000, "2", 5),
                         AttributeRecord(kQuery, 0x10000005, 0, "")};
  constexpr size_t kGuard = 64;
  int answered = 0;
  for (int round = 0; round < 4000; ++round) {
    Bytes record = seeds[round % 4];
    // Flip a few bytes, mostly in the fixed fields, and sometimes cut or
    // extend the record.
    for (int flips = random() % 4; flips >= 0; --flips) {
      size_t at = random() % 2 ? random() % 32 : random() % record.size();
      record[at] = static_cast<uint8_t>(random());
    }
    if (random() % 8 == 0) record.resize(random() % (record.size() + 8));
    const size_t outSize = random() % 2 ? kBlockSize : random() % (kBlockSize + 1);
    Bytes out(outSize + kGuard, 0x5A);
    const uint32_t session = round % 3 == 0 ? simulated_ : hardware_;
    const uint32_t function = random() % 16 == 0 ? random() % 1000 : kFamilyRequest;
    int32_t status = round % 2
                         ? VoFpgaDll_ClientFunctionCall(session, kGroup, function, record.data(),
                                                        record.size(), out.data(), outSize)
                         : Simulation_ClientFunctionCall(session, kGroup, function, record.data(),
                                                         record.size(), out.data(), outSize);
    ASSERT_TRUE(IsModelStatus(status)) << status;
    if (status == 0) ++answered;
    for (size_t i = outSize; i < out.size(); ++i) ASSERT_EQ(out[i], 0x5A) << "wrote past end";
  }
  EXPECT_GT(answered, 0);
  // The sessions still work.
  EXPECT_EQ(GetI32(hardware_, 0x1000000F, ""), 16);
}

TEST_F(RobustnessTest, RandomlyDamagedAcquisitionRequestsGetModelCodes) {
  std::mt19937 random(7);
  // Buffers the reads may fill: up to 16 rows of 512 bytes, 16 records.
  constexpr size_t kRowBytes = 512, kRows = 16;
  std::vector<uint8_t> data(kRows * kRowBytes + kGuardBytes, 0x5A);
  std::vector<uint8_t> info(kRows * kInfoSize + kGuardBytes, 0x5A);
  const Bytes seeds[] = {
      StreamRecord(kStart, 1),     StreamRecord(kClear, 1),
      WaitRecord(1, 10, 1),        ReadRecord(1, 64, 1, data.data(), info.data(), 1, kInt16),
      RouteRecord("PFI0", "PFI1"), UnrouteRecord(1),
      SyncPulseRecord(0),          FamilyRecord(kSyncFamily, 0, 20)};
  constexpr size_t kSeeds = sizeof seeds / sizeof seeds[0];
  // Every stream a damaged record can name acquires a little, some of them
  // continuously, on several channels.
  for (uint32_t stream = 0; stream < 64; ++stream) {
    ConfigureStream(hardware_, stream, 1 + stream % 7, stream % 3 != 0, 40);
    ConfigureStream(simulated_, stream, 1 + stream % 5, stream % 2 != 0, 40);
  }
  int answered = 0;
  for (int round = 0; round < 6000; ++round) {
    Bytes record = seeds[round % kSeeds];
    // A quarter of the records arrive whole, so that the streams really run.
    for (int flips = random() % 4; flips > 0; --flips) {
      size_t at = random() % std::min<size_t>(64, record.size());
      record[at] = static_cast<uint8_t>(random());
    }
    if (random() % 8 == 0) record.resize(random() % (record.size() + 8));
    if (record.size() == 64 && Take<uint32_t>(record.data(), 16) == kRead) {
      // The model writes where a read points: keep the addresses on the
      // buffers (or 0) and the rows inside them.
      Put<uint64_t>(record, 24, Take<uint64_t>(record.data(), 24) % (kRowBytes + 1));
      Put<uint64_t>(record, 32, Take<uint64_t>(record.data(), 32) % (kRows + 1));
      Put<uint64_t>(record, 40, random() % 8 ? reinterpret_cast<uintptr_t>(data.data()) : 0);
      Put<uint64_t>(record, 48, random() % 8 ? reinterpret_cast<uintptr_t>(info.data()) : 0);
    }
    const size_t outSize = random() % 40;
    Bytes out(outSize + kGuardBytes, 0x5A);
    const uint32_t session = round % 3 == 0 ? simulated_ : hardware_;
    int32_t status = Send(session, record, out.data(), outSize);
    ASSERT_TRUE(IsModelStatus(status)) << status;
    if (status == 0) ++answered;
    for (size_t i = outSize; i < out.size(); ++i) ASSERT_EQ(out[i], 0x5A) << "wrote past end";
    for (size_t i = kRows * kRowBytes; i < data.size(); ++i) ASSERT_EQ(data[i], 0x5A);
    for (size_t i = kRows * kInfoSize; i < info.size(); ++i) ASSERT_EQ(info[i], 0x5A);
  }
  EXPECT_GT(answered, 500);
  // The device still acquires.
  ConfigureStream(hardware_, 0, 0x1, true, 10);
  ASSERT_EQ(Send(hardware_, SetI32(kTriggerType, "0", 0)), 0);
  ASSERT_EQ(StartStream(hardware_, 0), 0);
  EXPECT_EQ(ReadStream<int16_t>(hardware_, 0, 1, 10).delivered, 10u);
}

}  // namespace
}  // namespace standin_test
