// Exceptions carrying a status, and the scope-exit check that throws them.
#include "status/exception.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "status/codes.h"
#include "status/context_writer.h"
#include "status/status.h"

namespace {

using voerr::Status;

void Raise(Status& s, int32_t code) {
  s.raise(code, voerr::constantName(code), "site.cpp", 10, voerr::kComponent);
}

TEST(StatusException, CarriesTheMovedStatus) {
  Status s;
  Raise(s, voerr::kResourceNotFound);
  const std::string text = s.contextText();
  const char* buffer = s.buffer();
  voerr::Exception e(std::move(s));
  EXPECT_EQ(e.code(), voerr::kResourceNotFound);
  EXPECT_EQ(e.status().buffer(), buffer);  // taken over, not copied
  EXPECT_EQ(std::string(e.what()), text);
  EXPECT_EQ(std::string(e.text()), text);
  EXPECT_EQ(s.code(), 0);
  EXPECT_FALSE(s.hasContext());
}

TEST(StatusException, WhatIsEmptyWithoutContext) {
  Status s;
  s.setCode(-1);
  voerr::Exception e(std::move(s));
  EXPECT_STREQ(e.what(), "");
}

TEST(StatusException, CaughtAsEachOfItsBases) {
  auto raiseIt = [] {
    Status s;
    Raise(s, voerr::kInvalidParameter);
    s.throwIfError();
  };
  try {
    raiseIt();
    FAIL() << "nothing thrown";
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("voapalerr_invalidParameter"), std::string::npos);
  }
  try {
    raiseIt();
    FAIL() << "nothing thrown";
  } catch (const voerr::ExceptionBase& e) {
    EXPECT_EQ(e.code(), voerr::kInvalidParameter);
    EXPECT_NE(std::string(e.text()).find("\"line\":10"), std::string::npos);
  }
}

TEST(StatusException, CopiesOwnTheirContext) {
  Status s;
  Raise(s, voerr::kMemoryFull);
  auto original = std::make_unique<voerr::Exception>(std::move(s));
  voerr::Exception copy(*original);
  const std::string text = original->what();
  EXPECT_NE(copy.status().buffer(), original->status().buffer());
  original.reset();
  EXPECT_EQ(std::string(copy.what()), text);
  EXPECT_EQ(copy.code(), voerr::kMemoryFull);
}

TEST(ThrowIfError, ErrorThrowsWithCodeAndContextAndClears) {
  Status s;
  Raise(s, voerr::kResourceNotFound);
  const std::string text = s.contextText();
  try {
    s.throwIfError();
    FAIL() << "nothing thrown";
  } catch (const voerr::Exception& e) {
    EXPECT_EQ(e.code(), voerr::kResourceNotFound);
    EXPECT_EQ(std::string(e.what()), text);
  }
  EXPECT_EQ(s.code(), 0);
  EXPECT_FALSE(s.hasContext());
}

TEST(ThrowIfError, WarningAndSuccessDoNotThrowButClear) {
  Status warning;
  Raise(warning, 4);
  EXPECT_NO_THROW(warning.throwIfError());
  EXPECT_EQ(warning.code(), 0);
  EXPECT_FALSE(warning.hasContext());

  Status success;
  success.ensureContext();
  EXPECT_NO_THROW(success.throwIfError());
  EXPECT_FALSE(success.hasContext());
}

TEST(ThrowIfError, DoesNotThrowWhileAnotherExceptionPropagates) {
  Status s;
  Raise(s, voerr::kSoftwareFault);
  bool caughtOriginal = false;
  try {
    // Were the check to throw here, std::terminate would end the test run.
    struct Guard {
      Status& status;
      ~Guard() noexcept(false) { status.throwIfError(); }
    } guard{s};
    throw std::runtime_error("original");
  } catch (const voerr::Exception&) {
    FAIL() << "the status replaced the propagating exception";
  } catch (const std::runtime_error& e) {
    caughtOriginal = std::string(e.what()) == "original";
  }
  EXPECT_TRUE(caughtOriginal);
  EXPECT_EQ(s.code(), 0);  // cleared all the same
  EXPECT_FALSE(s.hasContext());
}

TEST(ThrowIfErrorOnExit, ThrowsAtTheEndOfANormalScope) {
  Status s;
  EXPECT_THROW(
      {
        voerr::ThrowIfErrorOnExit check(s);
        Raise(s, voerr::kInvalidParameter);
      },
      voerr::Exception);
  EXPECT_EQ(s.code(), 0);
}

TEST(ThrowIfErrorOnExit, StaysQuietWhenTheScopeUnwinds) {
  Status s;
  try {
    voerr::ThrowIfErrorOnExit check(s);
    Raise(s, voerr::kInvalidParameter);
    throw std::logic_error("unwinding");
  } catch (const std::logic_error&) {
    SUCCEED();
  } catch (...) {
    FAIL() << "wrong exception";
  }
  EXPECT_EQ(s.code(), 0);
}

// A scope entered during unwinding (inside a destructor) still throws at its
// own end: the check compares against the count at its entry, not with zero.
TEST(ThrowIfErrorOnExit, ScopeInsideADestructorDuringUnwindingStillThrows) {
  bool innerCaught = false;
  struct Cleanup {
    bool& caught;
    ~Cleanup() {
      Status s;
      try {
        voerr::ThrowIfErrorOnExit check(s);
        Raise(s, voerr::kResourceNotFound);
      } catch (const voerr::Exception& e) {
        caught = e.code() == voerr::kResourceNotFound;
      }
    }
  };
  try {
    Cleanup cleanup{innerCaught};
    throw std::runtime_error("outer");
  } catch (const std::runtime_error&) {
  }
  EXPECT_TRUE(innerCaught);
}

}  // namespace
