// Damaged and random requests must be refused with a model code, never crash
// or write outside the response buffer.
#include <random>

#include "standin_support.h"
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

}  // namespace
}  // namespace standin_test
