// errno translation and the system's message texts.
#include "platform/syserror.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

namespace voplat {
namespace {

TEST(FromErrno, TranslatesCommonValues) {
  const std::pair<int, uint32_t> cases[] = {
      {0, 0},
      {ENOENT, kErrFileNotFound},
      {ENOTDIR, kErrPathNotFound},
      {EACCES, kErrAccessDenied},
      {EPERM, kErrAccessDenied},
      {EISDIR, kErrAccessDenied},
      {EBADF, kErrInvalidHandle},
      {ENOMEM, kErrNotEnoughMemory},
      {EINVAL, kErrInvalidParameter},
      {EMFILE, 4u},
      {ENOSPC, 112u},
      {EEXIST, 183u},
      {ENAMETOOLONG, 206u},
      {ENOTEMPTY, 145u},
      {EBUSY, 170u},
      {EAGAIN, 1450u},
      {ETIMEDOUT, 1460u},
      {EILSEQ, 1113u},
      {EIO, 1117u},
  };
  for (const auto& [errnoValue, code] : cases) {
    EXPECT_EQ(fromErrno(errnoValue), code) << "errno " << errnoValue;
  }
}

TEST(FromErrno, UnlistedValuesBecomeGeneralFailure) {
  EXPECT_EQ(fromErrno(EDOM), kErrGenFailure);
  EXPECT_EQ(fromErrno(ENOTSOCK), kErrGenFailure);
  EXPECT_EQ(fromErrno(-1), kErrGenFailure);
  EXPECT_EQ(fromErrno(100000), kErrGenFailure);
}

TEST(LastErrorNumber, TranslatesTheThreadsErrno) {
  errno = ENOENT;
  EXPECT_EQ(lastErrorNumber(), kErrFileNotFound);
  errno = EACCES;
  EXPECT_EQ(lastErrorNumber(), kErrAccessDenied);
  errno = ENOMEM;
  EXPECT_EQ(lastErrorNumber(), kErrNotEnoughMemory);
}

TEST(ErrorMessage, GivesTheSystemTexts) {
  EXPECT_EQ(errorMessage(kErrFileNotFound), "The system cannot find the file specified.");
  EXPECT_EQ(errorMessage(kErrPathNotFound), "The system cannot find the path specified.");
  EXPECT_EQ(errorMessage(kErrAccessDenied), "Access is denied.");
  EXPECT_EQ(errorMessage(kErrInvalidHandle), "The handle is invalid.");
  EXPECT_EQ(errorMessage(kErrNotEnoughMemory),
            "Not enough memory resources are available to process this command.");
  EXPECT_EQ(errorMessage(kErrInvalidParameter), "The parameter is incorrect.");
  EXPECT_EQ(errorMessage(kErrMoreData), "More data is available.");
  EXPECT_EQ(errorMessage(kErrModNotFound), "The specified module could not be found.");
  EXPECT_EQ(errorMessage(kErrProcNotFound), "The specified procedure could not be found.");
}

TEST(ErrorMessage, EmptyForUnknownNumbers) {
  EXPECT_EQ(errorMessage(999999), "");
  EXPECT_EQ(errorMessage(0xFFFFFFFFu), "");
}

TEST(ErrorMessage, EveryNumberThatErrnoMapsToHasATextWithoutLineBreaks) {
  for (int e = 0; e < 200; ++e) {
    const uint32_t code = fromErrno(e);
    const std::string text = errorMessage(code);
    EXPECT_FALSE(text.empty()) << "errno " << e << " -> " << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code;
  }
  for (uint32_t code : {kErrOutOfMemory, kErrGenFailure, kErrTooManyPosts}) {
    EXPECT_FALSE(errorMessage(code).empty()) << code;
  }
}

TEST(MakeSysError, PairsTheNumberWithItsText) {
  const SysError err = makeSysError(kErrPathNotFound);
  EXPECT_EQ(err.code, kErrPathNotFound);
  EXPECT_EQ(err.message, errorMessage(kErrPathNotFound));
}

}  // namespace
}  // namespace voplat
