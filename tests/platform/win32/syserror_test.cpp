// System error numbers and texts on Windows: the thread's last error and the
// system message table.
#include "platform/syserror.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace voplat {
namespace {

TEST(LastErrorNumber, IsTheThreadsLastError) {
  SetLastError(ERROR_MOD_NOT_FOUND);
  EXPECT_EQ(lastErrorNumber(), kErrModNotFound);
  SetLastError(0);
  EXPECT_EQ(lastErrorNumber(), 0u);
}

TEST(ErrorMessage, GivesTheSystemsTextsWithoutLineBreaks) {
  for (uint32_t code : {kErrFileNotFound, kErrPathNotFound, kErrAccessDenied, kErrInvalidHandle,
                        kErrNotEnoughMemory, kErrInvalidParameter, kErrMoreData, kErrModNotFound,
                        kErrProcNotFound, kErrTooManyPosts, 1113u}) {
    const std::string text = errorMessage(code);
    EXPECT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code << ": " << text;
  }
  EXPECT_NE(errorMessage(kErrFileNotFound), errorMessage(kErrModNotFound));
  EXPECT_EQ(errorMessage(0xDEADBEEFu), "");
  EXPECT_EQ(makeSysError(kErrProcNotFound).message, errorMessage(kErrProcNotFound));
}

}  // namespace
}  // namespace voplat
