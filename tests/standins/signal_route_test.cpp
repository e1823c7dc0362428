// The route family (route and unroute between terminals) and the
// synchronisation family (probe and sync pulse) through raw request bytes.
#include <set>

#include "acquisition_support.h"

namespace standin_test {
namespace {

class SignalRouteTest : public StandinTest {
 protected:
  int32_t Route(uint32_t session, std::string_view first, std::string_view second, uint32_t* id) {
    return Send(session, RouteRecord(first, second), id, sizeof *id);
  }
  std::pair<std::string, std::string> Terminals(uint32_t session, uint32_t id) {
    char first[600], second[600];
    EXPECT_EQ(VoDev_GetRoute(session, id, first, sizeof first, second, sizeof second), 0);
    return {first, second};
  }
};

TEST_F(SignalRouteTest, RoutesGetFreshIdentifiersThatUnrouteChecks) {
  uint32_t a = 0, b = 0, c = 0;
  ASSERT_EQ(Route(hardware_, "PFI0", "PXI_Trig0", &a), 0);
  ASSERT_EQ(Route(hardware_, "PFI1", "PXI_Trig1", &b), 0);
  ASSERT_EQ(Route(hardware_, "PXI_Trig1", "PFI2", &c), 0);
  EXPECT_NE(a, 0u);
  EXPECT_EQ(std::set<uint32_t>({a, b, c}).size(), 3u);
  EXPECT_EQ(VoDev_RouteCount(hardware_), 3);
  EXPECT_EQ(Terminals(hardware_, b), std::make_pair(std::string("PFI1"), std::string("PXI_Trig1")));

  ASSERT_EQ(Send(hardware_, UnrouteRecord(b)), 0);
  EXPECT_EQ(VoDev_RouteCount(hardware_), 2);
  char name[8] = "x";
  EXPECT_EQ(VoDev_GetRoute(hardware_, b, name, sizeof name, nullptr, 0), VODEV_E_NO_SUCH_ROUTE);
  EXPECT_STREQ(name, "x");
  EXPECT_EQ(Send(hardware_, UnrouteRecord(b)), VODEV_E_NO_SUCH_ROUTE);
  std::string text = Elaborate(hardware_, VODEV_E_NO_SUCH_ROUTE).text;
  EXPECT_NE(text.find("vodeverr_noSuchRoute"), std::string::npos) << text;
  EXPECT_NE(text.find("no route " + std::to_string(b)), std::string::npos) << text;
  EXPECT_EQ(Send(hardware_, UnrouteRecord(0)), VODEV_E_NO_SUCH_ROUTE);
  EXPECT_EQ(Send(hardware_, UnrouteRecord(c + 1000)), VODEV_E_NO_SUCH_ROUTE);

  // The freed destination can be driven again, under a new identifier.
  uint32_t d = 0;
  ASSERT_EQ(Route(hardware_, "PFI3", "PXI_Trig1", &d), 0);
  EXPECT_EQ(std::set<uint32_t>({a, b, c, d}).size(), 4u);
  EXPECT_EQ(Terminals(hardware_, a).second, "PXI_Trig0");
  EXPECT_EQ(Terminals(hardware_, d).first, "PFI3");
}

TEST_F(SignalRouteTest, RouteRequestsAreChecked) {
  uint32_t id = 0xEEEEEEEE;
  const std::string longest(511, 'T');
  ASSERT_EQ(Route(hardware_, longest, "PFI0", &id), 0);
  EXPECT_EQ(Terminals(hardware_, id).first, longest);

  struct Case {
    const char* first;
    const char* second;
    const char* says;
  };
  const Case refused[] = {{"", "PFI1", "two terminal names"},
                          {"PFI1", "", "two terminal names"},
                          {"PFI1", "PFI1", "connect the terminal PFI1 to itself"},
                          {"PFI9", "PFI0", "PFI0 is already driven by route"}};
  for (const Case& c : refused) {
    SCOPED_TRACE(c.says);
    uint32_t untouched = 0xEEEEEEEE;
    EXPECT_EQ(Route(hardware_, c.first, c.second, &untouched), VODEV_E_INVALID_ROUTE);
    EXPECT_EQ(untouched, 0xEEEEEEEEu);
    std::string text = Elaborate(hardware_, VODEV_E_INVALID_ROUTE).text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
  }
  // Names must end inside their 512-byte fields.
  Bytes unterminated = RouteRecord("PFI1", "PFI2");
  std::memset(unterminated.data() + 532, 'x', 512);
  EXPECT_EQ(Send(hardware_, unterminated, &id, 4), VODEV_E_MALFORMED_REQUEST);
  unterminated = RouteRecord("PFI1", "PFI2");
  std::memset(unterminated.data() + 20, 'x', 512);
  EXPECT_EQ(Send(hardware_, unterminated, &id, 4), VODEV_E_MALFORMED_REQUEST);
  uint8_t small[3];
  EXPECT_EQ(Send(hardware_, RouteRecord("PFI1", "PFI2"), small, sizeof small),
            VODEV_E_RESPONSE_TOO_SMALL);
  EXPECT_EQ(Send(hardware_, RouteRecord("PFI1", "PFI2")), VODEV_E_RESPONSE_TOO_SMALL);
  Bytes shorter = RouteRecord("PFI1", "PFI2");
  shorter.pop_back();
  EXPECT_EQ(Send(hardware_, shorter, &id, 4), VODEV_E_BAD_REQUEST_SIZE);
  Bytes unrouteLonger = UnrouteRecord(1);
  unrouteLonger.push_back(0);
  EXPECT_EQ(Send(hardware_, unrouteLonger), VODEV_E_BAD_REQUEST_SIZE);
  Bytes dirty = UnrouteRecord(1);
  Put<uint32_t>(dirty, 12, 1);
  EXPECT_EQ(Send(hardware_, dirty), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Send(hardware_, FamilyRecord(kRouteFamily, 2, 24)), VODEV_E_UNSUPPORTED_COMMAND);
  // None of the refusals made a route.
  EXPECT_EQ(VoDev_RouteCount(hardware_), 1);
}

TEST_F(SignalRouteTest, RoutesBelongToTheDeviceUntilItsReset) {
  uint32_t second = 0, id = 0;
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &second), 0);
  ASSERT_EQ(Route(hardware_, "PFI0", "PFI1", &id), 0);
  EXPECT_EQ(VoDev_RouteCount(second), 1);
  EXPECT_EQ(VoDev_RouteCount(simulated_), 0);
  EXPECT_EQ(Send(simulated_, UnrouteRecord(id)), VODEV_E_NO_SUCH_ROUTE);
  ASSERT_EQ(VoFpgaDll_Close(second, 0), 0);
  EXPECT_EQ(VoDev_RouteCount(hardware_), 1);
  EXPECT_EQ(VoDev_RouteCount(second), VODEV_E_SESSION_CLOSED);

  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &second), 0);
  ASSERT_EQ(VoFpgaDll_Close(second, VODEV_CLOSE_RESET_DEVICE), 0);
  EXPECT_EQ(VoDev_RouteCount(hardware_), 0);
  EXPECT_EQ(Send(hardware_, UnrouteRecord(id)), VODEV_E_NO_SUCH_ROUTE);
  // Identifiers issued before the reset are not issued again.
  uint32_t after = 0;
  ASSERT_EQ(Route(hardware_, "PFI0", "PFI1", &after), 0);
  EXPECT_NE(after, id);
}

