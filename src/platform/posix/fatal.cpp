// The last resort on POSIX systems: one line "title: text" on the standard
// error stream, then immediate exit with code 1. No exit handlers or
// destructors run; the process is in a state where they could do more harm
// than good. Nothing here allocates.
#include "platform/fatal.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace voplat {

void fatalMessage(const char* title, const char* text) {
  static const char kSeparator[] = ": ";
  static const char kEnd[] = "\n";
  if (title == nullptr) title = "";
  if (text == nullptr) text = "";
  iovec parts[4] = {
      {const_cast<char*>(title), std::strlen(title)},
      {const_cast<char*>(kSeparator), sizeof kSeparator - 1},
      {const_cast<char*>(text), std::strlen(text)},
      {const_cast<char*>(kEnd), sizeof kEnd - 1},
  };
  std::fflush(stderr);
  iovec* part = parts;
  int count = 4;
  while (count > 0) {
    const ssize_t n = writev(STDERR_FILENO, part, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    // Skip what was written and retry the rest.
    auto left = static_cast<size_t>(n);
    while (count > 0 && left >= part->iov_len) {
      left -= part->iov_len;
      ++part;
      --count;
    }
    if (count > 0) {
      part->iov_base = static_cast<char*>(part->iov_base) + left;
      part->iov_len -= left;
    }
  }
  _exit(1);
}

}  // namespace voplat
