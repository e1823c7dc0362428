// Allocation failures walked over whole calls: for every n, the n-th
// allocation of the call fails (alloc_fail.h). Each time the call must come
// back with a status, or with one of the texts the error text falls back to,
// without ending or hanging the process and without leaking (ASan pass); the
// same call without a failure must then give its normal result. A walk ends
// at the first n the call no longer reaches; that n is the number of
// allocation sites the call passes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "alloc_fail.h"
#include "gxrt.h"
#include "vodevice_hook.h"
#include "votarsinapi.h"

// The dynamic loader of the C library does not free what it had allocated
// for a module load that an allocation failure ends (a failed dlopen of a
// lazily bound component). That memory belongs to the loader, not to this
// library; LeakSanitizer reads these suppressions in the ASan pass.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:ld-linux-x86-64.so.2\n";
}

namespace {

using vo::test::AllocFailer;

constexpr const char* kFailedText = "Failed to translate error elaboration.";

// Walks n over `call`, which runs with the failer armed and returns what it
// saw; check() judges each failed run (with the failer disarmed), normal()
// runs the call unharmed, after every `normalEvery`-th failed run and at the
// end. Returns the number of sites.
uint64_t walk(const std::function<void()>& prepare, const std::function<void()>& call,
              const std::function<void(uint64_t n)>& check, const std::function<void()>& normal,
              uint64_t normalEvery = 1) {
  AllocFailer failer;
  for (uint64_t n = 0; n < 100000; ++n) {
    if (prepare) prepare();
    failer.failAfter(n);
    call();
    failer.disarm();
    if (failer.failures() == 0) {
      normal();
      return n;
    }
    check(n);
    if ((n + 1) % normalEvery == 0) normal();
    if (::testing::Test::HasFatalFailure()) return n;
  }
  ADD_FAILURE() << "the walk did not end";
  return 0;
}

// The text of the last getError call; a plain buffer, so that the call
// allocates nothing of the test's own while the failer is armed.
char gText[2048];

int32_t getError(Session session, int32_t code) {
  std::memset(gText, 0x55, sizeof gText);
  return voTarsin_GetError(session, code, sizeof gText, gText);
}

std::string lastText() { return std::string(gText, strnlen(gText, sizeof gText)); }

// An error text made while allocations failed: the whole text, a leading
// part of it (the static description alone), the empty text of a failed
// context request, or the fixed text. The script translator runs its lookups
// of descriptions and attribute names in protected calls and goes on without
// what failed, so its report may also keep the static description's first
// line with a plainer report ("Attribute Id: 0x10000009"), or begin with
// "Error description not found".
bool isFallbackOf(const std::string& text, const std::string& normal) {
  const std::string firstLine = normal.substr(0, normal.find('\n'));
  return text == kFailedText || normal.rfind(text, 0) == 0 ||
         text.rfind("Error description not found", 0) == 0 ||
         (!firstLine.empty() && text.rfind(firstLine + "\n", 0) == 0);
}

class AllocWalk : public ::testing::Test {
 protected:
  void SetUp() override { VoDev_Reset(); }
  void TearDown() override {
    GxRt_DisposeAll();
    VoDev_Reset();
  }
  static void report(const char* walkName, uint64_t sites) {
    std::printf("%s: %llu allocation sites\n", walkName, static_cast<unsigned long long>(sites));
    ::testing::Test::RecordProperty("sites", static_cast<int>(sites));
  }
};

TEST_F(AllocWalk, GetErrorFromTheErrorFiles) {
  int32_t status = getError(0, VOTARSIN_ERR_INVALID_PARAMETER);
  ASSERT_EQ(status, 0);
  const std::string normal = lastText();
  ASSERT_FALSE(normal.empty());
  ASSERT_NE(normal, kFailedText);
  const uint64_t sites = walk(
      nullptr, [&] { status = getError(0, VOTARSIN_ERR_INVALID_PARAMETER); },
      [&](uint64_t n) {
        EXPECT_LE(status, 0) << n;
        if (status == 0) {
          EXPECT_TRUE(isFallbackOf(lastText(), normal)) << n << ": " << lastText();
        }
      },
      [&] {
        ASSERT_EQ(0, getError(0, VOTARSIN_ERR_INVALID_PARAMETER));
        ASSERT_EQ(lastText(), normal);
      });
  EXPECT_GT(sites, 10u);
  report("voTarsin_GetError, error files", sites);
}

TEST_F(AllocWalk, GetErrorOfADeviceErrorThroughTheScript) {
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("SIM0", nullptr, 0, &session));
  ASSERT_EQ(0, voTarsin_RestartSimulation(session, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  const int32_t code =
      voTarsin_SetAttributeInt32(session, "0", VOTARSIN_ATTR_START_TRIGGER_TYPE, 9);
  ASSERT_LT(code, 0);
  int32_t status = getError(session, code);
  ASSERT_EQ(status, 0);
  const std::string normal = lastText();
  ASSERT_NE(normal.find("Attribute Id: Start Trigger Type"), std::string::npos) << normal;
  const uint64_t sites = walk(
      nullptr, [&] { status = getError(session, code); },
      [&](uint64_t n) {
        EXPECT_LE(status, 0) << n;
        if (status == 0) {
          EXPECT_TRUE(isFallbackOf(lastText(), normal)) << n << ": " << lastText();
        }
      },
      [&] {
        ASSERT_EQ(0, getError(session, code));
        ASSERT_EQ(lastText(), normal);
      });
  EXPECT_GT(sites, 100u);
  report("voTarsin_GetError, script translator", sites);
  voTarsin_CloseSession(session, 0);
}

TEST_F(AllocWalk, GxGetErrorOfADeviceError) {
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO0", nullptr, 0, &session));
  const int32_t code =
      voTarsin_SetAttributeDouble(session, "", VOTARSIN_ATTR_FPGA_TEMPERATURE, 50.5);
  ASSERT_EQ(code, VODEV_E_READ_ONLY_ATTRIBUTE);
  const auto textOf = [](VoGxStringHandle handle) {
    return handle != nullptr ? std::string((*handle)->text, (*handle)->count) : std::string();
  };
  VoGxStringHandle handle = nullptr;
  ASSERT_EQ(0, voTarsin_GXGetError(session, code, &handle));
  const std::string normal = textOf(handle);
  ASSERT_EQ(normal.rfind("\nThe attribute is read-only", 0), 0u) << normal;
  int32_t status = 0;
  const uint64_t sites = walk(
      [&] {
        GxRt_DisposeAll();
        handle = nullptr;
      },
      [&] { status = voTarsin_GXGetError(session, code, &handle); },
      [&](uint64_t n) {
        EXPECT_LE(status, 0) << n;
        if (status == 0) {
          const std::string text = textOf(handle);
          EXPECT_TRUE(text.rfind("\n", 0) == 0 && isFallbackOf(text.substr(1), normal.substr(1)))
              << n << ": " << text;
        }
      },
      [&] {
        GxRt_DisposeAll();
        handle = nullptr;
        ASSERT_EQ(0, voTarsin_GXGetError(session, code, &handle));
        ASSERT_EQ(textOf(handle), normal);
      });
  EXPECT_GT(sites, 10u);
  report("voTarsin_GXGetError", sites);
  voTarsin_CloseSession(session, 0);
}

// Opens a session, sets and reads back an attribute; the first failing step
// ends the sequence (its session is closed).
int32_t openSetGet(double range, double* readBack) {
  Session session = 0;
  int32_t status = voTarsin_OpenSession("RIO1", nullptr, 0, &session);
  if (status != 0) return status;
  status = voTarsin_SetAttributeDouble(session, "AI0-AI3", VOTARSIN_ATTR_AI_RANGE, range);
  if (status == 0)
    status = voTarsin_GetAttributeDouble(session, "AI2", VOTARSIN_ATTR_AI_RANGE, readBack);
  voTarsin_CloseSession(session, 0);
  return status;
}

TEST_F(AllocWalk, OpenSessionAndAttributeSetAndGet) {
  int32_t status = 0;
  double readBack = 0;
  const auto walkOnce = [&](uint64_t normalEvery) {
    return walk(
        nullptr, [&] { status = openSetGet(2.0, &readBack); },
        // An allocation the call could do without may fail unnoticed; success
        // must then be real.
        [&](uint64_t n) {
          EXPECT_LE(status, 0) << n;
          if (status == 0) {
            EXPECT_EQ(readBack, 2.0) << n;
          }
        },
        [&] {
          double again = 0;
          ASSERT_EQ(0, openSetGet(4.0, &again));
          ASSERT_EQ(again, 4.0);
        },
        normalEvery);
  };
  // The first walk passes the lazy binding of what the call needs: the
  // unharmed call, which would bind it, comes only at its end.
  const uint64_t first = walkOnce(UINT64_MAX);
  const uint64_t sites = walkOnce(1);
  EXPECT_EQ(status, 0);
  report("voTarsin_OpenSession + attribute set/get, first call", first);
  report("voTarsin_OpenSession + attribute set/get, later calls", sites);
}

// A record triggered on AI0's rising edge, read as doubles.
int32_t triggeredAcquisition(Session session, std::vector<double>& data) {
  int32_t status = voTarsin_ConfigureStreamEnabledChannels(session, 1, "AI0", nullptr);
  if (status == 0) status = voTarsin_ConfigureStreamFinite(session, 1, data.size());
  if (status == 0)
    status =
        voTarsin_ConfigureAnalogEdgeTrigger(session, 1, "AI0", VOTARSIN_SLOPE_RISING, 0.1, 0.01);
  if (status == 0) status = voTarsin_StartStream(session, 1);
  VoTarsinReadInfo info;
  if (status == 0)
    status = voTarsin_ReadStreamF64(session, 1, 1000, data.size(), data.data(), &info);
  voTarsin_ClearStream(session, 1);
  return status;
}

TEST_F(AllocWalk, TriggeredAcquisition) {
  Session session = 0;
  ASSERT_EQ(0, voTarsin_OpenSession("RIO2", nullptr, 0, &session));
  std::vector<double> normal(128), data(128);
  ASSERT_EQ(0, triggeredAcquisition(session, normal));
  int32_t status = 0;
  const uint64_t sites = walk(
      nullptr, [&] { status = triggeredAcquisition(session, data); },
      [&](uint64_t n) {
        EXPECT_LE(status, 0) << n;
        if (status == 0) {
          EXPECT_EQ(data, normal) << n;
        }
      },
      [&] {
        ASSERT_EQ(0, triggeredAcquisition(session, data));
        ASSERT_EQ(data, normal);
      });
  report("triggered acquisition", sites);
  voTarsin_CloseSession(session, 0);
}

TEST_F(AllocWalk, GetSessionReference) {
  Session session = 0;
  uint32_t reference = 0;
  int32_t status = 0;
  const auto walkOnce = [&](uint64_t normalEvery) {
    return walk(
        [&] {
          if (session != 0) voTarsin_CloseSession(session, 0);
          ASSERT_EQ(0, voTarsin_OpenSession("RIO3", nullptr, 0, &session));
          reference = 0xDEAD;
        },
        [&] { status = voTarsin_GetSessionReference(session, &reference); },
        [&](uint64_t n) {
          EXPECT_LE(status, 0) << n;
          // A failed probe or attribute read leaves *reference alone; once
          // the attribute was read its value (0: no reference yet) is stored,
          // and a failed registry insertion (-304017) has stored the key.
          if (status != 0 && status != -304017) {
            EXPECT_TRUE(reference == 0xDEADu || reference == 0u) << n << ": " << reference;
          }
          if (status == 0) {
            EXPECT_NE(reference, 0u) << n;
          }
        },
        [&] {
          uint32_t again = 0;
          ASSERT_EQ(0, voTarsin_GetSessionReference(session, &again));
          ASSERT_NE(again, 0u);
        },
        normalEvery);
  };
  // The first walk passes the lazy binding of what the call needs: the
  // unharmed call, which would bind it, comes only at its end.
  const uint64_t first = walkOnce(UINT64_MAX);
  const uint64_t sites = walkOnce(1);
  EXPECT_EQ(status, 0);
  EXPECT_NE(reference, 0xDEADu);
  report("voTarsin_GetSessionReference, first call", first);
  report("voTarsin_GetSessionReference, later calls", sites);
  voTarsin_CloseSession(session, 0);
}

TEST_F(AllocWalk, GxOpenSession) {
  Session session = 0;
  int32_t status = 0;
  const auto walkOnce = [&](uint64_t normalEvery) {
    return walk([&] { session = 0xDEAD; },
                [&] { status = voTarsin_GxOpenSession("RIO4", nullptr, 0, &session); },
                [&](uint64_t n) {
                  EXPECT_LE(status, 0) << n;
                  if (status != 0) {
                    EXPECT_EQ(session, 0xDEADu) << n;
                  }
                  if (status == 0) {
                    EXPECT_EQ(0, voTarsin_CloseSession(session, 0)) << n;
                  }
                },
                [&] {
                  Session again = 0;
                  ASSERT_EQ(0, voTarsin_GxOpenSession("RIO4", nullptr, 0, &again));
                  voTarsin_CloseSession(again, 0);
                },
                normalEvery);
  };
  // The first walk passes the lazy binding of what the call needs: the
  // unharmed call, which would bind it, comes only at its end.
  const uint64_t first = walkOnce(UINT64_MAX);
  const uint64_t sites = walkOnce(1);
  EXPECT_EQ(status, 0);
  report("voTarsin_GxOpenSession, first call", first);
  report("voTarsin_GxOpenSession, later calls", sites);
  voTarsin_CloseSession(session, 0);
}

}  // namespace