TEST_F(SignalRouteTest, ADeviceHoldsAtMost1024Routes) {
  for (int n = 0; n < 1024; ++n) {
    uint32_t id = 0;
    ASSERT_EQ(Route(hardware_, "PFI0", "T" + std::to_string(n), &id), 0) << n;
  }
  uint32_t id = 0;
  EXPECT_EQ(Route(hardware_, "PFI0", "T1024", &id), VODEV_E_INVALID_ROUTE);
  EXPECT_NE(Elaborate(hardware_, VODEV_E_INVALID_ROUTE).text.find("no free route"),
            std::string::npos);
  ASSERT_EQ(Send(hardware_, UnrouteRecord(5)), 0);
  EXPECT_EQ(Route(hardware_, "PFI0", "T1024", &id), 0);
}

class SyncFamilyTest : public StandinTest {};

TEST_F(SyncFamilyTest, ProbeAndPulseAreServedAndCheckedForSize) {
  EXPECT_EQ(Send(hardware_, FamilyRecord(kSyncFamily, 0, 20)), 0);
  EXPECT_EQ(Send(hardware_, FamilyRecord(kSyncFamily, 0, 24)), VODEV_E_BAD_REQUEST_SIZE);
  Bytes shortPulse = SyncPulseRecord(1);
  shortPulse.pop_back();
  EXPECT_EQ(Send(hardware_, shortPulse), VODEV_E_BAD_REQUEST_SIZE);
  Bytes dirty = SyncPulseRecord(1);
  Put<uint32_t>(dirty, 8, 1);
  EXPECT_EQ(Send(hardware_, dirty), VODEV_E_MALFORMED_REQUEST);
  EXPECT_EQ(Send(hardware_, FamilyRecord(kSyncFamily, 15, 24)), VODEV_E_UNSUPPORTED_COMMAND);
  // Only the whole, well-formed pulses counted.
  EXPECT_EQ(VoDev_SyncPulseCount(hardware_, nullptr), 0);
  for (uint32_t n = 1; n <= 3; ++n) {
    ASSERT_EQ(Send(hardware_, SyncPulseRecord(n * 10)), 0);
  }
  uint32_t last = 0;
  EXPECT_EQ(VoDev_SyncPulseCount(hardware_, &last), 3);
  EXPECT_EQ(last, 30u);
  EXPECT_EQ(VoDev_SyncPulseCount(0x4444, &last), VODEV_E_UNKNOWN_SESSION);
  // A device reset forgets them.
  ASSERT_EQ(VoFpgaDll_Close(hardware_, VODEV_CLOSE_RESET_DEVICE), 0);
  ASSERT_EQ(VoFpgaDll_Open("image", nullptr, "RIO0", 0, &hardware_), 0);
  EXPECT_EQ(VoDev_SyncPulseCount(hardware_, &last), 0);
}

}  // namespace
}  // namespace standin_test
